// SectorsPerFat and ReservedSectors from where the FAT copies and the
// directory were found.

#include "repair/analysis.h"

namespace repair {

bool LayoutIsUsable(const VolumeLayout& layout)
{
    return layout.SectorsPerCluster != 0 && layout.ReservedSectors != 0 && layout.VolumeSectors != 0 &&
           layout.SectorsPerFat != 0;
}

void Analysis::DeriveLayout(bool directoryFound)
{
    VolumeLayout& layout = state_.Layout;
    if (layout.Fat1Offset != 0) {
        layout.ReservedSectors = layout.Fat1Offset;
        // Without a second copy after the first the FAT size is unknown; 0
        // keeps the layout from ever being written.
        layout.SectorsPerFat = layout.Fat2Offset > layout.Fat1Offset ? layout.Fat2Offset - layout.Fat1Offset : 0;
        return;
    }
    layout.SectorsPerFat = FallbackFatSize(directoryFound);
    layout.ReservedSectors = layout.Fat2Offset - layout.SectorsPerFat;
}

// Without the first copy's start, the FAT size follows from where the data
// area begins: the directory found by this analysis lies DirClusterOffset
// sectors into it. On FAT32 the data area directly follows the second copy.
// On FAT16 the root directory lies between them, and its size cannot be read
// from the disk, so a FAT16 second copy yields no size. Anything that does not
// fit together (no directory found now, no second copy, a data area that does
// not lie after the second copy, a first copy that would have to start at or
// before the boot sector) yields 0, which the repair refuses.
std::uint32_t Analysis::FallbackFatSize(bool directoryFound) const
{
    const VolumeLayout& layout = state_.Layout;
    if (!directoryFound || layout.SectorsPerCluster == 0) return 0;
    if (layout.Fat2Offset == 0 || secondCopyKind_ != FatStartKind::Fat32) return 0;
    if (layout.DirSector < layout.VolumeStart || layout.DirClusterOffset < 0) return 0;

    const std::int64_t dataStart =
        std::int64_t{layout.DirSector - layout.VolumeStart} - std::int64_t{layout.DirClusterOffset};
    const std::int64_t fatSize = dataStart - std::int64_t{layout.Fat2Offset};
    if (fatSize <= 0 || fatSize >= std::int64_t{layout.Fat2Offset}) return 0;
    return static_cast<std::uint32_t>(fatSize);
}

}  // namespace repair
