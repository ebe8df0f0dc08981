#pragma once
// Evidence from the disk for a layout, taken from sectors that did not
// produce it, before the layout may be written.
//
// A layout from two FAT starts found at their places has it already: the
// distance between the copies is the FAT size, and the directory found must
// lie where the data area of that layout puts its cluster (the analysis drops
// the cluster size otherwise). The fallback has none: it derives the FAT size
// and the reserved count from the directory's position and one FAT start, so
// a damaged copy, a stray directory sector or a FAT start taken for the wrong
// copy all give a layout that looks as good. Its layout is confirmed only when
// the FAT copies it declares agree, the FAT size is the one its clusters need,
// and the directory it was derived from is a real directory of that volume.

#include "repair/repair_state.h"

namespace repair {

// True when the layout in `state` (written as FAT32 when `fat32`) is confirmed
// by the disk; reads that fail count against it. The layout must come from
// the analysis and meet the plain facts (MeetsFatVolumeFacts) first.
bool LayoutConfirmedByDisk(const RepairState& state, bool fat32);

}  // namespace repair
