#pragma once
// Keeps a copy of the sector that a repair is about to overwrite, in a file
// the user names.

#include <cstdint>

#include "repair/repair_host.h"
#include "repair/repair_state.h"

namespace repair {

enum class BackupOutcome {
    Saved,         // the 512 bytes are in the file the user chose
    NothingSaved,  // the sector could not be read or the user cancelled; the repair goes on
    Failed,        // the file could not be created or written; the error has been shown
                   // and the repair must end here, before anything is written to the disk
};

// Reads `sector` of SelectedDrive into SectorBuf outside a repair (the first
// sector, when the partition menu is built). When the read fails it shows
// "读盘错误!" in the information dialog and returns false.
bool ReadSectorAt(RepairState& state, RepairHost& host, std::uint32_t sector);

// Reads `sector` through the repair's reader (a failed read is told as
// ReadSectorAt tells it, but not in a repair that was stopped: that repair
// tells the user as it ends), asks the user to keep it ("请备份将要被覆盖的扇区！") and
// saves its 512 bytes under the name chosen in the save dialog with ".dat"
// appended. A file of that name is replaced only when the user says Yes; No
// opens the save dialog again. A name that holds anything but a regular file
// is refused. The file takes its name only once all 512 bytes are on disk, so
// a failure leaves an earlier file of that name as it was. A sector that
// cannot be read is not asked about: the user is told that no backup could be
// made, and no stale buffer content is saved.
BackupOutcome BackupSector(RepairState& state, RepairHost& host, std::uint32_t sector);

}  // namespace repair
