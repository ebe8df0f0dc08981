#pragma once
// Entries of a file allocation table, as the published FAT layout has them:
// one per cluster, 16 bits wide on FAT16 and 32 bits (of which the low 28
// count) on FAT32, little-endian. Entries 0 and 1 hold the media byte and
// flags; cluster 2 is the first of the data area.

#include <cstdint>

namespace repair::fat_entry {

inline constexpr std::uint32_t Fat16Bytes = 2;
inline constexpr std::uint32_t Fat32Bytes = 4;
inline constexpr std::uint32_t Fat32Mask = 0x0FFFFFFF;  // the top four bits of a FAT32 entry are reserved
inline constexpr std::uint32_t ReservedEntries = 2;     // entries 0 and 1, before the first cluster's
inline constexpr std::uint32_t FirstCluster = 2;
// The mark of a bad cluster; every value above it ends a chain.
inline constexpr std::uint32_t Fat16Bad = 0xFFF7;
inline constexpr std::uint32_t Fat32Bad = 0x0FFFFFF7;

}  // namespace repair::fat_entry
