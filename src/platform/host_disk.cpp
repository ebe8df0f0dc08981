#include "platform/host_disk.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <sys/uio.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/file_transfers.h"
#include "platform/system_errors.h"

namespace platform {
namespace {

constexpr std::uint64_t PrefetchBytes = 1 << 20;
constexpr int SectorBytes = 512;
// Reads from this size on (the 800-sector Blocks of the directory search)
// bypass the page cache: each is read once, and filling the cache with it,
// then dropping it at the last close, cost more than the read. Their buffer
// must be aligned as the device's transfers are.
constexpr win32::DWORD DirectReadBytes = 64 * 1024;
constexpr std::size_t DirectAlignment = 4096;
constexpr std::uint64_t DirectReadsAhead = 4;

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

HostDisk::~HostDisk()
{
    ::close(fd_);
    if (directFd_ >= 0) ::close(directFd_);
}

win32::DWORD HostDisk::ReadAt(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done)
{
    done = 0;
    if (length >= DirectReadBytes && offset % SectorBytes == 0 && length % SectorBytes == 0 && OpenDirect())
        return ReadDirect(offset, buffer, length, done);
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

bool HostDisk::OpenDirect()
{
    if (directFd_ < 0 && !directRefused_) {
        directFd_ = ::open(("/dev/" + identity_.name).c_str(), O_RDONLY | O_DIRECT | O_CLOEXEC);
        if (directFd_ >= 0 && ReachesAnotherDisk(directFd_)) {
            ::close(directFd_);
            directFd_ = -1;
        }
        directRefused_ = directFd_ < 0;
    }
    return directFd_ >= 0;
}

// A large read is served from the aligned buffer when it lies inside what
// the last fetch brought; otherwise the buffer is filled from its offset with
// this read and the next few of its size (the directory search reads Block
// after Block, or steps through them in smaller strides), and only this read
// when that fails, so that a bad sector further on fails no read but its own.
win32::DWORD HostDisk::ReadDirect(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done)
{
    const std::uint64_t fetch = std::uint64_t(length) * DirectReadsAhead;
    if (directBytes_ < fetch) {
        directFetched_ = 0;
        directBuffer_.reset(static_cast<std::uint8_t*>(std::aligned_alloc(DirectAlignment, fetch)));
        directBytes_ = directBuffer_ ? fetch : 0;
        if (!directBuffer_) return win32::ERROR_NOT_ENOUGH_MEMORY;
    }
    if (offset < directFrom_ || offset + length > directFrom_ + directFetched_) {
        directFetched_ = 0;
        win32::DWORD got = 0;
        if (ReadFullyAt(directFd_, offset, directBuffer_.get(), static_cast<win32::DWORD>(fetch), got) != 0)
            if (win32::DWORD error = ReadFullyAt(directFd_, offset, directBuffer_.get(), length, got)) return error;
        directFrom_ = offset;
        directFetched_ = got;
    }
    // The device fills the aligned buffer, never the caller's, so what a
    // failed read delivered goes nowhere.
    done = static_cast<win32::DWORD>(std::min<std::uint64_t>(length, directFrom_ + directFetched_ - offset));
    std::memcpy(buffer, directBuffer_.get() + (offset - directFrom_), done);
    return 0;
}

void HostDisk::Written() { directFetched_ = 0; }

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
