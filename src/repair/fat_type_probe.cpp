#include "repair/fat_type_probe.h"

namespace repair {

void ProbeFatType(Analysis& analysis, VolumeLayout& layout)
{
    // The FAT search leaves offsets only within sectors it could address, so
    // these sums stay within 32 bits.
    const std::uint64_t first = std::uint64_t{layout.VolumeStart} + layout.Fat1Offset;
    const std::uint64_t last = std::uint64_t{layout.VolumeStart} + layout.Fat2Offset;
    for (std::uint64_t sector = first; sector <= last && sector <= LastAddressableSector; ++sector)
        if (analysis.Stopped() || analysis.DetectFatType(static_cast<std::uint32_t>(sector))) break;
    FollowFatStartSignature(analysis.FatStartSignature(), layout.FatType);
    // Copies that start as different types: one start is damaged, and the
    // starts cannot tell which. FAT16 is never guessed then. A FAT32 volume's
    // FAT holds an entry for every cluster of a FAT16 layout and more, so the
    // layout facts would not refuse a FAT16 boot sector over a small FAT32
    // volume; a FAT16 volume's FAT holds half the entries that a FAT32 layout
    // needs, so they do refuse a FAT32 boot sector over it.
    if (analysis.FatStartsDisagree()) layout.FatType = "FAT32";
}

void FollowFatStartSignature(FatStartKind signature, std::string& fatType)
{
    switch (signature) {
    case FatStartKind::Fat32: fatType = "FAT32"; break;
    case FatStartKind::Fat16: fatType = "FAT16"; break;
    case FatStartKind::None: break;
    }
}

}  // namespace repair
