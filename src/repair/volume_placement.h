#pragma once
// Where a partition's volume may lie. A table entry is only a claim: a
// damaged or hostile one can put the volume over the table that describes it
// (a boot sector written there wipes the partition table) or past the end of
// the drive (a boot sector would declare sectors that do not exist, and the
// searches would read for minutes past the end).

#include <cstdint>

#include "disk/d_api.h"

namespace repair {

// True when partition k of `detail` begins after the sector of the table that
// describes it (the master boot record, or an extended table for its own
// entries) and ends on a drive of `driveSectors` sectors.
bool PartitionLiesAfterItsTableAndOnTheDrive(const d_api::TDiskDetail& detail, int k, std::uint64_t driveSectors);

}  // namespace repair
