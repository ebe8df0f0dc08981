#pragma once
// The two commands with which the user starts a repair, shared by both
// programs: the repair button (a removable drive is repaired as one volume
// from sector 0, up to the drive's exact length; a fixed drive gets the
// partition menu) and the click on an item of that menu (one partition is
// repaired, up to the partition's end). On either road the volume ends no
// further than the last cluster its FAT maps. A repair refuses a volume that
// still has an intact boot sector (on the removable road also one that a
// partition table in sector 0 leads to) or, on the partition road, a type the
// program cannot repair or a place the disk contradicts (over its own table,
// past the drive's end); otherwise it offers the backup, analyses the volume,
// decides the FAT type, tests the layout against the facts of a FAT volume
// and the disk's evidence, writes the boot sector and tells the user the
// outcome. The window reaches the user through RepairHost.

#include <cstdint>
#include <optional>
#include <vector>

#include "repair/analysis.h"
#include "repair/boot_sector_images.h"
#include "repair/partition_menu_entries.h"
#include "repair/repair_host.h"
#include "repair/repair_state.h"
#include "repair/roads_profile.h"

namespace repair {

// What the drive list shows when the repair button is pressed. The drive
// behind each line is in RepairState::DriveNumbers.
struct DriveListChoice {
    int chosenLine = -1;             // -1: no line is chosen
    int lineCount = 0;               // lines in the list; later DriveNumbers entries mean nothing
    bool driveChosenBefore = false;  // SelectedDrive holds a drive the user chose
};

class RepairCommands {
public:
    RepairCommands(RepairState& state, RepairHost& host, const RoadsProfile& profile);

    // The repair button. When DriveParams marks removable media, the whole
    // device of SelectedDrive is repaired and nothing is returned. Otherwise
    // the drive of the chosen line is selected (with no line chosen, the drive
    // chosen last stays selected; before any choice nothing is done and nothing
    // returned), its parameters and first sector are read again, and the
    // entries of its partition menu are returned, the last partition first.
    // While a repair runs nothing is done.
    std::optional<std::vector<PartitionMenuEntry>> RepairButton(const DriveListChoice& choice);

    // A click on the partition menu item tagged `tag`: repairs partition
    // (tag & 0xFF) of the drive selected now. Tags that name no partition
    // number, and clicks while a repair runs, do nothing.
    void PartitionClick(int tag);

    // Makes the repair under way end at its next sector with nothing written
    // (the user closed the window). Does nothing when no repair runs.
    void Stop(RepairStop reason);

    // True from the start of a repair to its end; the window keeps its drive
    // list, repair button and menu items disabled meanwhile.
    bool Running() const { return running_; }
    // The number of the partition item clicked last (0 before the first).
    std::uint8_t SelectedPartition() const { return selectedPartition_; }

private:
    class RunningScope;

    void RepairRemovable();
    void RepairPartition(int k);
    bool PartitionTypeAdmitted(int k) const;
    void BackUpAnalyseAndWrite(Analysis& analysis);
    bool LayoutMayBeWritten() const;
    bool WritesFat32Image() const;
    bool WriteBootSector();
    // The last message of a repair, after the busy panel is hidden; Refuse
    // before the panel was ever shown. Both tell how many sectors could not
    // be read, when any.
    void EndWith(const char* message);
    void Refuse(const char* message);
    // When the repair was stopped: hides the busy panel, tells why when
    // somebody is left to read it, and returns true.
    bool EndedByStop();

    RepairState& state_;
    RepairHost& host_;
    const RoadsProfile& profile_;
    // One writer for the whole run: the FAT32 labels continue their sequence.
    BootSectorWriter writer_;
    bool running_ = false;
    std::uint8_t selectedPartition_ = 0;
};

}  // namespace repair
