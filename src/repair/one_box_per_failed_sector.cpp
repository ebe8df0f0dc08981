#include "repair/one_box_per_failed_sector.h"

namespace repair {

void OneBoxPerFailedSector::TransferFailed(const d_api::ReadFailure& failure)
{
    if (shown_.emplace(failure.drive, failure.firstSector).second) host_.ShowReadError(failure.boxText);
}

}  // namespace repair
