// Decides between FAT16 and FAT32 from the first ordinary link of a FAT
// sector: a FAT32 entry is 32 bits wide, so the 16-bit word after the low
// half of a small cluster number is 0.

#include <string>

#include "repair/analysis.h"
#include "platform/little_endian.h"

namespace repair {

namespace {

constexpr int WordsExamined = 32;

// Words that say nothing about the width, so the decision passes over them.
constexpr std::uint16_t FreeEntry = 0x0000;          // a free cluster, or the high half of a small FAT32 link
constexpr std::uint16_t Fat32MarkerHigh = 0x0FFF;    // high half of a FAT32 marker (0x0FFFFFF8 ... 0x0FFFFFFF)
constexpr std::uint16_t Fat32ReservedBitsHigh = 0xEFFF;  // high half of a FAT32 mark whose reserved top bits are set
// From here to 0xFFFF: the media entry 0xFFF8, bad-cluster and end-of-chain
// marks of FAT16 and the low halves of FAT32 ones. 0xFFF0 is a link like any
// other word.
constexpr std::uint16_t FirstMarker = 0xFFF1;

bool SaysNothingAboutWidth(std::uint16_t word)
{
    return word == FreeEntry || word == Fat32MarkerHigh || word == Fat32ReservedBitsHigh || word >= FirstMarker;
}

}  // namespace

bool Analysis::DetectFatType(std::uint32_t sector)
{
    ReadIntoSectorBuf(sector);
    const std::span<const std::uint8_t> bytes = state_.SectorBuf;
    for (int i = 0; i < WordsExamined; ++i) {
        if (SaysNothingAboutWidth(platform::Le16(bytes, 2 * i))) continue;
        state_.Layout.FatType = platform::Le16(bytes, 2 * i + 2) == 0 ? "FAT32" : "FAT16";
        return true;
    }
    return false;
}

}  // namespace repair
