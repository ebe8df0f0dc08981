// Recognises a boot sector that is still intact near the volume start, so
// that a volume that needs no new boot sector is not given one.

#include "repair/analysis.h"
#include "platform/little_endian.h"

namespace repair {

namespace {

constexpr std::uint32_t LastBootSectorOffset = 512;
constexpr std::size_t ReservedCountOffset = 14;

}  // namespace

bool IsBootSector(const AnalysisProfile& profile, std::span<const std::uint8_t, d_api::SectorSize> sector)
{
    if (sector[0] != 0xEB || sector[2] != 0x90) return false;
    if (profile.bootSectorNeedsFat32Jump && sector[1] != 0x58) return false;
    return sector[510] == 0x55 && sector[511] == 0xAA;
}

bool Analysis::FindBootSector()
{
    const std::uint64_t first = state_.Layout.VolumeStart;
    const std::uint64_t last = first + LastBootSectorOffset;
    if (last > LastAddressableSector) return false;

    bool found = false;
    // Every sector is examined, also after a find; a copy of the boot sector
    // further on may be the one that leads to a FAT.
    for (std::uint64_t sector = first; sector <= last && !Stopped(); ++sector) {
        ReadIntoSectorBuf(static_cast<std::uint32_t>(sector));
        if (!IsBootSector(profile_, state_.SectorBuf)) continue;
        const std::uint64_t fatSector = sector + platform::Le16(state_.SectorBuf, ReservedCountOffset);
        if (fatSector <= LastAddressableSector && IsFatStart(static_cast<std::uint32_t>(fatSector))) found = true;
    }
    return found;
}

}  // namespace repair
