#include "platform/described_disk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_transfers.h"
#include "platform/system_errors.h"

namespace platform {
namespace {

constexpr std::uint64_t SectorBytes = 512;
constexpr win32::DWORD DefaultHeads = 255;
constexpr win32::DWORD DefaultSectorsPerTrack = 63;

}  // namespace

DescribedDisk::DescribedDisk(const MachineDescription& machine, unsigned number)
    : machine_(machine), number_(number), drive_(machine.drives.at(number))
{
}

DescribedDisk::~DescribedDisk()
{
    if (fd_ >= 0) ::close(fd_);
}

win32::DWORD DescribedDisk::Open(bool forWriting)
{
    fd_ = ::open(drive_.image.c_str(), (forWriting ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    return fd_ < 0 ? SystemErrorFromErrno(errno) : 0;
}

win32::DWORD DescribedDisk::Read(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done) const
{
    done = 0;
    if (length == 0) return 0;
    std::uint64_t end = offset + length;
    std::uint64_t firstSector = offset / SectorBytes;
    std::uint64_t lastSector = (end - 1) / SectorBytes;
    auto covered = [&](std::uint64_t sector) { return sector >= firstSector && sector <= lastSector; };

    for (const ReadFault& fault : machine_.readFaults)
        if (fault.drive == number_ && covered(fault.sector)) return fault.code;
    for (const ShortRead& fault : machine_.shortReads)
        if (fault.drive == number_ && covered(fault.sector)) end = std::min(end, std::max(offset, fault.sector * SectorBytes));
    end = std::min(end, ImageBytes());

    return ReadFullyAt(fd_, offset, buffer, static_cast<win32::DWORD>(end - offset), done);
}

win32::DWORD DescribedDisk::Write(std::uint64_t offset, const void* buffer, win32::DWORD length,
                                  win32::DWORD& done) const
{
    done = 0;
    if (auto fault = machine_.writeFaults.find(number_); fault != machine_.writeFaults.end()) return fault->second;
    if (offset > ImageBytes() || length > ImageBytes() - offset) return win32::ERROR_SECTOR_NOT_FOUND;

    return WriteFullyAt(fd_, offset, buffer, length, done);
}

win32::DWORD DescribedDisk::PositionFault() const
{
    auto fault = machine_.seekFaults.find(number_);
    return fault == machine_.seekFaults.end() ? 0 : fault->second;
}

std::uint64_t DescribedDisk::ImageBytes() const
{
    struct stat status {};
    if (fd_ < 0 || ::fstat(fd_, &status) != 0) return 0;
    return static_cast<std::uint64_t>(status.st_size);
}

DriveGeometry DescribedDisk::Geometry() const
{
    if (drive_.geometry) return *drive_.geometry;
    std::uint64_t sectors = ImageBytes() / SectorBytes;
    return DriveGeometry{sectors / (DefaultHeads * DefaultSectorsPerTrack), DefaultHeads, DefaultSectorsPerTrack};
}

}  // namespace platform
