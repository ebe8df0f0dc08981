#pragma once
// The drive side of a main window, the same in both programs: the drive list
// refilled on every activation, the pick of a line with the read of that
// drive's first sector, and whether the user has picked a drive in this run.

#include "repair/repair_state.h"

class QComboBox;

namespace ui {

class DriveListBox;

class WindowDrives {
public:
    // Takes over the drive list `dList`; its picks arrive as ListBox()->Picked
    // with the index of the line picked.
    WindowDrives(repair::RepairState& state, QComboBox* dList);
    ~WindowDrives();
    WindowDrives(const WindowDrives&) = delete;
    WindowDrives& operator=(const WindowDrives&) = delete;

    DriveListBox* ListBox() const { return listBox_; }
    // Probes every drive number and puts one line per answering drive in the
    // list; no line is selected afterwards.
    void Refill();
    // Makes the drive behind line `line` of the list the chosen one and reads
    // its parameters. False when the list has no such line.
    bool ChooseLine(int line);
    // Reads the first sector of the chosen drive; tells the user when it fails.
    void ReadFirstSector();
    // Set once the user has picked a line: the repair button then has a drive
    // to act on even when the refilled list shows no line chosen.
    bool DriveChosen() const { return driveChosen_; }

private:
    repair::RepairState& state_;
    QComboBox* dList_;
    DriveListBox* listBox_;
    bool driveChosen_ = false;
};

}  // namespace ui
