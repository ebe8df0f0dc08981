#pragma once
// What the repair tests of either program's window look at: the partition
// menu's captions, and the window while a repair runs, seen from inside the
// repair at its first message dispatch, with a second start tried there.

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QStringList>
#include <QTimer>
#include <cstddef>

#include "ui/scripted_dialog_service.h"

namespace ui_testing {

inline QStringList Captions(const QMenu* menu)
{
    QStringList captions;
    for (const QAction* item : menu->actions()) captions << item->text();
    return captions;
}

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

// While it ran, the drive list, the repair button and the item were locked,
// the busy panel was shown, and starting the repair again showed nothing.
inline void ExpectLockedWhileRunning(const RunningRepairSeen& seen)
{
    EXPECT_FALSE(seen.listEnabled);
    EXPECT_FALSE(seen.buttonEnabled);
    EXPECT_FALSE(seen.itemEnabled);
    EXPECT_TRUE(seen.panelShown);
    EXPECT_EQ(seen.dialogsOfSecondStarts, 0);
}

}  // namespace ui_testing
