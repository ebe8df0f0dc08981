#pragma once
// The plain facts of every FAT volume, which a layout must meet before a boot
// sector declaring it is written, however the layout was derived: a wrong
// value here would make the system read the volume's files from the wrong
// sectors, read it as another FAT type, cut files off at the volume's end, or
// refuse the volume after it was called repaired.

#include <cstdint>
#include <optional>

#include "repair/boot_sector_images.h"
#include "repair/directory_entry_layout.h"
#include "repair/repair_state.h"

namespace repair {

// The sectors of the root directory between the second FAT copy and the data
// area of a FAT16 volume: the entries that the rebuilt FAT16 boot sector
// declares, 32 bytes each. A FAT32 volume keeps its root directory in the
// data area.
inline constexpr std::uint32_t Fat16RootSectors = Fat16RootEntries * dir_entry::Bytes / d_api::SectorSize;
static_assert(Fat16RootEntries * dir_entry::Bytes % d_api::SectorSize == 0, "the root directory fills whole sectors");

// The largest cluster size of a FAT volume with 512-byte sectors (64 KiB);
// sizes are powers of two, and larger ones overflow the one-byte field.
inline constexpr std::uint32_t MaxSectorsPerCluster = 128;

// Systems tell the FAT type by the cluster count alone, whatever the boot
// sector says: fewer than 4,085 clusters is FAT12, 65,525 or more is FAT32.
inline constexpr std::uint64_t Fat16MinClusters = 4085;
inline constexpr std::uint64_t Fat16MaxClusters = 65524;
inline constexpr std::uint64_t Fat32MinClusters = Fat16MaxClusters + 1;

// Where the declared volume's data area begins (cluster 2, counted from the
// volume start) and how many whole clusters follow it up to the volume's end.
struct DeclaredClusters {
    std::uint64_t dataStart = 0;
    std::uint64_t count = 0;
};
// Nothing when the cluster size is 0 or the data area does not begin inside
// the volume.
std::optional<DeclaredClusters> DeclaredClustersOf(const VolumeLayout& layout, bool fat32);

// Sectors one FAT copy needs for `clusters` clusters and the two entries
// before the first of them.
std::uint64_t FatSectorsNeeded(std::uint64_t clusters, bool fat32);

// True when a FAT of `sectorsPerFat` sectors is one a formatter makes for
// `clusters` clusters: no smaller than they need, and larger only by the
// surplus that formatters' rounding leaves.
bool FatMadeFor(std::uint64_t clusters, std::uint32_t sectorsPerFat, bool fat32);

// The first fact of a FAT volume that a layout breaks: the field or count
// that breaks it, the value found there, and what a FAT volume holds there.
struct BrokenFact {
    const char* field;
    std::uint64_t found;
    const char* expected;
};

// The facts of the boot sector that `layout` gives (the FAT32 image when
// `fat32`): every value fits its field, the cluster size is a power of two
// from 1 to 128, both FAT copies and a data area of at least one cluster lie
// inside the volume, the FAT has an entry for every cluster, and the cluster
// count lies in its type's range or the FAT was made for that count. Nothing
// when it keeps them all.
std::optional<BrokenFact> BrokenLayoutFact(const VolumeLayout& layout, bool fat32);

// The same facts for the layout in `state`, then on the disk: no entry past
// the declared volume's last cluster is in use in the first FAT copy. Reads
// that fail count against the layout.
std::optional<BrokenFact> BrokenFatVolumeFact(const RepairState& state, bool fat32);

// Ends a volume that may run to the drive's or the partition's end no further
// than the last cluster its FAT maps (FAT16: nor past the last cluster of its
// type's range). Leaves VolumeSectors alone when it ends before that, or when
// the layout places no cluster.
void EndAtTheLastClusterItsFatMaps(VolumeLayout& layout, bool fat32);

}  // namespace repair
