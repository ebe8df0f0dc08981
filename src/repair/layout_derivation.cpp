// SectorsPerFat and ReservedSectors from where the FAT copies and the
// directory were found.

#include <bit>

#include "repair/analysis.h"
#include "repair/layout_facts.h"

namespace repair {

bool LayoutIsUsable(const VolumeLayout& layout)
{
    return layout.SectorsPerCluster != 0 && layout.ReservedSectors != 0 && layout.VolumeSectors != 0 &&
           layout.SectorsPerFat != 0;
}

namespace {

// Where the data area (cluster 2) begins, counted from the volume start, as the
// directory found by the search tells it.
std::int64_t DataStartFromDirectory(const VolumeLayout& layout)
{
    return std::int64_t{layout.DirSector} - std::int64_t{layout.VolumeStart} - std::int64_t{layout.DirClusterOffset};
}

}  // namespace

void Analysis::DeriveLayout(bool directoryFound)
{
    VolumeLayout& layout = state_.Layout;
    if (layout.Fat1Offset != 0) {
        layout.ReservedSectors = layout.Fat1Offset;
        // Without a second copy after the first the FAT size is unknown; 0
        // keeps the layout from ever being written.
        layout.SectorsPerFat = layout.Fat2Offset > layout.Fat1Offset ? layout.Fat2Offset - layout.Fat1Offset : 0;
        if (directoryFound) FitClusterSizeToTheDirectory();
        return;
    }
    layout.SectorsPerFat = FallbackFatSize(directoryFound);
    layout.ReservedSectors = layout.Fat2Offset - layout.SectorsPerFat;
}

// The cluster size is the quotient of the directory's distance from the
// volume start by its cluster number, which is exact only while the FAT area
// is small against that cluster number: 512-byte clusters of FAT32, whose FATs
// take 1.6 % of the volume, give twice the size for a directory found before
// about 3.1 % of it. The FATs found tell where the data area begins; the cluster
// size is then the one that puts the directory's cluster where it lies, when
// one does (a power of two that divides the distance exactly). Otherwise it is
// dropped (0), and the repair refuses the layout: a boot sector built from
// the FATs found and another cluster size would put the directory elsewhere.
void Analysis::FitClusterSizeToTheDirectory()
{
    VolumeLayout& layout = state_.Layout;
    if (layout.SectorsPerCluster == 0 || layout.SectorsPerFat == 0) return;
    const std::int64_t dataStart = std::int64_t{layout.ReservedSectors} + FatCopies * std::int64_t{layout.SectorsPerFat} +
                                   RootSectorsAfterSecondCopy();
    if (DataStartFromDirectory(layout) == dataStart) return;
    // The directory's cluster number less 2, from the quotient's own offset.
    const std::int64_t clustersBefore = layout.DirClusterOffset / std::int64_t{layout.SectorsPerCluster};
    const std::int64_t distance = std::int64_t{layout.DirSector} - layout.VolumeStart - dataStart;
    layout.SectorsPerCluster = 0;
    if (clustersBefore <= 0 || distance <= 0 || distance % clustersBefore != 0) return;
    const std::int64_t fitted = distance / clustersBefore;
    if (fitted > MaxSectorsPerCluster || !std::has_single_bit(static_cast<std::uint64_t>(fitted))) return;
    layout.SectorsPerCluster = static_cast<std::uint32_t>(fitted);
    layout.DirClusterOffset = static_cast<std::int32_t>(distance);
}

// Without the first copy's start, the FAT size follows from where the data
// area begins, as the directory found by this analysis tells it: the data
// area follows the second copy directly on FAT32, and after the root
// directory on FAT16. Anything that does not fit together (no directory found
// now, a data area that does not lie after the second copy, a first copy that
// would have to start at or before the boot sector; without a second copy its
// offset 0 leaves no room for the first) yields 0, which the repair refuses.
std::uint32_t Analysis::FallbackFatSize(bool directoryFound) const
{
    const VolumeLayout& layout = state_.Layout;
    if (!directoryFound || layout.SectorsPerCluster == 0) return 0;
    // The directory found now lies at or after the volume start; a "." entry
    // naming cluster 1 puts it before the data area.
    if (layout.DirClusterOffset < 0) return 0;

    const std::int64_t fatSize =
        DataStartFromDirectory(layout) - RootSectorsAfterSecondCopy() - std::int64_t{layout.Fat2Offset};
    if (fatSize <= 0 || fatSize >= std::int64_t{layout.Fat2Offset}) return 0;
    return static_cast<std::uint32_t>(fatSize);
}

std::int64_t Analysis::RootSectorsAfterSecondCopy() const
{
    return secondCopyKind_ == FatStartKind::Fat16 ? std::int64_t{Fat16RootSectors} : 0;
}

}  // namespace repair
