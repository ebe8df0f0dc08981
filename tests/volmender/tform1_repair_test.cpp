// Repairs through the main window, offscreen with scripted dialogs: the
// partition menu that the repair button builds, the drive it acts on, the
// controls that a running repair locks, and whole repairs of real volumes
// (mkfs.fat, mtools, sfdisk) whose boot sector was destroyed, checked
// afterwards with fsck.fat and by reading every file back.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QWindow>
#include <QLineEdit>
#include <QMenu>
#include <optional>
#include <ostream>

#include "disk/d_api.h"
#include "fixtures/disk_image.h"
#include "fixtures/file_content.h"
#include "fixtures/whole_repair.h"
#include "form_harness.h"
#include "message_loop_run.h"
#include "platform/machine_selection.h"
#include "repair/repair_texts.h"
#include "repair_through_window.h"

namespace {

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

using ui_testing::Captions;

class TForm1Repair : public ::testing::Test {
protected:
    ~TForm1Repair() override { platform::UseMachineFromEnvironment(); }

    // Drive 0 of the machine is `image`; the disk layer starts as at program start.
    void UseDisk(const std::string& image, int media, std::optional<fixtures::DriveGeometry> geometry = {},
                 std::vector<fixtures::MachineFault> faults = {}, std::map<char, std::uint64_t> letters = {})
    {
        fixtures::InstallOneDriveMachine(dir, {0, image, media, geometry}, std::move(faults), std::move(letters));
        d_api::DApiInit(d_api::DApiFlavour::Volmender, [](const std::string&) {});
    }

    TForm1& Start()
    {
        harness = std::make_unique<FormHarness>();
        harness->ShowAndActivate();
        harness->dialogs.Forget();
        return *harness->form;
    }

    static void PickLine(TForm1& form, int line)
    {
        form.DList->setCurrentIndex(line);
        form.DListClick(line);
    }

    ui::ScriptedDialogService& Dialogs() { return harness->dialogs; }

    fixtures::TempDir dir;
    std::unique_ptr<FormHarness> harness;
};

// --- The partition menu -------------------------------------------------

TEST_F(TForm1Repair, MenuListsTheLastPartitionFirstAndRightClicksShowItAgain)
{
    // Partition 1 primary, 2 and 3 logical drives after their own tables.
    const std::string image = dir.File("disk.img");
    fixtures::CreatePartitionedDisk(
        image, {.diskSectors = 1'024'000 + 2'048'000 + 2'048'000 + 2048,
                .primaries = {{63, 1'023'937, fixtures::kTypeFat32Lba}, {1'024'000, 4'096'000, fixtures::kTypeExtended}},
                .logicals = {{2'048'000 - 63, fixtures::kTypeNtfs}, {1'024'000 - 63, 0x12}}});
    UseDisk(image, fixtures::kMediaFixed, {}, {}, {{'C', 1u << 30}});
    TForm1& form = Start();
    PickLine(form, 0);

    form.Button2->click();
    EXPECT_EQ(Captions(form.DiskPop), (QStringList{"<3分区>  (499.97 MB) 分区可能损坏",
                                                   "<2分区> NTFS (999.97 MB) 分区可能损坏",
                                                   "<1分区> FAT32 (499.97 MB)"}));
    const QList<QAction*> items = form.DiskPop->actions();
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(ui::PartitionTag(items[row]), 3 - row);
        EXPECT_EQ(form.PartItems[static_cast<std::size_t>(3 - row)], items[row]);
    }
    EXPECT_TRUE(form.DiskPop->isVisible());
    form.DiskPop->close();
    EXPECT_TRUE(Dialogs().Shown().empty());

    // A right click reaches a widget as a context-menu event; on the editable
    // drive list it lands on the text field.
    for (QWidget* target : {static_cast<QWidget*>(form.DList->lineEdit()), static_cast<QWidget*>(form.Button2)}) {
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(2, 2), target->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(target, &rightClick);
        EXPECT_TRUE(form.DiskPop->isVisible()) << target->metaObject()->className();
        EXPECT_EQ(form.DiskPop->actions(), items);
        form.DiskPop->close();
    }
}

TEST_F(TForm1Repair, UnreadableDriveGetsAnEmptyMenuAfterTheReadError)
{
    const std::string image = dir.File("disk.img");
    fixtures::CreateBlankImage(image, 20000);
    UseDisk(image, fixtures::kMediaFixed, {}, {fixtures::MachineFault::ReadError(0, 0, 23)});
    TForm1& form = Start();
    PickLine(form, 0);
    Dialogs().Forget();

    form.Button2->click();
    EXPECT_TRUE(form.DiskPop->actions().isEmpty());
    EXPECT_FALSE(form.DiskPop->isVisible());
    EXPECT_EQ(Dialogs().Texts(ui::DialogKind::Information), std::vector<QString>{Text(repair::texts::ReadError)});
}

