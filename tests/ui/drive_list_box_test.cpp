// The drive list's line texts and its refill.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLocale>
#include <QSignalSpy>

#include "ui/drive_list_box.h"

namespace {

d_api::TDriveParams Drive(std::uint64_t sectors, bool removable)
{
    d_api::TDriveParams params{};
    params.size = 30;
    params.flags = removable ? d_api::RemovableFlag : 0;
    params.totalSectors = sectors;
    return params;
}

TEST(DriveListLine, NamesTheKindOfDriveAndItsSize)
{
    EXPECT_EQ(ui::DriveListLine(Drive(156301488, false)), "硬盘 (74.53 GB)");
    EXPECT_EQ(ui::DriveListLine(Drive(1961984, true)), "U盘 (958.00 MB)");
}

TEST(DriveListLine, SwitchesToGigabytesAtExactly1000Megabytes)
{
    EXPECT_EQ(ui::DriveListLine(Drive(2048000, false)), "硬盘 (0.98 GB)");
    EXPECT_EQ(ui::DriveListLine(Drive(2047999, false)), "硬盘 (1000.00 MB)");
}

TEST(DriveListLine, HasNoThousandsSeparators)
{
    EXPECT_EQ(ui::DriveListLine(Drive(2147483648ull * 2048, false)), "硬盘 (2097152.00 GB)");
    EXPECT_EQ(ui::DriveListLine(Drive(0, true)), "U盘 (0.00 MB)");
}

// Only the decimal separator comes from the locale: Arabic writes digits of
// its own and "٫" between them, German a comma.
TEST(DriveListLine, TakesOnlyTheDecimalSeparatorFromTheLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    const QString arabic = ui::DriveListLine(Drive(1961984, true));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString german = ui::DriveListLine(Drive(156301488, false));
    QLocale::setDefault(before);
    EXPECT_EQ(arabic, QString("U盘 (958") + QLocale(QLocale::Arabic, QLocale::Egypt).decimalPoint() + "00 MB)");
    EXPECT_EQ(german, "硬盘 (74,53 GB)");
}

TEST(DriveListBox, ARefillKeepsTheEditTextSelectsNoLineAndIsNoPick)
{
    QComboBox box;
    box.setEditable(true);
    box.setEditText("选择磁盘...");
    auto* list = new ui::DriveListBox(&box);
    QSignalSpy picks(list, &ui::DriveListBox::Picked);

    list->Refill({"硬盘 (1.00 MB)", "U盘 (2.00 MB)"});
    EXPECT_EQ(box.count(), 2);
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.currentText(), "选择磁盘...");

    box.setCurrentIndex(1);
    list->Refill({"硬盘 (1.00 MB)"});
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.currentText(), "U盘 (2.00 MB)");
    EXPECT_EQ(picks.count(), 0);
}

}  // namespace
