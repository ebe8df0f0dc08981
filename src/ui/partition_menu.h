#pragma once
// The partition menu `DiskPop` of both main windows: one item per partition,
// the last partition first, each tagged with its partition number and kept in
// the window's table `PartItems` under that number.

#include <QAction>
#include <array>
#include <functional>
#include <vector>

#include "repair/partition_menu_entries.h"

class QMenu;
class QObject;

namespace ui {

// Slots 1 to 26, one per partition number; slot 0 stays empty.
using PartitionItems = std::array<QAction*, 27>;

// Removes every item from `diskPop` and destroys it, then makes one item per
// entry in the order given, owned by `owner`, appended to `diskPop`, stored in
// `items` under its number and tagged with it. Choosing an item calls
// `onClick` with that item.
void FillPartitionMenu(QMenu* diskPop, PartitionItems& items, const std::vector<repair::PartitionMenuEntry>& entries,
                       QObject* owner, const std::function<void(QAction*)>& onClick);

// The partition number an item stands for.
int PartitionTag(const QAction* item);

// Pops `diskPop` up at the mouse pointer. A menu without items opens nothing.
void PopUpAtPointer(QMenu* diskPop);

}  // namespace ui
