// Repairs through the FAT32-only window, offscreen with scripted dialogs, on
// real volumes (mkfs.fat, mtools, sfdisk) whose boot sector was destroyed:
// whole repairs checked afterwards with fsck.fat and by reading every file
// back, the refusals, the end at a third FAT start, the partition menu and the
// controls that a running repair locks.

#include <gtest/gtest.h>

#include <QEvent>
#include <QMenu>
#include <map>
#include <optional>
#include <ostream>

#include "disk/d_api.h"
#include "fat32_harness.h"
#include "fixtures/disk_image.h"
#include "fixtures/file_content.h"
#include "fixtures/whole_repair.h"
#include "message_loop_run.h"
#include "platform/machine_selection.h"
#include "repair/repair_texts.h"
#include "repair_through_window.h"

namespace {

// 350 cylinders of 16 heads and 25 sectors; with 2 sectors per cluster enough
// clusters for FAT32.
constexpr std::uint64_t VolumeSectors = 140000;
constexpr std::uint64_t PartitionStart = 2048;

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

using ui_testing::Captions;

// Counts how often a widget is shown: the busy panel appears only once an
// analysis has begun.
class ShowCounter : public QObject {
public:
    explicit ShowCounter(QWidget* widget) { widget->installEventFilter(this); }
    int shows = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show) ++shows;
        return false;
    }
};

enum class Road { Removable, Partition };

std::ostream& operator<<(std::ostream& out, Road road)
{
    return out << (road == Road::Removable ? "removable_drive" : "partition_at_2048");
}

class Fat32WindowRepair : public ::testing::Test {
protected:
    ~Fat32WindowRepair() override
    {
        d_api::ExitProcSlot() = nullptr;
        platform::UseMachineFromEnvironment();
    }

    // A FAT32 volume of VolumeSectors: the whole of a removable drive, or a
    // partition at 2048 of `partitionType` on a fixed drive. `filled` puts
    // nested directories past 5 % of the volume, where the search begins.
    void MakeVolume(Road road, bool filled, std::uint8_t partitionType = fixtures::kTypeFat32Lba)
    {
        const std::string image = dir.File("disk.img");
        const fixtures::FatVolumeOptions options{.type = fixtures::FatType::Fat32, .sectors = VolumeSectors,
                                                 .sectorsPerCluster = 2};
        volume = fixtures::MakeVolumeOnDisk(image, options, road == Road::Removable ? 0 : PartitionStart, partitionType);
        if (filled) files = fixtures::FillVolume(volume, {.depth = 3, .directoriesAfter = 0.05}).files;
        original = fixtures::ReadBootSector(volume);
        media = road == Road::Removable ? fixtures::kMediaRemovable : fixtures::kMediaFixed;
    }

    // Drive 0 of the machine is the disk, a removable one exactly the size of
    // its volume; the disk layer starts as this program starts it.
    void UseDisk(std::vector<fixtures::MachineFault> faults = {}, std::map<char, std::uint64_t> letters = {})
    {
        std::optional<fixtures::DriveGeometry> geometry;
        if (media == fixtures::kMediaRemovable) geometry = fixtures::ExactGeometry(VolumeSectors, 16, 25);
        fixtures::InstallOneDriveMachine(dir, {0, volume.image, media, geometry}, std::move(faults), std::move(letters));
        ASSERT_TRUE(d_api::DApiInit(d_api::DApiFlavour::VolmenderFat32, [](const std::string&) {}));
    }

    // A Windows 9x machine with the sector driver, whose BIOS drive 128 is the disk.
    void UseDisk9x()
    {
        fixtures::DescribedMachine machine;
        machine.windows9x = true;
        machine.int13extDriver = true;
        machine.drives.push_back({128, volume.image, media});
        fixtures::InstallMachine(dir, machine);
        ASSERT_TRUE(d_api::DApiInit(d_api::DApiFlavour::VolmenderFat32, [](const std::string&) {}));
    }

