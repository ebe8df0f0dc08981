#include "ui/partition_menu.h"

#include <QCursor>
#include <QMenu>

namespace ui {

void FillPartitionMenu(QMenu* diskPop, PartitionItems& items, const std::vector<repair::PartitionMenuEntry>& entries,
                       QObject* owner, const std::function<void(QAction*)>& onClick)
{
    for (QAction* old : diskPop->actions()) delete old;
    items.fill(nullptr);

    for (const repair::PartitionMenuEntry& entry : entries) {
        auto* item = new QAction(QString::fromStdString(entry.caption), owner);
        item->setData(entry.number);
        diskPop->addAction(item);
        if (entry.number >= 1 && static_cast<std::size_t>(entry.number) < items.size()) items[entry.number] = item;
        QObject::connect(item, &QAction::triggered, owner, [onClick, item] { onClick(item); });
    }
}

int PartitionTag(const QAction* item)
{
    return item->data().toInt();
}

void PopUpAtPointer(QMenu* diskPop)
{
    if (diskPop->actions().isEmpty()) return;
    diskPop->popup(QCursor::pos());
}

}  // namespace ui
