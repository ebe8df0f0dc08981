#include "repair/repair_watch.h"

namespace repair {

RepairWatch::RepairWatch(RepairRun& run, RepairHost& host) : run_(run), host_(host), listening_(*this)
{
    run_.Clear();
}

RepairWatch::~RepairWatch()
{
    run_.Clear();
}

void RepairWatch::TransferFailed(const d_api::ReadFailure& failure)
{
    run_.NoteUnreadable(failure.firstSector, failure.sectors);
    if (boxShown_) return;
    // Set before the box opens: the box serves the window's events while it
    // waits for the user.
    boxShown_ = true;
    host_.ShowReadError(failure.boxText);
}

void RepairWatch::DriveUnreachable(std::uint8_t)
{
    run_.Stop(RepairStop::DriveGone);
}

}  // namespace repair
