#pragma once
// The plain facts of every FAT volume, which a layout must meet before a boot
// sector declaring it is written, however the layout was derived: a wrong
// value here would make the system read the volume's files from the wrong
// sectors, or refuse the volume after it was called repaired.

#include <cstdint>
#include <optional>

#include "repair/repair_state.h"

namespace repair {

// The root directory between the second FAT copy and the data area of a
// FAT16 volume: the 512 entries of 32 bytes that the rebuilt FAT16 boot
// sector declares (and that FAT16 formatters give a hard disk). A FAT32
// volume keeps its root directory in the data area.
inline constexpr std::uint32_t Fat16RootSectors = 32;

// The largest cluster size of a FAT volume with 512-byte sectors (64 KiB);
// sizes are powers of two, and larger ones overflow the one-byte field.
inline constexpr std::uint32_t MaxSectorsPerCluster = 128;

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

// True when the boot sector that `layout` gives (the FAT32 image when
// `fat32`) describes a possible FAT volume: every value fits its field, the
// cluster size is a power of two from 1 to 128, both FAT copies and a data
// area of at least one cluster lie inside the volume, and the FAT has an
// entry for every cluster.
bool MeetsFatVolumeFacts(const VolumeLayout& layout, bool fat32);

}  // namespace repair
