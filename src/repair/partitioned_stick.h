#pragma once
// A removable drive whose volume lies in a partition, as sticks come today:
// the partition table in sector 0, the volume at sector 2,048. The removable
// road repairs the whole drive as one volume from sector 0, so on such a stick
// it would write its boot sector over the table; where the partition's own
// boot sector still works, nothing needs a new one.

#include "repair/analysis.h"
#include "repair/repair_state.h"

namespace repair {

// True when sector 0 of the drive holds a partition table with a FAT entry
// (FAT16 or FAT32) that begins at an intact boot sector of either FAT type on
// the drive (Analysis::IntactBootSectorAt).
bool PartitionTableLeadsToAnIntactBootSector(Analysis& analysis, const RepairState& state);

}  // namespace repair