    // The window on screen with line 0 of the drive list chosen.
    TForm1& StartWithDriveChosen()
    {
        harness = std::make_unique<Fat32Harness>();
        harness->ShowAndActivate();
        TForm1& form = *harness->form;
        form.DList->setCurrentIndex(0);
        form.DListClick(0);
        busyPanel = std::make_unique<ShowCounter>(form.Panel1);
        Dialogs().Forget();
        return form;
    }

    // The repair button, and on a fixed drive partition 1 from its menu.
    void Repair(TForm1& form)
    {
        form.Button2->click();
        if (media == fixtures::kMediaRemovable) return;
        form.DiskPop->close();
        ASSERT_NE(form.PartItems[1], nullptr);
        form.PartItems[1]->trigger();
    }

    std::vector<std::uint8_t> Disk() const { return fixtures::ReadHostFile(volume.image); }
    ui::ScriptedDialogService& Dialogs() { return harness->dialogs; }

    // The texts of the plain message dialogs, in the order shown.
    std::vector<QString> Messages() const { return harness->dialogs.Texts(ui::DialogKind::Message); }

    fixtures::TempDir dir;
    fixtures::VolumeLocation volume;
    int media = fixtures::kMediaFixed;
    std::vector<fixtures::WrittenFile> files;
    fixtures::BootSectorFields original;
    std::unique_ptr<Fat32Harness> harness;
    std::unique_ptr<ShowCounter> busyPanel;
};

// --- Whole repairs -------------------------------------------------------

class Fat32WholeRepair : public Fat32WindowRepair, public ::testing::WithParamInterface<Road> {};

TEST_P(Fat32WholeRepair, RepairedVolumeIsSoundWithEveryFileAndNoSaveDialog)
{
    MakeVolume(GetParam(), true);
    fixtures::DestroyBootSector(volume, fixtures::BootDamage::WithFat32Copies);
    UseDisk();
    TForm1& form = StartWithDriveChosen();
    Repair(form);

    // No backup is offered: the success message is the only dialog.
    ASSERT_EQ(Dialogs().Shown().size(), 1u);
    EXPECT_EQ(Messages(), std::vector<QString>{Text(repair::texts::Repaired)});
    EXPECT_GE(busyPanel->shows, 1);
    EXPECT_TRUE(form.Panel1->isHidden());
    // The volume starts where its partition entry says, not 63 sectors after
    // the table that describes it.
    EXPECT_EQ(form.State.Layout.VolumeStart, volume.startSector);
    EXPECT_EQ(form.State.Layout.VolumeSectors, VolumeSectors);

    EXPECT_TRUE(fixtures::ReadBootSector(volume).IsFat32());
    fixtures::ExpectRebuiltLikeOriginal(volume, original);
    fixtures::ExpectSoundWithEveryFile(volume, files);
}

INSTANTIATE_TEST_SUITE_P(Roads, Fat32WholeRepair, ::testing::Values(Road::Removable, Road::Partition),
                         ::testing::PrintToStringParamName());

TEST_F(Fat32WindowRepair, FailedWriteOfTheBootSectorIsNotReportedAsSuccess)
{
    MakeVolume(Road::Removable, true);
    fixtures::DestroyBootSector(volume, fixtures::BootDamage::WithFat32Copies);
    UseDisk({fixtures::MachineFault::WriteError(0, 5)});
    TForm1& form = StartWithDriveChosen();
    Repair(form);

    EXPECT_EQ(Messages(), std::vector<QString>{Text(repair::texts::WriteFailed)});
    EXPECT_TRUE(form.Panel1->isHidden());
    EXPECT_FALSE(fixtures::ReadBootSector(volume).hasSignature);
}

TEST_F(Fat32WindowRepair, ExitDuringTheAnalysisStopsItWritesNothingAndEndsTheProgram)
{
    MakeVolume(Road::Removable, true);
    fixtures::DestroyBootSector(volume, fixtures::BootDamage::WithFat32Copies);
    const std::vector<std::uint8_t> before = Disk();
    UseDisk();
    TForm1& form = StartWithDriveChosen();

    const ui_testing::LoopRun run = ui_testing::RunLoopActingDuringAnalysis(
        form.Panel1, [&] { Repair(form); }, [&] { form.Button3->click(); });

    EXPECT_TRUE(run.actedDuringAnalysis);
    EXPECT_TRUE(run.endedByItself);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.Panel1->isHidden());
    EXPECT_TRUE(Dialogs().Shown().empty());
    EXPECT_EQ(Disk(), before);
}

