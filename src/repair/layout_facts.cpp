#include "repair/layout_facts.h"

#include <bit>
#include <limits>

#include "disk/d_api.h"
#include "repair/analysis.h"
#include "repair/fat_entry_layout.h"

namespace repair {

namespace {

// The fields that the boot-sector images give these values: one byte for the
// cluster size, 16 bits for the reserved count and for a FAT16 FAT size.
// A repair never fails the 16-bit test: it derives both values from offsets
// of FAT starts that the search found, none past LastFatSearchOffset.
static_assert(LastFatSearchOffset <= std::numeric_limits<std::uint16_t>::max());
bool FitsItsField(const VolumeLayout& layout, bool fat32)
{
    constexpr std::uint32_t sixteenBits = std::numeric_limits<std::uint16_t>::max();
    return layout.ReservedSectors <= sixteenBits && (fat32 || layout.SectorsPerFat <= sixteenBits);
}

}  // namespace

std::optional<DeclaredClusters> DeclaredClustersOf(const VolumeLayout& layout, bool fat32)
{
    if (layout.SectorsPerCluster == 0) return std::nullopt;
    const std::uint64_t dataStart = std::uint64_t{layout.ReservedSectors} + FatCopies * std::uint64_t{layout.SectorsPerFat} +
                                    (fat32 ? 0 : Fat16RootSectors);
    if (dataStart >= layout.VolumeSectors) return std::nullopt;
    return DeclaredClusters{dataStart, (layout.VolumeSectors - dataStart) / layout.SectorsPerCluster};
}

std::uint64_t FatSectorsNeeded(std::uint64_t clusters, bool fat32)
{
    const std::uint64_t bytes =
        (clusters + fat_entry::ReservedEntries) * (fat32 ? fat_entry::Fat32Bytes : fat_entry::Fat16Bytes);
    return (bytes + d_api::SectorSize - 1) / d_api::SectorSize;
}

bool MeetsFatVolumeFacts(const VolumeLayout& layout, bool fat32)
{
    if (!LayoutIsUsable(layout) || !FitsItsField(layout, fat32)) return false;
    const std::uint32_t sectorsPerCluster = layout.SectorsPerCluster;
    if (!std::has_single_bit(sectorsPerCluster) || sectorsPerCluster > MaxSectorsPerCluster) return false;
    const std::optional<DeclaredClusters> clusters = DeclaredClustersOf(layout, fat32);
    if (!clusters || clusters->count == 0) return false;
    return FatSectorsNeeded(clusters->count, fat32) <= layout.SectorsPerFat;
}

}  // namespace repair
