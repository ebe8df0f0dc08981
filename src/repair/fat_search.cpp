// The search for the starts of the two FAT copies near the volume start.

#include "repair/analysis.h"
#include "platform/little_endian.h"
#include "repair/repair_texts.h"

namespace repair {

namespace {

// What a FAT of a fixed disk begins with, bytes 0 to 3 read as one number:
// entry 0 repeats the media byte F8 with every other bit set, and on FAT16
// entry 1 is the end-of-chain mark 0xFFFF of a volume unmounted cleanly. Any
// other start (another media byte, the dirty bit of a FAT16 entry 1 cleared)
// is not taken for a FAT, so a sector of file data rarely passes.
constexpr std::uint32_t Fat16Start = 0xFFFFFFF8;  // entries 0xFFF8 and 0xFFFF
constexpr std::uint32_t Fat32Start = 0x0FFFFFF8;  // entry 0x0FFFFFF8, its reserved top bits clear
constexpr unsigned FatStartsThatEndTheSearch = 3;

}  // namespace

FatStartKind FatStartKindOf(std::span<const std::uint8_t, d_api::SectorSize> sector)
{
    switch (platform::Le32(sector, 0)) {
    case Fat16Start: return FatStartKind::Fat16;
    case Fat32Start: return FatStartKind::Fat32;
    default: return FatStartKind::None;
    }
}

FatStartKind Analysis::ReadFatStartKind(std::uint32_t sector)
{
    ReadIntoSectorBuf(sector);
    return FatStartKindOf(state_.SectorBuf);
}

bool Analysis::IsFatStart(std::uint32_t sector)
{
    return ReadFatStartKind(sector) != FatStartKind::None;
}

FatSearchEnd Analysis::FindFats()
{
    VolumeLayout& layout = state_.Layout;
    layout.Fat1Offset = 0;
    layout.Fat2Offset = 0;
    firstCopyKind_ = FatStartKind::None;
    secondCopyKind_ = FatStartKind::None;
    unsigned finds = 0;

    // A volume whose first 20,001 sectors would run past the last sector
    // number gets no scan at all rather than one that wraps round.
    if (std::uint64_t{layout.VolumeStart} + LastFatSearchOffset <= LastAddressableSector) {
        for (std::uint32_t offset = 0; offset <= LastFatSearchOffset; ++offset) {
            const FatStartKind kind = ReadFatStartKind(layout.VolumeStart + offset);
            if (Stopped()) return FatSearchEnd::Stopped;
            if (kind != FatStartKind::None) {
                // The last find in each range counts.
                if (offset < profile_.secondCopyFirstOffset) {
                    layout.Fat1Offset = offset;
                    firstCopyKind_ = kind;
                } else {
                    layout.Fat2Offset = offset;
                    secondCopyKind_ = kind;
                }
                ++finds;
                if (profile_.endsAtThirdFatStart && finds == FatStartsThatEndTheSearch) {
                    host_.ShowMessage(state_.Reader.Run().LastMessage(texts::FileSystemDamaged));
                    return FatSearchEnd::ThirdFatStart;
                }
            }
            host_.ProcessMessages();
            if (Stopped()) return FatSearchEnd::Stopped;
        }
    }

    if (profile_.noticeWithoutFirstCopy && layout.Fat1Offset == 0) host_.ShowMessage(texts::FileSystemDamaged);
    return FatSearchEnd::Scanned;
}

FatStartKind Analysis::FatStartSignature() const
{
    if (FatStartsDisagree()) return FatStartKind::None;
    return FirstCopyKind() != FatStartKind::None ? FirstCopyKind() : secondCopyKind_;
}

bool Analysis::FatStartsDisagree() const
{
    return FirstCopyKind() != FatStartKind::None && secondCopyKind_ != FatStartKind::None &&
           FirstCopyKind() != secondCopyKind_;
}

// A find at offset 0 is no first copy (Fat1Offset stays 0), so its kind does
// not count either.
FatStartKind Analysis::FirstCopyKind() const
{
    return state_.Layout.Fat1Offset != 0 ? firstCopyKind_ : FatStartKind::None;
}

}  // namespace repair