TEST_F(TForm1Repair, WithoutAnyChoiceTheButtonDoesNothingAfterOneItUsesTheLastDrive)
{
    const std::string image = dir.File("disk.img");
    fixtures::CreatePartitionedDisk(image, {.diskSectors = 100000, .primaries = {{2048, 90000, fixtures::kTypeFat16}}});
    UseDisk(image, fixtures::kMediaFixed);
    TForm1& form = Start();

    form.Button2->click();
    EXPECT_TRUE(form.DiskPop->actions().isEmpty());
    EXPECT_TRUE(Dialogs().Shown().empty());

    PickLine(form, 0);
    form.FormActivate();  // as after any message box: the list shows no line chosen
    ASSERT_EQ(form.DList->currentIndex(), -1);
    form.Button2->click();
    EXPECT_EQ(Captions(form.DiskPop), QStringList{"<1分区> FAT16 (43.95 MB) 分区可能损坏"});
    form.DiskPop->close();
}

// --- Locks --------------------------------------------------

TEST_F(TForm1Repair, RunningRepairLocksItsControlsAtOnceAndStartsNoSecond)
{
    const std::string image = dir.File("disk.img");
    fixtures::CreatePartitionedDisk(image, {.diskSectors = 100000, .primaries = {{2048, 90000, fixtures::kTypeFat16}}});
    fixtures::MakeFatVolume({image, 2048}, {.type = fixtures::FatType::Fat16, .sectors = 90000});
    fixtures::DestroyBootSector({image, 2048});
    UseDisk(image, fixtures::kMediaFixed);
    TForm1& form = Start();
    PickLine(form, 0);
    form.Button2->click();
    form.DiskPop->close();
    QAction* item = form.PartItems[1];
    ASSERT_NE(item, nullptr);

    Dialogs().Forget();
    ui_testing::ExpectLockedWhileRunning(ui_testing::RepairWatchingTheLocks(form, item, Dialogs()));
    EXPECT_EQ(Dialogs().Texts(ui::DialogKind::SaveFile).size(), 1u);
    EXPECT_TRUE(form.DList->isEnabled());
    EXPECT_TRUE(form.Button2->isEnabled());
    EXPECT_TRUE(form.Panel1->isHidden());
}

TEST_F(TForm1Repair, ClosingTheWindowDuringTheAnalysisStopsItWritesNothingAndEndsTheProgram)
{
    const fixtures::VolumeLocation volume = fixtures::MakeVolumeOnDisk(
        dir.File("stick.img"), {.type = fixtures::FatType::Fat32, .sectors = 140000, .sectorsPerCluster = 2}, 0,
        fixtures::kTypeFat32Lba);
    fixtures::FillAndDestroyBootSector(volume, {.depth = 3, .directoriesAfter = 0.03},
                                       fixtures::BootDamage::WithFat32Copies);
    const std::vector<std::uint8_t> before = fixtures::ReadHostFile(volume.image);
    UseDisk(volume.image, fixtures::kMediaRemovable, fixtures::ExactGeometry(140000, 16, 25));
    TForm1& form = Start();
    PickLine(form, 0);
    Dialogs().Forget();

    // The close box and Alt+F4 reach the window as the window system's close
    // request; the backup is declined before the analysis starts.
    const ui_testing::LoopRun run = ui_testing::RunLoopActingDuringAnalysis(
        form.Panel1, [&] { form.Button2->click(); },
        [&] {
            QCloseEvent closeRequest;
            QApplication::sendEvent(form.windowHandle(), &closeRequest);
        });

    EXPECT_TRUE(run.actedDuringAnalysis);
    EXPECT_TRUE(run.endedByItself);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.Panel1->isHidden());
    EXPECT_EQ(Dialogs().Texts(ui::DialogKind::Message), std::vector<QString>{Text(repair::texts::PleaseBackUp)});
    EXPECT_EQ(Dialogs().Shown().size(), 2u) << "the backup offer and its save dialog, nothing after the close";
    EXPECT_EQ(fixtures::ReadHostFile(volume.image), before);
}

// --- Whole repairs -------------------------------------------------------

struct WindowCase {
    const char* name;
    fixtures::FatType type;
    std::uint64_t sectors;
    std::uint32_t sectorsPerCluster;
    std::uint64_t partitionStart;  // 0: a removable drive that is one volume
    fixtures::BootDamage damage;
    bool logicalDrive = false;     // partition 2, behind its own table
};

