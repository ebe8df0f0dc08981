#pragma once
// The plain facts of every FAT volume, which a layout must meet before a boot
// sector declaring it is written, however the layout was derived: a wrong
// value here would make the system read the volume's files from the wrong
// sectors, or refuse the volume after it was called repaired.

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
