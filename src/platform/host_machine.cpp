#include "platform/host_machine.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/hdreg.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <thread>

#include "platform/device_names.h"
#include "platform/file_transfers.h"
#include "platform/host_disk.h"
#include "platform/host_inventory.h"
#include "platform/length_answer.h"
#include "platform/system_errors.h"

extern char** environ;

namespace platform {
namespace {

constexpr win32::DWORD FallbackHeads = 255;
constexpr win32::DWORD FallbackSectorsPerTrack = 63;
constexpr std::uint64_t SectorBytes = 512;  // the only logical sector size a kept disk has

// Held open with O_EXCL while a boot sector is written: the node of the
// partition that starts at the sector written (the volume's start), or the
// whole disk when none does. The kernel refuses the exclusive open while the
// volume is mounted (or otherwise held so), and the write is then not made;
// mounted volumes elsewhere on the disk hold only their own partitions.
class VolumeHold {
public:
    VolumeHold(const std::string& diskName, std::uint64_t firstSector)
        : fd_(::open(VolumeNode(diskName, firstSector).c_str(), O_RDONLY | O_EXCL | O_CLOEXEC)),
          error_(fd_ < 0 ? SystemErrorFromErrno(errno) : 0)
    {
    }
    ~VolumeHold()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    VolumeHold(const VolumeHold&) = delete;
    VolumeHold& operator=(const VolumeHold&) = delete;

    // 0 while held, else why the volume could not be held.
    win32::DWORD Error() const { return error_; }

private:
    int fd_;
    win32::DWORD error_;
};

// A handle on a kept disk. A write handle has a descriptor of its own, opened
// for that handle and closed with it: the system notices a device closed
// after writing and reads its partitions and file systems again, which is
// what a repaired volume needs.
class HostDriveDevice : public Device {
public:
    HostDriveDevice(std::shared_ptr<HostDisk> disk, int writeFd) : disk_(std::move(disk)), writeFd_(writeFd) {}
    ~HostDriveDevice() override
    {
        if (writeFd_ >= 0) ::close(writeFd_);
    }

    // A disk that has gone fails every call, as a closed handle does.
    win32::DWORD CheckPosition(std::uint64_t) override { return disk_->Gone() ? win32::ERROR_INVALID_HANDLE : 0; }

    win32::DWORD ReadAt(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done) override
    {
        done = 0;
        return disk_->Gone() ? win32::ERROR_INVALID_HANDLE : disk_->ReadAt(offset, buffer, length, done);
    }

    win32::DWORD WriteAt(std::uint64_t offset, const void* buffer, win32::DWORD length, win32::DWORD& done) override
    {
        done = 0;
        if (disk_->Gone()) return win32::ERROR_INVALID_HANDLE;
        std::uint64_t size = disk_->Bytes();
        if (offset > size || length > size - offset) return win32::ERROR_SECTOR_NOT_FOUND;
        const VolumeHold hold(disk_->Identity().name, offset / SectorBytes);
        if (hold.Error()) return hold.Error();
        disk_->Written();
        if (win32::DWORD error = WriteFullyAt(writeFd_, offset, buffer, length, done)) return error;
        // The sector must be on the disk before the user is told it was written.
        return ::fsync(writeFd_) == 0 ? 0 : SystemErrorFromErrno(errno, win32::ERROR_WRITE_FAULT);
    }

    win32::DWORD Control(win32::DWORD code, const void*, win32::DWORD, void* out, win32::DWORD outSize,
                         win32::DWORD& returned) override
    {
        returned = 0;
        // Queries are few (the drive list, the start of a repair): each makes
        // sure the descriptor still reaches the disk numbered, and has the
        // reads after it find the disk afresh.
        if (disk_->Check(false)) return win32::ERROR_INVALID_HANDLE;
        if (code == win32::IOCTL_DISK_GET_LENGTH_INFO) return AnswerLength(disk_->Bytes(), out, outSize, returned);
        if (code != win32::IOCTL_DISK_GET_DRIVE_GEOMETRY) return win32::ERROR_INVALID_FUNCTION;
        if (!out || outSize < sizeof(win32::DISK_GEOMETRY)) return win32::ERROR_INVALID_PARAMETER;

        const int fd = disk_->Descriptor();
        win32::DISK_GEOMETRY answer{};
        answer.MediaType = disk_->Removable() ? win32::RemovableMedia : win32::FixedMedia;
        answer.TracksPerCylinder = FallbackHeads;
        answer.SectorsPerTrack = FallbackSectorsPerTrack;
        hd_geometry kernel{};
        if (::ioctl(fd, HDIO_GETGEO, &kernel) == 0 && kernel.heads && kernel.sectors) {
            answer.TracksPerCylinder = kernel.heads;
            answer.SectorsPerTrack = kernel.sectors;
        }
        answer.BytesPerSector = SectorBytes;
        // The kernel's cylinder field has 16 bits; the count comes from the size.
        std::uint64_t perCylinder = std::uint64_t(answer.TracksPerCylinder) * answer.SectorsPerTrack * SectorBytes;
        answer.Cylinders = static_cast<std::int64_t>(disk_->Bytes() / perCylinder);
        std::memcpy(out, &answer, sizeof answer);
        returned = sizeof answer;
        return 0;
    }

private:
    std::shared_ptr<HostDisk> disk_;
    int writeFd_;  // -1 for a handle that does not write
};

// Opens the disk's node for one write handle, and makes sure the node still
// leads to the disk numbered: a new disk may have taken the name.
int OpenForWriting(const HostDisk& disk, win32::DWORD desiredAccess, win32::DWORD& error)
{
    int mode = (desiredAccess & win32::GENERIC_READ) ? O_RDWR : O_WRONLY;
    int fd = ::open(("/dev/" + disk.Identity().name).c_str(), mode | O_CLOEXEC);
    if (fd < 0) {
        error = SystemErrorFromErrno(errno);
        return -1;
    }
    if (disk.ReachesAnotherDisk(fd)) {
        ::close(fd);
        error = win32::ERROR_FILE_NOT_FOUND;
        return -1;
    }
    return fd;
}

class HostMachine : public Machine {
public:
    bool IsNtFamily() const override { return true; }