std::ostream& operator<<(std::ostream& out, const WindowCase& c) { return out << c.name; }

class TForm1WholeRepair : public TForm1Repair, public ::testing::WithParamInterface<WindowCase> {
protected:
    // Makes the disk with the volume on it; returns where the volume lies and
    // which menu item stands for it (0 on a removable drive).
    std::pair<fixtures::VolumeLocation, int> MakeDisk(const WindowCase& c)
    {
        const std::string image = dir.File("disk.img");
        const fixtures::FatVolumeOptions options{.type = c.type, .sectors = c.sectors,
                                                 .sectorsPerCluster = c.sectorsPerCluster};
        const std::uint8_t type = c.type == fixtures::FatType::Fat32 ? fixtures::kTypeFat32Lba : fixtures::kTypeFat16;
        if (c.partitionStart == 0) {
            const fixtures::VolumeLocation volume = fixtures::MakeVolumeOnDisk(image, options, 0, type);
            UseDisk(image, fixtures::kMediaRemovable, fixtures::ExactGeometry(c.sectors, 16, 25));
            return {volume, 0};
        }
        if (!c.logicalDrive) {
            const fixtures::VolumeLocation volume = fixtures::MakeVolumeOnDisk(image, options, c.partitionStart, type);
            UseDisk(image, fixtures::kMediaFixed);
            return {volume, 1};
        }
        const fixtures::VolumeLocation volume =
            fixtures::MakeVolumeInLogicalDrive(image, options, c.partitionStart, type);
        UseDisk(image, fixtures::kMediaFixed);
        return {volume, 2};
    }
};

TEST_P(TForm1WholeRepair, RepairedVolumeIsSoundAndTheOldSectorIsKept)
{
    const WindowCase& c = GetParam();
    const auto [volume, item] = MakeDisk(c);
    const fixtures::DamagedVolume damaged =
        fixtures::FillAndDestroyBootSector(volume, {.depth = 3, .directoriesAfter = 0.03}, c.damage);
    // What an accident left in the boot sector, and what the backup must keep.
    fixtures::Sector old{};
    for (std::size_t i = 0; i < old.size(); ++i) old[i] = static_cast<std::uint8_t>(0xE5 ^ i);
    fixtures::WriteSector(volume.image, volume.startSector, old);

    TForm1& form = Start();
    PickLine(form, 0);
    Dialogs().Forget();
    Dialogs().QueueSaveAnswer(QString::fromStdString(dir.File("boot sector")));
    form.Button2->click();
    if (item != 0) {
        form.DiskPop->close();
        ASSERT_NE(form.PartItems[static_cast<std::size_t>(item)], nullptr);
        form.PartItems[static_cast<std::size_t>(item)]->trigger();
    }

    EXPECT_EQ(Dialogs().Texts(ui::DialogKind::Message),
              (std::vector<QString>{Text(repair::texts::PleaseBackUp), Text(repair::texts::Repaired)}));
    EXPECT_EQ(Dialogs().Texts(ui::DialogKind::SaveFile).size(), 1u);
    EXPECT_TRUE(Dialogs().Texts(ui::DialogKind::Error).empty());
    EXPECT_TRUE(form.Panel1->isHidden());
    EXPECT_EQ(fixtures::ReadHostFile(dir.File("boot sector.dat")), std::vector<std::uint8_t>(old.begin(), old.end()));

    fixtures::ExpectRebuiltLikeOriginal(volume, damaged.original);
    fixtures::ExpectSoundWithEveryFile(volume, damaged.files);
}

using fixtures::BootDamage;
using fixtures::FatType;

INSTANTIATE_TEST_SUITE_P(
    Volumes, TForm1WholeRepair,
    ::testing::Values(WindowCase{"fat16_at_2048", FatType::Fat16, 204800, 4, 2048, BootDamage::BootSectorOnly},
                      WindowCase{"fat32_at_2048", FatType::Fat32, 140000, 2, 2048, BootDamage::WithFat32Copies},
                      WindowCase{"fat16_at_63", FatType::Fat16, 204800, 4, 63, BootDamage::BootSectorOnly},
                      WindowCase{"fat32_logical_drive", FatType::Fat32, 140000, 2, 2048, BootDamage::WithFat32Copies,
                                 true},
                      WindowCase{"fat32_removable", FatType::Fat32, 140000, 2, 0, BootDamage::WithFat32Copies}),
    [](const ::testing::TestParamInfo<WindowCase>& info) { return std::string(info.param.name); });

}  // namespace
