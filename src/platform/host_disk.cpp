#include "platform/host_disk.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <sys/uio.h>

#include <algorithm>
#include <cerrno>
#include <fstream>

#include "platform/file_transfers.h"
#include "platform/system_errors.h"

namespace platform {
namespace {

constexpr std::uint64_t PrefetchBytes = 1 << 20;
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
    // Opened without waiting for a medium, as a query on Windows does not
    // wait; the non-blocking flag is then dropped for the transfers.
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
    ::fcntl(fd, F_SETFL, 0);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    return std::shared_ptr<HostDisk>(new HostDisk(disk, fd, ReadsAsRemovable(disk.name)));
}

HostDisk::~HostDisk() { ::close(fd_); }

win32::DWORD HostDisk::ReadAt(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done) const
{
    done = 0;
    iovec fromMemory{buffer, length};
    ssize_t got = ::preadv2(fd_, &fromMemory, 1, static_cast<off_t>(offset), RWF_NOWAIT);
    if (got > 0) done = static_cast<win32::DWORD>(got);
    if (done == length) return 0;
    ::readahead(fd_, static_cast<off64_t>(offset + done), std::max<std::uint64_t>(length - done, PrefetchBytes));
    win32::DWORD rest = 0;
    win32::DWORD error = ReadFullyAt(fd_, offset + done, static_cast<char*>(buffer) + done, length - done, rest);
    done += rest;
    return error;
}

std::uint64_t HostDisk::Bytes() const
{
    std::uint64_t bytes = 0;
    return ::ioctl(fd_, BLKGETSIZE64, &bytes) == 0 ? bytes : 0;
}

win32::DWORD HostDisk::Check(bool needsMedium)
{
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