    std::shared_ptr<Device> Open(const std::string& name, win32::DWORD desiredAccess, win32::DWORD& error) override
    {
        std::optional<unsigned> number = PhysicalDriveNumber(name);
        if (!number) {
            error = win32::ERROR_FILE_NOT_FOUND;
            return nullptr;
        }
        std::shared_ptr<HostDisk> disk = KeptDisk(*number, desiredAccess == 0, error);
        if (!disk) return nullptr;
        int writeFd = -1;
        if ((desiredAccess & win32::GENERIC_WRITE) && (writeFd = OpenForWriting(*disk, desiredAccess, error)) < 0)
            return nullptr;
        return std::make_shared<HostDriveDevice>(std::move(disk), writeFd);
    }

    win32::DWORD Delete(const std::string&) override { return win32::ERROR_FILE_NOT_FOUND; }

    std::optional<DiskSpace> DriveSpace(char letter, win32::DWORD& error) override
    {
        std::vector<std::string> points = BlockDeviceMountPoints();
        std::size_t index = static_cast<std::size_t>(letter - 'C');
        if (letter < 'C' || index >= points.size()) {
            error = win32::ERROR_FILE_NOT_FOUND;
            return std::nullopt;
        }
        struct statvfs status {};
        if (::statvfs(points[index].c_str(), &status) != 0) {
            error = SystemErrorFromErrno(errno);
            return std::nullopt;
        }
        std::uint64_t unit = status.f_frsize;
        return DiskSpace{status.f_bavail * unit, status.f_blocks * unit, status.f_bfree * unit};
    }

    bool OpenPage(const std::string& address) override
    {
        std::string program = "xdg-open";
        char* arguments[] = {program.data(), const_cast<char*>(address.c_str()), nullptr};
        pid_t child = 0;
        if (::posix_spawnp(&child, program.c_str(), nullptr, nullptr, arguments, environ) != 0) return false;
        // The browser is not waited for; a thread of its own collects the exit.
        std::thread([child] { ::waitpid(child, nullptr, 0); }).detach();
        return true;
    }

    void TrimWorkingSet() override { ::malloc_trim(0); }

    std::optional<int> ScreenMetric(int) const override { return std::nullopt; }
    std::string HostOverride(const std::string&) const override { return {}; }

private:
    // The disk kept for `number`. The disks are looked up in /sys/block again
    // for a query, which is what the drive list is rebuilt from, and for a
    // number whose disk is not kept yet, and then checked through the
    // descriptor; a transfer on a kept disk finds it here, with no system call.
    std::shared_ptr<HostDisk> KeptDisk(unsigned number, bool query, win32::DWORD& error)
    {
        auto found = disks_.find(number);
        if (found != disks_.end() && !query) {
            if (!found->second->Gone()) return found->second;
            disks_.erase(found);
            error = win32::ERROR_FILE_NOT_FOUND;
            return nullptr;
        }
        std::optional<WholeDisk> disk = numbering_.DiskOf(number, WholeDisks());
        std::shared_ptr<HostDisk> kept;
        if (!disk)
            error = win32::ERROR_FILE_NOT_FOUND;
        else if (found != disks_.end() && found->second->Identity() == *disk)
            kept = found->second;
        else
            kept = HostDisk::Open(*disk, error);
        if (kept && (error = kept->Check(!query))) kept = nullptr;
        if (kept)
            disks_[number] = kept;
        else
            disks_.erase(number);
        return kept;
    }

    DiskNumbering numbering_;
    std::map<unsigned, std::shared_ptr<HostDisk>> disks_;
};

}  // namespace

std::shared_ptr<Machine> MakeHostMachine() { return std::make_shared<HostMachine>(); }

}  // namespace platform
