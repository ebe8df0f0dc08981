// The partition menu widget: items in the order given with their tags, the
// table of items by number, the destruction of the previous menu, clicks,
// and the popup at the mouse pointer.

#include <gtest/gtest.h>

#include <QCursor>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include "ui/partition_menu.h"

namespace {

class PartitionMenu : public ::testing::Test {
protected:
    std::vector<repair::PartitionMenuEntry> ThreePartitions() const
    {
        return {{3, "<3分区>  (500.00 MB)"}, {2, "<2分区> NTFS (500.00 MB) 分区可能损坏"}, {1, "<1分区> FAT32 (7.45 GB)"}};
    }

    void Fill(const std::vector<repair::PartitionMenuEntry>& entries)
    {
        ui::FillPartitionMenu(diskPop, items, entries, &window, [this](QAction* item) { clicked.push_back(item); });
    }

    QWidget window;
    QMenu* diskPop = new QMenu(&window);
    ui::PartitionItems items{};
    std::vector<QAction*> clicked;
};

TEST_F(PartitionMenu, ItemsStandTopToBottomForTheEntriesInOrder)
{
    Fill(ThreePartitions());
    const QList<QAction*> shown = diskPop->actions();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[0]->text(), QStringLiteral("<3分区>  (500.00 MB)"));
    EXPECT_EQ(shown[1]->text(), QStringLiteral("<2分区> NTFS (500.00 MB) 分区可能损坏"));
    EXPECT_EQ(shown[2]->text(), QStringLiteral("<1分区> FAT32 (7.45 GB)"));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ui::PartitionTag(shown[i]), 3 - i);
        EXPECT_EQ(items[static_cast<std::size_t>(3 - i)], shown[i]);
        EXPECT_EQ(shown[i]->parent(), &window);
    }
    EXPECT_EQ(items[0], nullptr);
    EXPECT_EQ(items[4], nullptr);
}

TEST_F(PartitionMenu, RefillDestroysThePreviousItems)
{
    Fill(ThreePartitions());
    QPointer<QAction> old = items[3];
    Fill({{1, "<1分区> FAT16 (500.00 MB)"}});
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(diskPop->actions().size(), 1);
    EXPECT_EQ(items[3], nullptr);
    EXPECT_EQ(items[1], diskPop->actions()[0]);

    Fill({});
    EXPECT_TRUE(diskPop->actions().isEmpty());
    EXPECT_EQ(items[1], nullptr);
}

TEST_F(PartitionMenu, ChoosingAnItemHandsItToTheHandler)
{
    Fill(ThreePartitions());
    items[2]->trigger();
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(ui::PartitionTag(clicked[0]), 2);
}

TEST_F(PartitionMenu, PopsUpAtThePointerOnlyWithItems)
{
    window.show();
    ui::PopUpAtPointer(diskPop);
    EXPECT_FALSE(diskPop->isVisible());

    Fill(ThreePartitions());
    QCursor::setPos(120, 90);
    ui::PopUpAtPointer(diskPop);
    EXPECT_TRUE(diskPop->isVisible());
    EXPECT_EQ(diskPop->pos(), QPoint(120, 90));
    diskPop->close();
}

}  // namespace
