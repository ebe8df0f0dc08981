#pragma once
// The partition table of a master boot record or of an extended partition's
// table sector, as the published layout has it: four 16-byte entries, then
// the sector's signature. Offsets are byte offsets; numbers wider than a byte
// are little-endian.

#include <cstddef>
#include <cstdint>

#include "disk/d_api.h"

namespace d_api::partition_table {

inline constexpr std::size_t FirstEntryAt = 0x1BE;    // 446: the first of the four entries
inline constexpr std::size_t EntryBytes = 16;
inline constexpr int Entries = 4;
inline constexpr std::size_t SignatureAt = 0x1FE;     // 16-bit: Signature, the sector's last two bytes
// Bytes 55 AA: without them the sector holds no table.
inline constexpr std::uint16_t Signature = 0xAA55;

// Fields of one entry, from the entry's first byte.
inline constexpr std::size_t BootFlagAt = 0;          // 8-bit: 0x80 for the partition the BIOS starts
inline constexpr std::size_t FirstChsAt = 1;          // 3 bytes: first sector as cylinder, head, sector
inline constexpr std::size_t TypeAt = 4;              // 8-bit: type code, 0 for an unused entry
inline constexpr std::size_t LastChsAt = 5;           // 3 bytes: last sector as cylinder, head, sector
inline constexpr std::size_t FirstSectorAt = 8;       // 32-bit: first sector, counted from the table's sector
inline constexpr std::size_t SectorCountAt = 12;      // 32-bit: length in sectors

// The byte at which entry `index` (0 to 3) begins.
constexpr std::size_t EntryAt(int index) { return FirstEntryAt + static_cast<std::size_t>(index) * EntryBytes; }

static_assert(SectorCountAt + 4 == EntryBytes);
static_assert(EntryAt(Entries) == SignatureAt && SignatureAt + 2 == SectorSize);

}  // namespace d_api::partition_table
