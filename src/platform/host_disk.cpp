#include "platform/host_disk.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "platform/piece_sources.h"
#include "platform/system_errors.h"

namespace platform {
namespace {

constexpr int SectorBytes = 512;

bool ReadsAsRemovable(const std::string& diskName)
{
    std::ifstream flag("/sys/block/" + diskName + "/removable");
    int value = 0;
    return flag >> value && value == 1;
}

}  // namespace

std::shared_ptr<HostDisk> HostDisk::Open(const WholeDisk& disk, win32::DWORD& error)
{
    // Opened without waiting for a medium, as a query on Windows does not wait.
    int fd = ::open(("/dev/" + disk.name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = SystemErrorFromErrno(errno);
        return nullptr;
    }
    // Every sector number of the programs counts 512 bytes: on a disk of
    // larger logical sectors a partition table's positions are larger units,
    // and a boot sector would land at a fraction of its volume's offset.
    int sectorBytes = 0;
    if (::ioctl(fd, BLKSSZGET, &sectorBytes) != 0 || sectorBytes != SectorBytes) {
        ::close(fd);
        error = win32::ERROR_NOT_SUPPORTED;
        return nullptr;
    }
    // The non-blocking flag is dropped for the transfers, which bypass the
    // page cache where the device allows it; elsewhere they go through it,
    // the kernel's own read-ahead left to the window.
    const bool direct = ::fcntl(fd, F_SETFL, O_DIRECT) == 0;
    if (!direct) {
        ::fcntl(fd, F_SETFL, 0);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    }
    return std::shared_ptr<HostDisk>(
        new HostDisk(disk, fd, ReadsAsRemovable(disk.name), direct ? BackgroundPieces(fd) : ReadPieces(fd)));
}

HostDisk::~HostDisk()
{
    window_.Forget();  // its pieces in flight land before the descriptor goes
    ::close(fd_);
}

win32::DWORD HostDisk::ReadAt(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done)
{
    done = 0;
    std::uint32_t ready = 0;
    const win32::DWORD error = window_.Fetch(offset, length, ready);
    // A kept descriptor of a disk that was pulled fails its reads, or finds
    // no sectors: only then is the disk asked whether it is still there.
    if ((error || ready < length) && VanishedAfterFailure()) return win32::ERROR_INVALID_HANDLE;
    if (error) return error;
    window_.CopyOut(offset, buffer, ready);
    done = ready;
    return 0;
}

std::uint64_t HostDisk::Bytes() const
{
    std::uint64_t bytes = 0;
    return ::ioctl(fd_, BLKGETSIZE64, &bytes) == 0 ? bytes : 0;
}

win32::DWORD HostDisk::Check(bool needsMedium)
{
    window_.Forget();
    if (gone_) return win32::ERROR_FILE_NOT_FOUND;
    if (ReachesAnotherDisk(fd_)) {
        gone_ = true;
        return win32::ERROR_FILE_NOT_FOUND;
    }
    // An unplugged disk shows no sectors any more, as does a reader without a card.
    if (Bytes() == 0) {
        if (VanishedAfterFailure()) return win32::ERROR_FILE_NOT_FOUND;
        if (needsMedium) return win32::ERROR_NOT_READY;
    }
    return 0;
}

bool HostDisk::ReachesAnotherDisk(int fd) const
{
    std::uint64_t sequence = 0;
    // Kernels without sequence numbers refuse the request; their disks all have 0.
    return identity_.sequence != 0 && ::ioctl(fd, BLKGETDISKSEQ, &sequence) == 0 && sequence != identity_.sequence;
}

bool HostDisk::VanishedAfterFailure()
{
    if (!gone_) gone_ = DiskSequence(identity_.name) != identity_.sequence;
    return gone_;
}

}  // namespace platform
