// The drive list, the choice of a drive and the read of its first sector, on
// described machines.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "form_harness.h"

namespace {

QStringList Lines(const QComboBox* list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->itemText(i);
    return lines;
}

// Puts `byte` into every byte of sector 0 of a drive image.
void FillFirstSector(const std::string& image, std::uint8_t byte)
{
    fixtures::WriteBytes(image, 0, std::vector<std::uint8_t>(512, byte));
}

class TForm1Drives : public FormTest {};

TEST_F(TForm1Drives, ListsEveryAnsweringDriveWithItsKindAndSize)
{
    machine.AddDrive(0, 156301488, "geometry=155061/16/63");
    machine.AddDrive(1, 1961984, "media=11 geometry=958/64/32");
    machine.AddDrive(5, 2048000, "geometry=1000/64/32");
    machine.AddDrive(9, 2047999, "media=11 geometry=2047999/1/1");
    TForm1& form = Start();

    EXPECT_EQ(Lines(form.DList),
              (QStringList{"硬盘 (74.53 GB)", "U盘 (958.00 MB)", "硬盘 (0.98 GB)", "U盘 (1000.00 MB)"}));
    EXPECT_EQ(form.State.DriveNumbers[0], 0);
    EXPECT_EQ(form.State.DriveNumbers[1], 1);
    EXPECT_EQ(form.State.DriveNumbers[2], 5);
    EXPECT_EQ(form.State.DriveNumbers[3], 9);
    EXPECT_EQ(form.DList->currentIndex(), -1);
    EXPECT_EQ(form.DList->currentText(), "选择磁盘...");
}

TEST_F(TForm1Drives, KeepsTheEditTextWhenNoDriveAnswers)
{
    TForm1& form = Start();
    EXPECT_EQ(form.DList->count(), 0);
    EXPECT_EQ(form.DList->currentText(), "选择磁盘...");
    form.FormActivate();
    EXPECT_EQ(form.DList->currentText(), "选择磁盘...");
}

TEST_F(TForm1Drives, ListsNoDriveOnWindows9x)
{
    machine.Line("platform 9x");
    machine.AddDrive(128, 2048, "geometry=1/64/32");
    TForm1& form = Start();
    EXPECT_EQ(form.DList->count(), 0);
}

TEST_F(TForm1Drives, HoldsAll256DriveNumbers)
{
    for (int drive = 0; drive < 256; ++drive) machine.AddDrive(drive, 2048, "geometry=1/64/32");
    TForm1& form = Start();
    ASSERT_EQ(form.DList->count(), 256);
    for (int line = 0; line < 256; ++line) EXPECT_EQ(form.State.DriveNumbers[line], line);
}

TEST_F(TForm1Drives, PickingTheThirdLineSelectsTheDriveBehindItAndReadsItsFirstSector)
{
    machine.AddDrive(0, 2048, "geometry=1/64/32");
    machine.AddDrive(1, 4096, "geometry=2/64/32");
    machine.AddDrive(5, 1961984, "media=11 geometry=958/64/32");
    FillFirstSector(machine.DriveImage(5), 0x5A);
    TForm1& form = Start();

    // Setting the selection from code is no pick.
    form.DList->setCurrentIndex(2);
    EXPECT_EQ(form.State.SelectedDrive, 0u);

    form.DList->setCurrentIndex(-1);
    form.DList->setFocus();
    QTest::keyClick(form.DList, Qt::Key_Down);
    QTest::keyClick(form.DList, Qt::Key_Down);
    QTest::keyClick(form.DList, Qt::Key_Down);
    EXPECT_EQ(form.DList->currentIndex(), 2);
    EXPECT_EQ(form.State.SelectedDrive, 5u);
    // The field is narrower than the caption: it shows its start, the kind of drive.
    EXPECT_EQ(form.DList->lineEdit()->cursorPosition(), 0);
    EXPECT_EQ(form.State.DriveParams.totalSectors, 1961984u);
    EXPECT_TRUE(form.State.DriveParams.flags & d_api::RemovableFlag);
    EXPECT_EQ(form.State.SectorBuf[0], 0x5A);
    EXPECT_EQ(form.State.SectorBuf[511], 0x5A);
    EXPECT_TRUE(harness->dialogs.Shown().empty());
}

TEST_F(TForm1Drives, TypingPicksTheFirstLineThatBeginsWithTheTextIgnoringCase)
{
    machine.AddDrive(0, 2048, "geometry=1/64/32");
    machine.AddDrive(3, 1961984, "media=11 geometry=958/64/32");
    machine.AddDrive(4, 4096, "media=11 geometry=2/64/32");
    TForm1& form = Start();

    form.DList->setFocus();
    form.DList->lineEdit()->selectAll();
    QTest::keyClicks(form.DList->lineEdit(), "u");
    EXPECT_EQ(form.DList->currentIndex(), 1);
    EXPECT_EQ(form.DList->currentText(), "U盘 (958.00 MB)");
    EXPECT_EQ(form.DList->lineEdit()->selectedText(), "盘 (958.00 MB)");
    EXPECT_EQ(form.DList->lineEdit()->cursorPosition(), 1) << "the start of the caption stays in view";
    EXPECT_EQ(form.State.SelectedDrive, 3u);

    // Deleting the completed rest picks nothing new.
    form.State.SelectedDrive = 0;
    QTest::keyClick(form.DList->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(form.State.SelectedDrive, 0u);
}

// Two drives of one caption: after a refill no line is chosen while the field
// still shows the caption. Only the user's choice of a line picks a drive;
// leaving the field or pressing Enter on its unchanged text picks none, so the
// caption never sends a repair to the first drive that carries it.
TEST_F(TForm1Drives, AfterARefillLeavingTheFieldOrPressingEnterPicksNoDrive)
{
    machine.AddDrive(0, 2048, "geometry=1/64/32");
    machine.AddDrive(1, 2048, "geometry=1/64/32");
    FillFirstSector(machine.DriveImage(1), 0x22);
    TForm1& form = Start();
    form.PageControl1->setCurrentWidget(form.TabSheet1);

    form.DList->setFocus();
    QTest::keyClick(form.DList, Qt::Key_Down);
    QTest::keyClick(form.DList, Qt::Key_Down);
    ASSERT_EQ(form.State.SelectedDrive, 1u);
    form.FormActivate();
    ASSERT_EQ(form.DList->currentIndex(), -1);
    form.State.SectorBuf.fill(0);

    QTest::keyClick(form.DList->lineEdit(), Qt::Key_Return);
    QTest::keyClick(form.DList->lineEdit(), Qt::Key_Tab);
    ASSERT_FALSE(form.DList->hasFocus()) << "the focus must really have left the field";
    form.DList->setFocus();
    form.Button2->setFocus();

    EXPECT_EQ(form.DList->currentIndex(), -1);
    EXPECT_EQ(form.State.SelectedDrive, 1u);
    EXPECT_EQ(form.State.SectorBuf[0], 0) << "no drive was picked, so nothing was read";
    EXPECT_TRUE(harness->dialogs.Shown().empty());
}

TEST_F(TForm1Drives, ExitAfterARefillEndsWithoutReadingTheUnreadableDriveAgain)
{
    machine.AddDrive(0, 2048, "geometry=1/64/32");
    machine.AddDrive(2, 2048, "geometry=1/64/32");
    machine.Line("fault read 0 0 23");
    TForm1& form = Start();
    form.PageControl1->setCurrentWidget(form.TabSheet1);

    form.DList->setFocus();
    QTest::keyClick(form.DList, Qt::Key_Down);
    ASSERT_EQ(harness->dialogs.Shown().size(), 2u);  // its read failed; the list was refilled
    harness->dialogs.Forget();

    QTest::mouseClick(form.Button3, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(harness->dialogs.Shown().empty());
}

TEST_F(TForm1Drives, AFailedFirstSectorReadShowsBothBoxesAndRebuildsTheList)
{
    machine.AddDrive(0, 2048, "geometry=1/64/32");
    machine.AddDrive(2, 2048, "geometry=1/64/32");
    machine.Line("fault read 2 0 23");
    FillFirstSector(machine.DriveImage(0), 0x11);
    TForm1& form = Start();

    form.DList->setFocus();
    QTest::keyClick(form.DList, Qt::Key_Down);
    ASSERT_EQ(form.State.SelectedDrive, 0u);
    ASSERT_EQ(form.State.SectorBuf[0], 0x11);
    harness->dialogs.Forget();

    form.DList->setCurrentIndex(0);
    QTest::keyClick(form.DList, Qt::Key_Down);

    const auto& shown = harness->dialogs.Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, ui::DialogKind::SystemBox);
    EXPECT_EQ(shown[0].caption, "读盘错误");
    EXPECT_TRUE(shown[0].text.startsWith("错误：23")) << shown[0].text.toStdString();
    EXPECT_EQ(shown[1].kind, ui::DialogKind::Information);
    EXPECT_EQ(shown[1].caption, "Information");
    EXPECT_EQ(shown[1].text, "读盘错误!");

    EXPECT_EQ(form.State.SelectedDrive, 2u);         // the new choice stands
    EXPECT_EQ(form.State.SectorBuf[0], 0x11);        // the buffer keeps what it held
    EXPECT_EQ(form.DList->count(), 2);               // rebuilt when the dialog closed
    EXPECT_EQ(form.DList->currentIndex(), -1);
    EXPECT_EQ(form.DList->currentText(), "硬盘 (1.00 MB)");
}

}  // namespace