// On Windows 9x only the drive's parameters and its partition tables are
// read through the sector driver; the analysis's reads have no way to the
// disk there. They are counted as sectors that could not be read, not taken
// for an unplugged drive: the analysis runs, finds nothing, and nothing is
// written.
TEST_F(Fat32WindowRepair, Windows9xAnalysisCountsTheReadsItCannotMakeAndWritesNothing)
{
    MakeVolume(Road::Partition, false);
    fixtures::DestroyBootSector(volume, fixtures::BootDamage::WithFat32Copies);
    const std::vector<std::uint8_t> before = Disk();
    UseDisk9x();
    TForm1& form = StartWithDriveChosen();
    Repair(form);

    // The repair button's read of the first sector, before the menu, has no
    // driver path either.
    EXPECT_EQ(Dialogs().Texts(ui::DialogKind::Information), std::vector<QString>{Text(repair::texts::ReadError)});
    // Every sector from the volume start to the end of the directory search's
    // last Block, 799 sectors past the last Block start inside the volume.
    EXPECT_EQ(Messages(), std::vector<QString>{Text(repair::texts::FileSystemDamaged) + "\n共有140760个扇区无法读取！"});
    EXPECT_GE(busyPanel->shows, 1);
    EXPECT_TRUE(form.Panel1->isHidden());
    EXPECT_TRUE(Disk() == before);
}

// --- Repairs that end without writing -------------------------------------

struct Refusal {
    const char* name;
    Road road;
    std::uint8_t partitionType;
    bool destroyBootSector;
    const char* message;
};

std::ostream& operator<<(std::ostream& out, const Refusal& c) { return out << c.name; }

class Fat32Refusal : public Fat32WindowRepair, public ::testing::WithParamInterface<Refusal> {};

// Refused before the analysis: the busy panel never appears and the disk keeps
// every byte.
TEST_P(Fat32Refusal, EndsWithItsMessageBeforeTheAnalysisWritingNothing)
{
    const Refusal& c = GetParam();
    MakeVolume(c.road, false, c.partitionType);
    if (c.destroyBootSector) fixtures::DestroyBootSector(volume, fixtures::BootDamage::WithFat32Copies);
    const std::vector<std::uint8_t> before = Disk();
    UseDisk();
    TForm1& form = StartWithDriveChosen();
    Repair(form);

    EXPECT_EQ(Messages(), std::vector<QString>{Text(c.message)});
    EXPECT_EQ(Dialogs().Shown().size(), 1u);
    EXPECT_EQ(busyPanel->shows, 0);
    EXPECT_TRUE(Disk() == before);
}

INSTANTIATE_TEST_SUITE_P(
    Volumes, Fat32Refusal,
    ::testing::Values(
        // A FAT32 volume in a partition whose entry calls it FAT16.
        Refusal{"fat16_partition", Road::Partition, fixtures::kTypeFat16, true, repair::texts::NotFat32Refused},
        Refusal{"intact_partition", Road::Partition, fixtures::kTypeFat32Lba, false, repair::texts::PartitionRefused},
        Refusal{"intact_removable", Road::Removable, 0, false, repair::texts::RemovableRefused}),
    ::testing::PrintToStringParamName());

