#include "repair/analysis.h"

#include <algorithm>

#include "repair/drive_extent.h"
#include "repair/repair_texts.h"

namespace repair {

Analysis::Analysis(RepairState& state, RepairHost& host, const AnalysisProfile& profile)
    : state_(state), host_(host), profile_(profile)
{
}

bool Analysis::AnalyseFat()
{
    const bool directoryFound = FindDirCluster();
    // After a stop in the directory search the FAT search ends at its first
    // sector, as Stopped.
    if (FindFats() != FatSearchEnd::Scanned) return false;
    DeriveLayout(directoryFound);

    if (profile_.refusesUnusableLayout && !(directoryFound && LayoutIsUsable(state_.Layout))) {
        host_.ShowMessage(state_.Run.LastMessage(texts::FileSystemDamaged));
        return false;
    }
    return true;
}

// The buffer is cleared before every read: a read that fails leaves it
// untouched, and what an earlier read left there must not be taken for the
// sector now asked for. A failed read thus reads as zeros, which no test of the
// analysis accepts. A read that comes back short overwrites the buffer with
// what it got, which is real disk content and may be tested.
// Nothing is read past the drive's end: there sectors read as zeros too.
void Analysis::ReadIntoSectorBuf(std::uint32_t sector)
{
    ReadSectorInsideDrive(state_, sector, state_.SectorBuf);
}

// A Block that reaches past the drive's end is read sector by sector up to it.
void Analysis::ReadIntoBlockBuf(std::uint32_t firstSector)
{
    state_.BlockBuf.assign(d_api::BlockSize, 0);
    if (InsideDrive(state_, firstSector, d_api::BlockSectors)) {
        d_api::ReadBlock(state_.Drive(), firstSector, 1, state_.BlockBuf.data());
        return;
    }
    for (std::uint32_t s = 0; s < d_api::BlockSectors && InsideDrive(state_, std::uint64_t{firstSector} + s, 1); ++s)
        ReadSectorInsideDrive(state_, std::uint64_t{firstSector} + s,
                              std::span<std::uint8_t, d_api::SectorSize>(state_.BlockBuf.data() + s * d_api::SectorSize,
                                                                          d_api::SectorSize));
}

}  // namespace repair
