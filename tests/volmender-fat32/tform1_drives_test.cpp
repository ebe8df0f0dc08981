// The drive list and the drive choice of the FAT32-only program on Windows 9x,
// where the drive list comes from the sector driver but the first-sector read
// has no driver path.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "fat32_harness.h"
#include "platform/machine_selection.h"

namespace {

QStringList Lines(const QComboBox* list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->itemText(i);
    return lines;
}

bool AskedForParams(int drive)
{
    const std::string asked = "4 " + std::to_string(drive) + " ";
    for (const std::string& request : platform::CurrentObservations().driverRequests)
        if (request.rfind(asked, 0) == 0) return true;
    return false;
}

// A Windows 9x machine with the extended INT 13h sector driver.
class TForm1Drives9x : public Fat32WindowTest {
protected:
    TForm1& Start()
    {
        machine.Line("platform 9x").Line("driver int13ext");
        return Fat32WindowTest::Start();
    }
};

// The machine as described, on its default platform.
class TForm1DrivesNt : public Fat32WindowTest {};

TEST_F(TForm1Drives9x, ListsTheDrivesTheSectorDriverAnswersFor)
{
    machine.AddDrive(0, 1961984, "geometry=958/64/32");
    machine.AddDrive(128, 156301488, "geometry=155061/16/63");
    machine.AddDrive(129, 2048000, "geometry=1000/64/32");
    TForm1& form = Start();

    // BIOS drives below 128 are removable media.
    EXPECT_EQ(Lines(form.DList), (QStringList{"U盘 (958.00 MB)", "硬盘 (74.53 GB)", "硬盘 (0.98 GB)"}));
    EXPECT_EQ(form.State.DriveNumbers[0], 0);
    EXPECT_EQ(form.State.DriveNumbers[1], 128);
    EXPECT_EQ(form.State.DriveNumbers[2], 129);
    EXPECT_TRUE(AskedForParams(128));
    EXPECT_TRUE(AskedForParams(129));
    EXPECT_EQ(form.DList->currentText(), "选择磁盘...");
}

TEST_F(TForm1Drives9x, PickingADriveEndsInTheReadErrorNoticeSinceTheFirstSectorHasNoDriverPath)
{
    machine.AddDrive(128, 2048, "geometry=1/64/32");
    fixtures::WriteBytes(machine.DriveImage(128), 0, std::vector<std::uint8_t>(512, 0x5A));
    TForm1& form = Start();
    ASSERT_EQ(form.DList->count(), 1);

    form.DList->setFocus();
    QTest::keyClick(form.DList, Qt::Key_Down);

    EXPECT_EQ(form.State.SelectedDrive, 128u);
    EXPECT_EQ(form.State.DriveParams.totalSectors, 2048u);
    EXPECT_EQ(form.State.SectorBuf[0], 0) << "nothing was read";
    const auto& shown = harness->dialogs.Shown();
    ASSERT_EQ(shown.size(), 1u) << "the physical-drive device cannot be opened: no read-error box";
    EXPECT_EQ(shown[0].kind, ui::DialogKind::Information);
    EXPECT_EQ(shown[0].caption, "Information");
    EXPECT_EQ(shown[0].text, "读盘错误!");
    EXPECT_EQ(form.DList->currentIndex(), -1) << "closing the notice rebuilt the list";
}

TEST_F(TForm1DrivesNt, PickingADriveReadsItsFirstSectorSilently)
{
    machine.AddDrive(0, 2048, "geometry=1/64/32");
    machine.AddDrive(3, 1961984, "media=11 geometry=958/64/32");
    fixtures::WriteBytes(machine.DriveImage(3), 0, std::vector<std::uint8_t>(512, 0x5A));
    TForm1& form = Start();

    form.DList->setFocus();
    QTest::keyClick(form.DList, Qt::Key_Down);
    QTest::keyClick(form.DList, Qt::Key_Down);
    EXPECT_EQ(form.State.SelectedDrive, 3u);
    // The field is narrower than the caption: it shows its start, the kind of drive.
    EXPECT_EQ(form.DList->lineEdit()->cursorPosition(), 0);
    EXPECT_TRUE(form.State.DriveParams.flags & d_api::RemovableFlag);
    EXPECT_EQ(form.State.SectorBuf[0], 0x5A);
    EXPECT_EQ(form.State.SectorBuf[511], 0x5A);
    EXPECT_TRUE(harness->dialogs.Shown().empty());
}

TEST_F(TForm1DrivesNt, LeavingTheFieldShowsTheChosenCaptionFromItsStartWhateverWasTyped)
{
    machine.AddDrive(0, 69632, "media=11 geometry=34/64/32");
    TForm1& form = Start();
    form.DList->setFocus();
    QTest::keyClick(form.DList, Qt::Key_Down);
    QTest::keyClicks(form.DList->lineEdit(), "abc");
    QTest::keyClick(form.DList->lineEdit(), Qt::Key_Tab);
    EXPECT_EQ(form.DList->currentText(), "U盘 (34.00 MB)");
    EXPECT_EQ(form.DList->lineEdit()->cursorPosition(), 0);
}

}  // namespace
