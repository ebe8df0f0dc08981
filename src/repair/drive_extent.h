#pragma once
// The end of the chosen drive, learnt from the platform at the start of every
// repair: a volume must lie before it, and no read of the repair goes past it.

#include <cstdint>
#include <optional>

#include "repair/repair_host.h"
#include "repair/repair_state.h"

namespace repair {

// Learns the exact length of the drive that the repair reads. When the
// platform cannot tell it (the drive no longer answers), the user is told that
// the disk could not be read and false is returned.
bool LearnDriveLength(RepairState& state, RepairHost& host);

// The length of a volume that fills the whole drive, or nothing when the drive
// has more sectors than 32-bit sector numbers reach.
std::optional<std::uint32_t> WholeDriveVolumeSectors(std::uint64_t driveSectors);

}  // namespace repair
