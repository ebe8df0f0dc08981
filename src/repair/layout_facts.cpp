#include "repair/layout_facts.h"

#include <bit>
#include <limits>

#include "disk/d_api.h"
#include "repair/analysis.h"

namespace repair {

namespace {

constexpr std::uint64_t Fat16EntryBytes = 2;
constexpr std::uint64_t Fat32EntryBytes = 4;
// Entries 0 and 1 hold the media byte and flags; cluster 2 is the first.
constexpr std::uint64_t ReservedFatEntries = 2;

// The fields that the boot-sector images give these values: one byte for the
// cluster size, 16 bits for the reserved count and for a FAT16 FAT size.
bool FitsItsField(const VolumeLayout& layout, bool fat32)
{
    constexpr std::uint32_t sixteenBits = std::numeric_limits<std::uint16_t>::max();
    return layout.ReservedSectors <= sixteenBits && (fat32 || layout.SectorsPerFat <= sixteenBits);
}

}  // namespace

std::optional<DeclaredClusters> DeclaredClustersOf(const VolumeLayout& layout, bool fat32)
{
    if (layout.SectorsPerCluster == 0) return std::nullopt;
    const std::uint64_t dataStart = std::uint64_t{layout.ReservedSectors} + 2 * std::uint64_t{layout.SectorsPerFat} +
                                    (fat32 ? 0 : Fat16RootSectors);
    if (dataStart >= layout.VolumeSectors) return std::nullopt;
    return DeclaredClusters{dataStart, (layout.VolumeSectors - dataStart) / layout.SectorsPerCluster};
}

std::uint64_t FatSectorsNeeded(std::uint64_t clusters, bool fat32)
{
    const std::uint64_t bytes = (clusters + ReservedFatEntries) * (fat32 ? Fat32EntryBytes : Fat16EntryBytes);
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
