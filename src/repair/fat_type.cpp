// Decides between FAT16 and FAT32 from the first ordinary link of a FAT
// sector: a FAT32 entry is 32 bits wide, so the 16-bit word after the low
// half of a small cluster number is 0.

#include <string>

#include "repair/analysis.h"
#include "platform/little_endian.h"

namespace repair {

namespace {

constexpr int WordsExamined = 32;

// Words that say nothing about the width: free entries, the media and
// end-of-chain markers of either width, and the high halves of FAT32 markers.
bool SaysNothingAboutWidth(std::uint16_t word)
{
    return word == 0x0000 || word == 0x0FFF || word == 0xEFFF || word >= 0xFFF1;
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
