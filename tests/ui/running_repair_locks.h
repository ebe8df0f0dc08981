#pragma once
// How either program's window looks while a repair runs: seen from inside the
// repair, at its first message dispatch, with a second start tried there.

#include <QAction>
#include <QTimer>
#include <cstddef>

#include "ui/scripted_dialog_service.h"

namespace ui_testing {

struct RunningRepairSeen {
    bool listEnabled = true;
    bool buttonEnabled = true;
    bool itemEnabled = true;
    bool panelShown = false;
    // Dialogs shown by starting the repair again with the button and the item.
    int dialogsOfSecondStarts = -1;
};

// Starts the repair of the partition menu's `item` and returns what the
// window showed while it ran.
template <typename Form>
RunningRepairSeen RepairWatchingTheLocks(Form& form, QAction* item, const ui::ScriptedDialogService& dialogs)
{
    RunningRepairSeen seen;
    QTimer::singleShot(0, &form, [&] {
        seen.listEnabled = form.DList->isEnabled();
        seen.buttonEnabled = form.Button2->isEnabled();
        seen.itemEnabled = item->isEnabled();
        seen.panelShown = !form.Panel1->isHidden();
        const std::size_t shownBefore = dialogs.Shown().size();
        form.Button2Click();
        form.PartitionClick(item);
        seen.dialogsOfSecondStarts = static_cast<int>(dialogs.Shown().size() - shownBefore);
    });
    item->trigger();
    return seen;
}

}  // namespace ui_testing
