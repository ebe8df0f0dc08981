#pragma once
// One 32-byte entry of a FAT directory, as the published FAT layout has it.
// Offsets are byte offsets in the entry; numbers wider than a byte are
// little-endian. A subdirectory's first sector begins with its "." entry
// (naming its own first cluster) and its ".." entry (naming its parent's,
// 0 for the root), which is how the analysis recognises one.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "disk/d_api.h"
#include "platform/little_endian.h"

namespace repair::dir_entry {

inline constexpr std::size_t NameAt = 0;               // 8 bytes: name, padded with blanks
inline constexpr std::size_t NameBytes = 8;
inline constexpr std::size_t ExtensionAt = 8;          // 3 bytes: extension, padded with blanks
inline constexpr std::size_t ExtensionBytes = 3;
inline constexpr std::size_t AttributesAt = 11;        // 8-bit: attribute bits (Directory ...)
inline constexpr std::size_t CaseFlagsAt = 12;         // 8-bit: lower-case flags of name and extension
inline constexpr std::size_t CreationTenthsAt = 13;    // 8-bit: creation time, hundredths of a second
inline constexpr std::size_t CreationTimeAt = 14;      // 16-bit: creation time, two-second steps
inline constexpr std::size_t CreationDateAt = 16;      // 16-bit: creation date
inline constexpr std::size_t AccessDateAt = 18;        // 16-bit: date of the last access
inline constexpr std::size_t ClusterHighAt = 20;       // 16-bit: upper half of the first cluster (FAT32; 0 on FAT16)
inline constexpr std::size_t WriteTimeAt = 22;         // 16-bit: time of the last write
inline constexpr std::size_t WriteDateAt = 24;         // 16-bit: date of the last write
inline constexpr std::size_t ClusterLowAt = 26;        // 16-bit: lower half of the first cluster
inline constexpr std::size_t FileSizeAt = 28;          // 32-bit: file length in bytes; 0 for a directory
inline constexpr std::size_t Bytes = 32;

inline constexpr std::uint8_t Directory = 0x10;        // attribute bit of a subdirectory

// The "." and ".." names of the entries that open every subdirectory.
inline constexpr std::array<std::uint8_t, NameBytes> DotName{'.', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
inline constexpr std::array<std::uint8_t, NameBytes> DotDotName{'.', '.', ' ', ' ', ' ', ' ', ' ', ' '};
inline constexpr std::array<std::uint8_t, ExtensionBytes> BlankExtension{' ', ' ', ' '};

static_assert(FileSizeAt + 4 == Bytes);
static_assert(d_api::SectorSize % Bytes == 0, "entries never straddle two sectors");

// The first cluster named by the entry at byte `entryAt` of `bytes`.
inline std::uint32_t FirstCluster(std::span<const std::uint8_t> bytes, std::size_t entryAt)
{
    return (std::uint32_t{platform::Le16(bytes, entryAt + ClusterHighAt)} << 16) |
           platform::Le16(bytes, entryAt + ClusterLowAt);
}

}  // namespace repair::dir_entry
