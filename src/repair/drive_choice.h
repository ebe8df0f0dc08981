#pragma once
// The drive list of both main windows and the choice of a drive from it, over
// the repair state: which drives answer, the drive behind a picked line, and
// the read of the chosen drive's first sector.

#include <cstddef>
#include <vector>

#include "disk/d_api.h"
#include "repair/repair_state.h"

namespace repair {

// Probes drive numbers 0 to 255 in rising order. Returns the record of every
// drive that answers the parameter query, one per line of the drive list, and
// sets state.DriveNumbers[i] to the drive behind line i. The chosen drive, its
// record and the sector buffer are left alone.
std::vector<d_api::TDriveParams> ListDrives(RepairState& state);

// `drive` becomes the selected one, its record is read again (a drive that no
// longer answers leaves the previous record) and the sector to read becomes 0.
void SelectDrive(RepairState& state, std::uint32_t drive);

// The user picked line `line` of the drive list: its drive is selected as
// above. A line beyond the table of drive numbers changes nothing.
void ChooseDrive(RepairState& state, std::size_t line);

// Reads sector CurSector of the selected drive into SectorBuf. False when the
// read failed; SectorBuf then keeps what it held. A failed transfer has shown
// the read-error box itself.
bool ReadFirstSector(RepairState& state);

}  // namespace repair
