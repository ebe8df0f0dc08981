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
#include <fstream>
#include <thread>

#include "platform/device_names.h"
#include "platform/file_transfers.h"
#include "platform/host_inventory.h"
#include "platform/length_answer.h"
#include "platform/system_errors.h"

extern char** environ;

namespace platform {
namespace {

constexpr win32::DWORD FallbackHeads = 255;
constexpr win32::DWORD FallbackSectorsPerTrack = 63;

bool ReadsAsRemovable(const std::string& diskName)
{
    std::ifstream flag("/sys/block/" + diskName + "/removable");
    int value = 0;
    return flag >> value && value == 1;
}

class HostDriveDevice : public Device {
public:
    HostDriveDevice(int fd, bool removable) : fd_(fd), removable_(removable) {}
    ~HostDriveDevice() override { ::close(fd_); }

    win32::DWORD CheckPosition(std::uint64_t) override { return 0; }

    win32::DWORD ReadAt(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done) override
    {
        return ReadFullyAt(fd_, offset, buffer, length, done);
    }

    win32::DWORD WriteAt(std::uint64_t offset, const void* buffer, win32::DWORD length, win32::DWORD& done) override
    {
        done = 0;
        std::uint64_t size = DiskBytes();
        if (offset > size || length > size - offset) return win32::ERROR_SECTOR_NOT_FOUND;
        if (win32::DWORD error = WriteFullyAt(fd_, offset, buffer, length, done)) return error;
        // The sector must be on the disk before the user is told it was written.
        return ::fsync(fd_) == 0 ? 0 : SystemErrorFromErrno(errno, win32::ERROR_WRITE_FAULT);
    }

    win32::DWORD Control(win32::DWORD code, const void*, win32::DWORD, void* out, win32::DWORD outSize,
                         win32::DWORD& returned) override
    {
        returned = 0;
        if (code == win32::IOCTL_DISK_GET_LENGTH_INFO) return AnswerLength(DiskBytes(), out, outSize, returned);
        if (code != win32::IOCTL_DISK_GET_DRIVE_GEOMETRY) return win32::ERROR_INVALID_FUNCTION;
        if (!out || outSize < sizeof(win32::DISK_GEOMETRY)) return win32::ERROR_INVALID_PARAMETER;

        win32::DISK_GEOMETRY answer{};
        answer.MediaType = removable_ ? win32::RemovableMedia : win32::FixedMedia;
        answer.TracksPerCylinder = FallbackHeads;
        answer.SectorsPerTrack = FallbackSectorsPerTrack;
        hd_geometry kernel{};
        if (::ioctl(fd_, HDIO_GETGEO, &kernel) == 0 && kernel.heads && kernel.sectors) {
            answer.TracksPerCylinder = kernel.heads;
            answer.SectorsPerTrack = kernel.sectors;
        }
        int sectorBytes = 512;
        if (::ioctl(fd_, BLKSSZGET, &sectorBytes) != 0) sectorBytes = 512;
        answer.BytesPerSector = static_cast<win32::DWORD>(sectorBytes);
        // The kernel's cylinder field has 16 bits; the count comes from the size.
        std::uint64_t perCylinder = std::uint64_t(answer.TracksPerCylinder) * answer.SectorsPerTrack * sectorBytes;
        answer.Cylinders = static_cast<std::int64_t>(DiskBytes() / perCylinder);
        std::memcpy(out, &answer, sizeof answer);
        returned = sizeof answer;
        return 0;
    }

private:
    std::uint64_t DiskBytes() const
    {
        std::uint64_t bytes = 0;
        return ::ioctl(fd_, BLKGETSIZE64, &bytes) == 0 ? bytes : 0;
    }

    int fd_;
    bool removable_;
};

class HostMachine : public Machine {
public:
    bool IsNtFamily() const override { return true; }

    std::shared_ptr<Device> Open(const std::string& name, win32::DWORD desiredAccess, win32::DWORD& error) override
    {
        std::optional<unsigned> number = PhysicalDriveNumber(name);
        std::optional<std::string> disk = number ? numbering_.NameOf(*number, WholeDisks()) : std::nullopt;
        if (!disk) {
            error = win32::ERROR_FILE_NOT_FOUND;
            return nullptr;
        }
        bool writing = (desiredAccess & win32::GENERIC_WRITE) != 0;
        int mode = writing ? ((desiredAccess & win32::GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
        // A query handle must not wait for a medium, as a query on Windows does not.
        if (desiredAccess == 0) mode |= O_NONBLOCK;
        int fd = ::open(("/dev/" + *disk).c_str(), mode | O_CLOEXEC);
        if (fd < 0) {
            error = SystemErrorFromErrno(errno);
            return nullptr;
        }
        return std::make_shared<HostDriveDevice>(fd, ReadsAsRemovable(*disk));
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
    DiskNumbering numbering_;
};

}  // namespace

std::shared_ptr<Machine> MakeHostMachine() { return std::make_shared<HostMachine>(); }

}  // namespace platform
