#include "repair/analysis.h"

#include <algorithm>

#include "repair/repair_texts.h"

namespace repair {

Analysis::Analysis(RepairState& state, RepairHost& host, const AnalysisProfile& profile)
    : state_(state), host_(host), profile_(profile)
{
}

bool Analysis::AnalyseFat()
{
    const bool directoryFound = FindDirCluster();
    if (Stopped() || FindFats() != FatSearchEnd::Scanned) return false;
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
void Analysis::ReadIntoSectorBuf(std::uint32_t sector)
{
    std::ranges::fill(state_.SectorBuf, 0);
    d_api::ReadSectors(state_.Drive(), sector, 1, state_.SectorBuf.data());
}

void Analysis::ReadIntoBlockBuf(std::uint32_t firstSector)
{
    state_.BlockBuf.assign(d_api::BlockSize, 0);
    d_api::ReadBlock(state_.Drive(), firstSector, 1, state_.BlockBuf.data());
}

}  // namespace repair
