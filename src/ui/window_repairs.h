#pragma once
// The repair side of a main window, the same in both programs: the repair
// button's command, the partition menu `DiskPop` that it builds and pops up at
// the mouse pointer, the click on one of the menu's items, the right click on
// the drive list or the repair button that shows the menu as last built, the
// lock of those controls for as long as a repair runs, and the stop of a
// running repair when the window is closed.

#include <QPoint>
#include <functional>

#include "repair/repair_commands.h"
#include "repair/repair_state.h"
#include "repair/roads_profile.h"
#include "ui/partition_menu.h"
#include "ui/window_repair_host.h"

class QAction;
class QComboBox;
class QMenu;
class QPushButton;
class QWidget;

namespace ui {

// The window's components that a repair uses, under their layout names.
struct RepairWidgets {
    QComboBox* DList;
    QPushButton* Button2;
    QMenu* DiskPop;
    QWidget* Panel1;  // the busy panel
};

class WindowRepairs {
public:
    // `onItemClick` is the window's handler of a partition item; it is given
    // the item that was chosen. `window` owns the items.
    WindowRepairs(repair::RepairState& state, const repair::RoadsProfile& roads, RepairWidgets widgets,
                  PartitionItems& items, QWidget* window, std::function<void(QAction*)> onItemClick);

    // The repair button: repairs a removable drive at once, otherwise fills
    // DiskPop with the partitions of the chosen drive and pops it up.
    // `driveChosenBefore`: the user has picked a line of the drive list in this
    // run, so SelectedDrive holds a real choice.
    void RepairButton(bool driveChosenBefore);
    // Repairs the partition that `item` stands for; only its tag is used.
    void PartitionClick(const QAction* item);
    // True from the start of a repair to its end.
    bool Running() const { return commands_.Running(); }

private:
    class ControlsLock;

    void SetControlsEnabled(bool enabled);
    void PopUpDiskPop(QWidget* source, const QPoint& position);

    RepairWidgets widgets_;
    PartitionItems& items_;
    QWidget* window_;
    std::function<void(QAction*)> onItemClick_;
    WindowRepairHost host_;
    // One for the whole run: the FAT32 labels it writes continue one sequence.
    repair::RepairCommands commands_;
};

}  // namespace ui
