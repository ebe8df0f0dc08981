#pragma once
// One read of a sector or a Block that says how it ended. The transfers answer
// only true or false; the reader of a repair must also know what a read that
// did not succeed left in its destination, and whether the disk failed it or
// no read could be made at all.

#include <cstdint>

#include "disk/read_error_text.h"

namespace d_api {

enum class ReadEnd {
    Read,           // the whole unit is in the destination
    Short,          // fewer bytes came than asked; zeros follow those that came
    // The destination is untouched, and holds what it held before, when
    Failed,         // the transfer failed,
    NotMade,        // no transfer was made (no physical-drive device on Windows 9x, or the
                    // device could not be positioned),
    DriveUnopened,  // the drive could not be opened on the Windows NT family.
};

// ReadSectors (kind Sector) or ReadBlock (kind Block) with a count of 1, the
// read-error box or the listener included.
ReadEnd ReadUnit(ReadKind kind, std::uint8_t drive, std::uint32_t sector, std::uint8_t* destination);

}  // namespace d_api
