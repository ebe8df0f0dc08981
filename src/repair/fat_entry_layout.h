#pragma once
// Entries of a file allocation table, as the published FAT layout has them:
// one per cluster, 16 bits wide on FAT16 and 32 bits (of which the low 28
// count) on FAT32, little-endian. Entries 0 and 1 hold the media byte and
// flags; cluster 2 is the first of the data area.

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/little_endian.h"

namespace repair::fat_entry {

inline constexpr std::uint32_t Fat16Bytes = 2;
inline constexpr std::uint32_t Fat32Bytes = 4;
inline constexpr std::uint32_t Fat32Mask = 0x0FFFFFFF;  // the top four bits of a FAT32 entry are reserved
inline constexpr std::uint32_t ReservedEntries = 2;     // entries 0 and 1, before the first cluster's
inline constexpr std::uint32_t FirstCluster = 2;
// The mark of a bad cluster; every value above it ends a chain.
inline constexpr std::uint32_t Fat16Bad = 0xFFF7;
inline constexpr std::uint32_t Fat32Bad = 0x0FFFFFF7;

inline constexpr std::uint32_t Bytes(bool fat32) { return fat32 ? Fat32Bytes : Fat16Bytes; }
inline constexpr std::uint32_t Bad(bool fat32) { return fat32 ? Fat32Bad : Fat16Bad; }

// Entry `entry` of the FAT sector that holds it (`sector`), its reserved top
// bits cleared.
inline std::uint32_t ReadEntry(std::span<const std::uint8_t> sector, std::uint64_t entry, bool fat32)
{
    const std::size_t at = entry * Bytes(fat32) % sector.size();
    return fat32 ? platform::Le32(sector, at) & Fat32Mask : platform::Le16(sector, at);
}

}  // namespace repair::fat_entry