TEST_F(Fat32WindowRepair, ThirdFatStartEndsTheRepairWithTheAnalysisMessage)
{
    MakeVolume(Road::Removable, true);
    fixtures::DestroyBootSector(volume, fixtures::BootDamage::WithFat32Copies);
    // Past both FAT copies, within the 20,001 sectors the FAT search examines.
    ASSERT_LT(original.SecondFatSector(), 15000u);
    fixtures::Sector fatLike{};
    fatLike[0] = 0xF8;
    fatLike[1] = 0xFF;
    fatLike[2] = 0xFF;
    fatLike[3] = 0x0F;
    fixtures::WriteSector(volume.image, 15000, fatLike);
    const std::vector<std::uint8_t> before = Disk();
    UseDisk();
    TForm1& form = StartWithDriveChosen();
    Repair(form);

    EXPECT_EQ(Messages(), std::vector<QString>{Text(repair::texts::FileSystemDamaged)});
    EXPECT_EQ(Dialogs().Shown().size(), 1u);
    EXPECT_GE(busyPanel->shows, 1);
    EXPECT_TRUE(form.Panel1->isHidden());
    EXPECT_TRUE(Disk() == before);
}

// --- The partition menu ----------------------------------------------------

TEST_F(Fat32WindowRepair, MenuListsTheLastPartitionFirstAndRightClicksShowItAsLastBuilt)
{
    const std::string image = dir.File("disk.img");
    // Partition 1 primary, partition 2 a logical drive after its own table.
    fixtures::CreatePartitionedDisk(image, {.diskSectors = 1'232'896,
                                            .primaries = {{2048, 204'800, fixtures::kTypeFat32Lba},
                                                          {206'848, 1'024'000, fixtures::kTypeExtended}},
                                            .logicals = {{1'024'000 - 63, fixtures::kTypeFat16}}});
    volume = {image, 2048};
    // C: answers the size query, D: does not.
    UseDisk({}, {{'C', 100u << 20}});
    TForm1& form = StartWithDriveChosen();

    // Nothing is built yet: a right click opens nothing.
    emit form.Button2->customContextMenuRequested(QPoint(2, 2));
    EXPECT_FALSE(form.DiskPop->isVisible());

    form.Button2->click();
    EXPECT_EQ(Captions(form.DiskPop),
              (QStringList{"<2分区> FAT16 (499.97 MB) 分区可能损坏", "<1分区> FAT32 (100.00 MB)"}));
    const QList<QAction*> items = form.DiskPop->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(ui::PartitionTag(items[0]), 2);
    EXPECT_EQ(ui::PartitionTag(items[1]), 1);
    EXPECT_EQ(form.PartItems[2], items[0]);
    EXPECT_EQ(form.PartItems[1], items[1]);
    EXPECT_TRUE(form.DiskPop->isVisible());
    form.DiskPop->close();
    EXPECT_TRUE(Dialogs().Shown().empty());

    for (QWidget* source : {static_cast<QWidget*>(form.DList), static_cast<QWidget*>(form.Button2)}) {
        emit source->customContextMenuRequested(QPoint(2, 2));
        EXPECT_TRUE(form.DiskPop->isVisible());
        EXPECT_EQ(form.DiskPop->actions(), items);
        form.DiskPop->close();
    }
}

// --- Locks -------------------------------------------------------------

// The volume has no subdirectory, so the analysis finds no cluster size: the
// layout is refused before anything is written.
TEST_F(Fat32WindowRepair, RunningRepairLocksItsControlsAndStartsNoSecond)
{
    MakeVolume(Road::Partition, false);
    fixtures::DestroyBootSector(volume, fixtures::BootDamage::WithFat32Copies);
    const std::vector<std::uint8_t> before = Disk();
    UseDisk();
    TForm1& form = StartWithDriveChosen();
    form.Button2->click();
    form.DiskPop->close();
    QAction* item = form.PartItems[1];
    ASSERT_NE(item, nullptr);

    ui_testing::ExpectLockedWhileRunning(ui_testing::RepairWatchingTheLocks(form, item, Dialogs()));
    EXPECT_EQ(Messages(), std::vector<QString>{Text(repair::texts::FileSystemDamaged)});
    EXPECT_TRUE(Disk() == before);
    EXPECT_TRUE(form.DList->isEnabled());
    EXPECT_TRUE(form.Button2->isEnabled());
    EXPECT_TRUE(item->isEnabled());
    EXPECT_TRUE(form.Panel1->isHidden());
}

}  // namespace
