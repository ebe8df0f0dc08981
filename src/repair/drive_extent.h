#pragma once
// The end of the chosen drive, learnt from the platform at the start of every
// repair: a volume must lie before it, and no read of a repair goes past it
// (past the end a read can only fail, and a search over a length that a
// damaged table made up would run for minutes over nothing).

#include <cstdint>
#include <optional>
#include <span>

#include "disk/d_api.h"
#include "repair/repair_host.h"
#include "repair/repair_state.h"

namespace repair {

// Sets state.DriveSectors to the exact length of the selected drive. When the
// platform cannot tell it (the drive no longer answers), the user is told that
// the disk could not be read and false is returned.
bool LearnDriveLength(RepairState& state, RepairHost& host);

// The length of a volume that fills the whole drive, or nothing when the drive
// has more sectors than 32-bit sector numbers reach.
std::optional<std::uint32_t> WholeDriveVolumeSectors(std::uint64_t driveSectors);

// True when `count` sectors from `first` all lie on the drive; always true
// while its length is not known.
bool InsideDrive(const RepairState& state, std::uint64_t first, std::uint64_t count);

// Reads one sector into `buffer`, which is cleared first, so that a read that
// fails or is not made leaves zeros; nothing is read past the drive's end.
// True when the sector was read.
bool ReadSectorInsideDrive(const RepairState& state, std::uint64_t sector,
                           std::span<std::uint8_t, d_api::SectorSize> buffer);

}  // namespace repair
