#include "repair/analysis.h"

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
        host_.ShowMessage(state_.Reader.Run().LastMessage(texts::FileSystemDamaged));
        return false;
    }
    return true;
}

// A sector that could not be read reads as zeros, which no test of the
// analysis accepts, never as what an earlier read left in the buffer. A read
// that comes back short keeps what it got, which is real disk content and may
// be tested.
void Analysis::ReadIntoSectorBuf(std::uint32_t sector)
{
    state_.Reader.ReadSector(sector, state_.SectorBuf);
}

void Analysis::ReadIntoBlockBuf(std::uint32_t firstSector)
{
    state_.Reader.ReadBlock(firstSector, std::span<std::uint8_t, d_api::BlockSize>(state_.BlockBuf));
}

}  // namespace repair
