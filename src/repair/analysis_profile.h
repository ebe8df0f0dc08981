#pragma once
// The two programs run the same on-disk analysis; the FAT32-only program
// differs only in these constants and rules.

#include <cstdint>

namespace repair {

struct AnalysisProfile {
    // Directory search: first Block this many percent of the volume past its
    // start (rounded half to even), Blocks this many sectors apart, and this
    // many leading sectors of each Block inspected.
    std::uint32_t dirSearchStartPercent;
    std::uint32_t dirSearchStep;
    std::uint32_t dirSectorsInspected;
    // Whether the directory search forgets the previous cluster size when it
    // starts (a search without a find then leaves 0).
    bool clearsClusterSizeAtSearchStart;
    // Boot-sector test: also require the FAT32 jump distance 0x58 in byte 1.
    bool bootSectorNeedsFat32Jump;
    // FAT starts at offsets below this belong to the first copy, from it on to
    // the second.
    std::uint32_t secondCopyFirstOffset;
    // The FAT search counts its finds and gives up at the third, which means
    // the volume is too damaged to tell the copies apart.
    bool endsAtThirdFatStart;
    // The FAT search tells the user when it found no first copy.
    bool noticeWithoutFirstCopy;
    // The analysis itself refuses a layout that may not be written, because
    // the program's repair commands write whatever the analysis leaves.
    bool refusesUnusableLayout;
};

// volmender: FAT16 and FAT32.
inline constexpr AnalysisProfile VolmenderProfile{
    .dirSearchStartPercent = 3,
    .dirSearchStep = 800,
    .dirSectorsInspected = 800,
    .clearsClusterSizeAtSearchStart = true,
    .bootSectorNeedsFat32Jump = false,
    .secondCopyFirstOffset = 192,
    .endsAtThirdFatStart = false,
    .noticeWithoutFirstCopy = true,
    .refusesUnusableLayout = false,
};

// volmender-fat32: FAT32 only.
inline constexpr AnalysisProfile Fat32OnlyProfile{
    .dirSearchStartPercent = 5,
    .dirSearchStep = 80,
    .dirSectorsInspected = 80,
    .clearsClusterSizeAtSearchStart = false,
    .bootSectorNeedsFat32Jump = true,
    .secondCopyFirstOffset = 255,
    .endsAtThirdFatStart = true,
    .noticeWithoutFirstCopy = false,
    .refusesUnusableLayout = true,
};

// Offset from the volume start of the directory search's first Block:
// percent × volumeSectors / 100, rounded to the nearest integer, ties to even.
// Exact integer arithmetic, so every 32-bit volume length gives the same value
// as the extended-precision product with the nearest representable factor.
std::uint32_t DirSearchStartOffset(const AnalysisProfile& profile, std::uint32_t volumeSectors);

}  // namespace repair
