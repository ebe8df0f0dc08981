#include "platform/described_disk.h"

#include <algorithm>

namespace platform {
namespace {

constexpr std::uint64_t SectorBytes = 512;
constexpr win32::DWORD DefaultHeads = 255;
constexpr win32::DWORD DefaultSectorsPerTrack = 63;

}  // namespace

DescribedDisk::DescribedDisk(const MachineDescription& machine, unsigned number, std::shared_ptr<KeptImage> image)
    : machine_(machine), number_(number), drive_(machine.drives.at(number)), image_(std::move(image))
{
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

    return image_->Read(offset, buffer, static_cast<win32::DWORD>(end - offset), done);
}

win32::DWORD DescribedDisk::Write(std::uint64_t offset, const void* buffer, win32::DWORD length,
                                  win32::DWORD& done) const
{
    done = 0;
    if (auto fault = machine_.writeFaults.find(number_); fault != machine_.writeFaults.end()) return fault->second;
    return image_->Write(offset, buffer, length, done);
}

win32::DWORD DescribedDisk::PositionFault() const
{
    auto fault = machine_.seekFaults.find(number_);
    return fault == machine_.seekFaults.end() ? 0 : fault->second;
}

DriveGeometry DescribedDisk::Geometry() const
{
    if (drive_.geometry) return *drive_.geometry;
    std::uint64_t sectors = ImageBytes() / SectorBytes;
    return DriveGeometry{sectors / (DefaultHeads * DefaultSectorsPerTrack), DefaultHeads, DefaultSectorsPerTrack};
}

}  // namespace platform
