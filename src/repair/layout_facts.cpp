#include "repair/layout_facts.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>

#include "disk/d_api.h"
#include "repair/analysis.h"
#include "repair/drive_reader.h"
#include "repair/fat_entry_layout.h"

namespace repair {

namespace {

// The fields that the boot-sector images give these values: 16 bits for the
// reserved count and for a FAT16 FAT size. A repair never fails the 16-bit
// tests: it derives both values from offsets of FAT starts that the search
// found, none past LastFatSearchOffset. For the same reason no FAT32 layout
// reaches the most clusters a 28-bit entry can number.
constexpr std::uint32_t SixteenBits = std::numeric_limits<std::uint16_t>::max();
static_assert(LastFatSearchOffset <= SixteenBits);
static_assert(std::uint64_t{LastFatSearchOffset} * d_api::SectorSize / fat_entry::Fat32Bytes < fat_entry::Fat32Bad);

// Formatters round a FAT up, and the sizing rule of the published FAT layout
// makes a FAT32 FAT up to 1/129 larger than its clusters need; a FAT larger
// than this surplus was made for more clusters than the layout declares.
std::uint64_t LargestFatSurplus(std::uint64_t needed) { return needed / 32 + 8; }

// A count on the far side of its type's boundary is what mkfs.fat makes of a
// small volume on purpose (FAT32 below about 32 MiB), and is taken for the
// declared type only with a FAT made for it. A FAT made for more clusters
// says that the declared length cut the volume short.
std::optional<BrokenFact> CountOutsideItsType(std::uint64_t clusters, std::uint32_t sectorsPerFat, bool fat32)
{
    if (!fat32 && clusters > Fat16MaxClusters) return BrokenFact{"clusters", clusters, "at most 65,524 on FAT16"};
    const bool belowItsType = clusters < (fat32 ? Fat32MinClusters : Fat16MinClusters);
    if (belowItsType && !FatMadeFor(clusters, sectorsPerFat, fat32))
        return BrokenFact{"SectorsPerFat", sectorsPerFat, "a FAT made for a count below its type's range"};
    return std::nullopt;
}

// An entry past the last cluster that is neither free nor marked bad links a
// file or ends one: the declared length would cut that file off. The entries
// are those of the first copy, the one systems read; only its sectors from
// the one that holds the first such entry to its end are read, which the FAT
// size bounds.
std::optional<BrokenFact> ClusterInUsePastTheEnd(const RepairState& state, std::uint64_t clusters, bool fat32)
{
    const VolumeLayout& layout = state.Layout;
    const std::uint64_t perSector = d_api::SectorSize / fat_entry::Bytes(fat32);
    const std::uint64_t firstPast = clusters + fat_entry::FirstCluster;
    const std::uint64_t fatStart = std::uint64_t{layout.VolumeStart} + layout.ReservedSectors;
    std::array<std::uint8_t, d_api::SectorSize> bytes{};
    for (std::uint64_t sector = firstPast / perSector; sector < layout.SectorsPerFat; ++sector) {
        if (!state.Reader.ReadSector(fatStart + sector, bytes))
            return BrokenFact{"FAT sector past the last cluster", fatStart + sector, "readable"};
        for (std::uint64_t entry = std::max(firstPast, sector * perSector); entry < (sector + 1) * perSector; ++entry) {
            const std::uint32_t value = fat_entry::ReadEntry(bytes, entry, fat32);
            if (value != 0 && value != fat_entry::Bad(fat32)) return BrokenFact{"cluster past the volume's end", entry, "free"};
        }
    }
    return std::nullopt;
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
    const std::uint64_t bytes = (clusters + fat_entry::ReservedEntries) * fat_entry::Bytes(fat32);
    return (bytes + d_api::SectorSize - 1) / d_api::SectorSize;
}

bool FatMadeFor(std::uint64_t clusters, std::uint32_t sectorsPerFat, bool fat32)
{
    const std::uint64_t needed = FatSectorsNeeded(clusters, fat32);
    return needed <= sectorsPerFat && sectorsPerFat <= needed + LargestFatSurplus(needed);
}

std::optional<BrokenFact> BrokenLayoutFact(const VolumeLayout& layout, bool fat32)
{
    const std::uint32_t sectorsPerCluster = layout.SectorsPerCluster;
    if (!std::has_single_bit(sectorsPerCluster) || sectorsPerCluster > MaxSectorsPerCluster)
        return BrokenFact{"SectorsPerCluster", sectorsPerCluster, "a power of two from 1 to 128"};
    // 0 would put the first FAT copy over the boot sector.
    if (layout.ReservedSectors == 0 || layout.ReservedSectors > SixteenBits)
        return BrokenFact{"ReservedSectors", layout.ReservedSectors, "1 to 65,535"};
    if (layout.SectorsPerFat == 0 || (!fat32 && layout.SectorsPerFat > SixteenBits))
        return BrokenFact{"SectorsPerFat", layout.SectorsPerFat, fat32 ? "not 0" : "1 to 65,535"};
    const std::optional<DeclaredClusters> clusters = DeclaredClustersOf(layout, fat32);
    if (!clusters || clusters->count == 0)
        return BrokenFact{"VolumeSectors", layout.VolumeSectors, "room for both FAT copies and a cluster"};
    if (FatSectorsNeeded(clusters->count, fat32) > layout.SectorsPerFat)
        return BrokenFact{"SectorsPerFat", layout.SectorsPerFat, "an entry for every cluster"};
    return CountOutsideItsType(clusters->count, layout.SectorsPerFat, fat32);
}

std::optional<BrokenFact> BrokenFatVolumeFact(const RepairState& state, bool fat32)
{
    if (std::optional<BrokenFact> broken = BrokenLayoutFact(state.Layout, fat32)) return broken;
    return ClusterInUsePastTheEnd(state, DeclaredClustersOf(state.Layout, fat32)->count, fat32);
}

void EndAtTheLastClusterItsFatMaps(VolumeLayout& layout, bool fat32)
{
    const std::optional<DeclaredClusters> clusters = DeclaredClustersOf(layout, fat32);
    if (!clusters || layout.SectorsPerFat == 0) return;
    const std::uint64_t entries = std::uint64_t{layout.SectorsPerFat} * d_api::SectorSize / fat_entry::Bytes(fat32);
    std::uint64_t mapped = entries - fat_entry::ReservedEntries;
    if (!fat32) mapped = std::min(mapped, Fat16MaxClusters);
    const std::uint64_t end = clusters->dataStart + mapped * layout.SectorsPerCluster;
    if (end < layout.VolumeSectors) layout.VolumeSectors = static_cast<std::uint32_t>(end);
}

}  // namespace repair
