// Recognises a boot sector that is still intact near the volume start, so
// that a volume that needs no new boot sector is not given one.

#include "repair/analysis.h"
#include "platform/little_endian.h"
#include "repair/boot_sector_layout.h"

namespace repair {

namespace {

namespace bs = boot_sector;

constexpr std::uint32_t LastBootSectorOffset = 512;

}  // namespace

bool IsFatBootSector(std::span<const std::uint8_t, d_api::SectorSize> sector)
{
    // The jump's distance is free: FAT16 and FAT32 boot sectors jump over
    // tails of different lengths.
    return sector[bs::JumpAt] == bs::ShortJump && sector[bs::JumpFillerAt] == bs::NoOperation &&
           platform::Le16(sector, bs::SignatureAt) == bs::Signature;
}

bool IsBootSector(const AnalysisProfile& profile, std::span<const std::uint8_t, d_api::SectorSize> sector)
{
    if (profile.bootSectorNeedsFat32Jump && sector[bs::JumpDistanceAt] != bs::Fat32JumpDistance) return false;
    return IsFatBootSector(sector);
}

bool Analysis::FindBootSector()
{
    const std::uint64_t first = state_.Layout.VolumeStart;
    const std::uint64_t last = first + LastBootSectorOffset;
    if (last > LastAddressableSector) return false;

    bool found = false;
    // Every sector is examined, also after a find; a copy of the boot sector
    // further on may be the one that leads to a FAT.
    for (std::uint64_t sector = first; sector <= last && !Stopped(); ++sector)
        if (IntactBootSectorAt(sector)) found = true;
    return found;
}

bool Analysis::IntactBootSectorAt(std::uint64_t sector, BootSectorTest test)
{
    if (sector > LastAddressableSector) return false;
    ReadIntoSectorBuf(static_cast<std::uint32_t>(sector));
    const bool bootSector = test == BootSectorTest::EitherFatType ? IsFatBootSector(state_.SectorBuf)
                                                                  : IsBootSector(profile_, state_.SectorBuf);
    if (!bootSector) return false;
    const std::uint64_t fatSector = sector + platform::Le16(state_.SectorBuf, bs::ReservedSectorsAt);
    return fatSector <= LastAddressableSector && IsFatStart(static_cast<std::uint32_t>(fatSector));
}

}  // namespace repair
