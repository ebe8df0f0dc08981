// Repairs that meet a bad disk, a disk that goes away, or a window closed
// under them, by the repair commands of both programs on real FAT32 volumes
// (mkfs.fat, mtools) whose boot sector was destroyed. A bad disk shows one
// read-error box and the last message counts its unreadable sectors; a drive
// that can no longer be opened, or a closed window, ends the repair at once
// with nothing written.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <ostream>

#include "fixtures/directory_scan.h"
#include "fixtures/disk_image.h"
#include "fixtures/whole_repair.h"
#include "platform/machine_selection.h"
#include "recording_host.h"
#include "repair/repair_commands.h"
#include "repair/repair_texts.h"

namespace repair {
namespace {

constexpr std::uint64_t VolumeSectors = 140000;  // 350 cylinders of 16 heads and 25 sectors

// A host whose person acts between two sectors: `act` runs at every message
// dispatch of the analysis. The read-error box and the save dialog also serve
// the window's events while they are open: `atReadError` and `atSaveDialog`
// run there.
class ActingHost : public testing::RecordingHost {
public:
    void ProcessMessages() override
    {
        RecordingHost::ProcessMessages();
        if (act) act();
    }
    void ShowReadError(const std::string& text) override
    {
        RecordingHost::ShowReadError(text);
        if (atReadError) atReadError();
    }
    std::optional<std::string> AskSaveFileName() override
    {
        const std::optional<std::string> answer = RecordingHost::AskSaveFileName();
        if (atSaveDialog) atSaveDialog();
        return answer;
    }
    std::function<void()> act;
    std::function<void()> atReadError;
    std::function<void()> atSaveDialog;
};

struct Program {
    const char* name;
    const RoadsProfile* roads;
};

const Program Volmender{"volmender", &VolmenderRoads};
const Program Fat32Only{"fat32only", &Fat32OnlyRoads};

std::string Message(const char* text) { return std::string("message: ") + text; }

class InterruptedRepair : public ::testing::Test {
protected:
    ~InterruptedRepair() override { platform::UseMachineFromEnvironment(); }

    // A removable drive that is one FAT32 volume, filled and with its boot
    // sector destroyed; `faults` are the drive's.
    void MakeStick(std::vector<fixtures::MachineFault> faults = {})
    {
        volume = fixtures::MakeFatImage(dir.File("stick.img"), {.type = fixtures::FatType::Fat32,
                                                                .sectors = VolumeSectors, .sectorsPerCluster = 2});
        damaged = fixtures::FillAndDestroyBootSector(volume, {.depth = 3, .directoriesAfter = 0.05},
                                                     fixtures::BootDamage::WithFat32Copies);
        destroyed = fixtures::ReadSector(volume.image, 0);
        InstallStick(std::move(faults));
    }

    void InstallStick(std::vector<fixtures::MachineFault> faults)
    {
        fixtures::InstallOneDriveMachine(
            dir, {0, volume.image, fixtures::kMediaRemovable, fixtures::ExactGeometry(VolumeSectors, 16, 25)},
            std::move(faults));
        ASSERT_TRUE(d_api::GetDriveParams(0, state.DriveParams));
    }

    // The events from the busy panel's appearance on: what the analysis and
    // the end of the repair showed.
    std::vector<std::string> FromTheAnalysisOn() const
    {
        const auto busy = std::ranges::find(host.events, "busy");
        return {busy, host.events.end()};
    }

    fixtures::TempDir dir;
    fixtures::VolumeLocation volume;
    fixtures::DamagedVolume damaged;
    fixtures::Sector destroyed{};
    RepairState state;
    ActingHost host;
};

// --- A bad disk: one box, and the count in the last message ----------------

struct BadCase {
    Program program;
    // Else sectors 1,000 to 2,999, which only the FAT search reads one by one.
    bool aroundTheFirstDirectory;  // the 5 sectors before it and the 5 after it
    std::uint64_t unreadable;
    const char* boxBegins;  // the first failed read: a sector of the FAT search, or a Block
    const char* boxEnds;
};

std::ostream& operator<<(std::ostream& out, const BadCase& c)
{
    return out << c.program.name << (c.aroundTheFirstDirectory ? "_around_the_directory" : "_in_the_fat_search");
}

class BadSectors : public InterruptedRepair, public ::testing::WithParamInterface<BadCase> {};

TEST_P(BadSectors, OnlyTheFirstFailedReadShowsItsBoxAndTheLastMessageCountsThemAll)
{
    const BadCase& c = GetParam();
    MakeStick();
    const std::uint64_t directory = fixtures::FirstSubdirectorySector(volume, VolumeSectors).value();
    std::vector<fixtures::MachineFault> faults;
    const std::uint64_t first = c.aroundTheFirstDirectory ? directory - 5 : 1000;
    for (std::uint64_t sector = first; sector <= (c.aroundTheFirstDirectory ? directory + 5 : 2999); ++sector)
        if (sector != directory) faults.push_back(fixtures::MachineFault::ReadError(0, sector, 23));
    InstallStick(faults);
    RepairCommands commands(state, host, *c.program.roads);

    commands.RepairButton({});

    const std::vector<std::string> shown = FromTheAnalysisOn();
    ASSERT_EQ(shown.size(), 4u) << ::testing::PrintToString(shown);
    EXPECT_EQ(shown[0], "busy");
    EXPECT_EQ(shown[1].rfind(std::string("read error: ") + c.boxBegins, 0), 0u) << shown[1];
    EXPECT_TRUE(shown[1].ends_with(c.boxEnds)) << shown[1];
    EXPECT_EQ(shown[2], "busy hidden");
    EXPECT_EQ(shown[3], Message(texts::Repaired) + "\n共有" + std::to_string(c.unreadable) + "个扇区无法读取！");
    // The good sectors of a Block that failed are read one by one.
    EXPECT_EQ(state.Layout.DirSector, directory);
    fixtures::ExpectRebuiltLikeOriginal(volume, damaged.original);
    fixtures::ExpectSoundWithEveryFile(volume, damaged.files);
}

// "错误：23" (a sector) or "错误:23" (a Block), then the drive and the sector.
INSTANTIATE_TEST_SUITE_P(
    Places, BadSectors,
    ::testing::Values(BadCase{Volmender, false, 2000, "错误：23\r\n磁盘:0 LBA", ":1000 块:1"},
                      BadCase{Fat32Only, false, 2000, "错误：23\r\n磁盘:0 LBA", ":1000 块:1"},
                      BadCase{Volmender, true, 10, "错误:23\r\n磁盘:0 LBA地址:", " 块:1"},
                      BadCase{Fat32Only, true, 10, "错误:23\r\n磁盘:0 LBA地址:", " 块:1"}),
    [](const auto& info) { return ::testing::PrintToString(info.param); });

// --- The drive gone or the window closed in the middle of a scan ----------

enum class Moment { DirectorySearch, FatSearch };
enum class Cut { DriveUnplugged, WindowClosed };

struct CutCase {
    Program program;
    Moment moment;
    Cut cut;
};

std::ostream& operator<<(std::ostream& out, const CutCase& c)
{
    return out << c.program.name << (c.moment == Moment::DirectorySearch ? "_directory_search" : "_fat_search")
               << (c.cut == Cut::DriveUnplugged ? "_drive_unplugged" : "_window_closed");
}

class CutShort : public InterruptedRepair, public ::testing::WithParamInterface<CutCase> {
protected:
    // The most sectors the directory search tests between two reads.
    static constexpr long BlockTested = 800;

    // The directory search has found its sector once the cluster size is
    // known; the FAT search follows it.
    bool Reached(Moment moment) const
    {
        return moment == Moment::DirectorySearch || state.Layout.SectorsPerCluster != 0;
    }
};

TEST_P(CutShort, RepairEndsAtOnceWithNothingWritten)
{
    const CutCase& c = GetParam();
    MakeStick();
    RepairCommands commands(state, host, *c.program.roads);
    const std::string away = volume.image + ".away";
    long cutAt = -1;
    host.act = [&] {
        if (cutAt < 0 && Reached(c.moment)) {
            cutAt = host.messagesProcessed;
            if (c.cut == Cut::WindowClosed) commands.Stop(RepairStop::WindowClosed);
            else std::filesystem::rename(volume.image, away);
        } else if (std::filesystem::exists(away) && host.messagesProcessed > cutAt + BlockTested) {
            // Plugged in again after a read has found it gone: the repair
            // must not take up its work again.
            std::filesystem::rename(away, volume.image);
        }
    };

    commands.RepairButton({});
    if (std::filesystem::exists(away)) std::filesystem::rename(away, volume.image);

    ASSERT_GE(cutAt, 0);
    EXPECT_EQ(fixtures::ReadSector(volume.image, 0), destroyed);
    EXPECT_FALSE(commands.Running());
    const std::vector<std::string> shown = FromTheAnalysisOn();
    ASSERT_GE(shown.size(), 2u);
    if (c.cut == Cut::WindowClosed) {
        // Not one more sector, and nobody left to tell.
        EXPECT_EQ(host.messagesProcessed, cutAt);
        EXPECT_EQ(shown, (std::vector<std::string>{"busy", "busy hidden"}));
    } else {
        // The drive is found gone at its next read: the directory search
        // still tests the Block it holds, the FAT search reads every sector.
        EXPECT_LE(host.messagesProcessed, cutAt + (c.moment == Moment::FatSearch ? 1 : BlockTested));
        EXPECT_EQ(shown, (std::vector<std::string>{"busy", "busy hidden", "information: " +
                                                                           std::string(texts::ReadError)}));
    }
}

INSTANTIATE_TEST_SUITE_P(Moments, CutShort,
                         ::testing::Values(CutCase{Volmender, Moment::DirectorySearch, Cut::DriveUnplugged},
                                           CutCase{Volmender, Moment::FatSearch, Cut::DriveUnplugged},
                                           CutCase{Volmender, Moment::DirectorySearch, Cut::WindowClosed},
                                           CutCase{Volmender, Moment::FatSearch, Cut::WindowClosed},
                                           CutCase{Fat32Only, Moment::DirectorySearch, Cut::DriveUnplugged},
                                           CutCase{Fat32Only, Moment::FatSearch, Cut::DriveUnplugged},
                                           CutCase{Fat32Only, Moment::DirectorySearch, Cut::WindowClosed},
                                           CutCase{Fat32Only, Moment::FatSearch, Cut::WindowClosed}),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

// A drive whose image is cut to nothing is either found gone (the platform
// refuses to open it) or read short: either way nothing is written and no
// success is reported.
TEST_F(InterruptedRepair, DriveCutToNothingDuringTheFatSearchGetsNoBootSector)
{
    MakeStick();
    RepairCommands commands(state, host, VolmenderRoads);
    host.act = [&] {
        if (state.Layout.SectorsPerCluster != 0) std::filesystem::resize_file(volume.image, 0);
    };

    commands.RepairButton({});

    EXPECT_EQ(std::filesystem::file_size(volume.image), 0u);
    EXPECT_EQ(std::ranges::count(host.events, Message(texts::Repaired)), 0);
    EXPECT_LE(std::ranges::count_if(host.events, [](const std::string& e) { return e.starts_with("read error"); }), 1);
    const std::string last = host.events.back();
    EXPECT_TRUE(last == "information: " + std::string(texts::ReadError) || last == Message(texts::FileSystemDamaged))
        << last;
}

// The window closed while the read-error box of the boot-sector check is
// open: the check's finds so far are no grounds for a refusal, told to nobody.
TEST_F(InterruptedRepair, WindowClosedDuringTheBootSectorCheckEndsTheRepairSilently)
{
    for (const bool partition : {false, true}) {
        SCOPED_TRACE(partition);
        const fixtures::FatVolumeOptions intact{.type = fixtures::FatType::Fat32, .sectors = VolumeSectors - 4096,
                                                .sectorsPerCluster = 1};
        volume = partition ? fixtures::MakeVolumeOnDisk(dir.File("disk.img"), intact, 2048, fixtures::kTypeFat32Lba)
                           : fixtures::MakeFatImage(dir.File("stick.img"), intact);
        const fixtures::Sector bootSector = fixtures::ReadSector(volume.image, volume.startSector);
        // Past the boot sector and the first FAT start that make it intact.
        fixtures::InstallOneDriveMachine(
            dir, {0, volume.image, partition ? fixtures::kMediaFixed : fixtures::kMediaRemovable},
            {fixtures::MachineFault::ReadError(0, volume.startSector + 100, 23)});
        ASSERT_TRUE(d_api::GetDriveParams(0, state.DriveParams));
        RepairCommands commands(state, host, VolmenderRoads);
        host.events.clear();
        host.atReadError = [&] { commands.Stop(RepairStop::WindowClosed); };

        if (partition)
            commands.PartitionClick(1);
        else
            commands.RepairButton({});

        ASSERT_FALSE(host.events.empty());
        EXPECT_EQ(host.events.back(), "busy hidden");
        EXPECT_EQ(host.Messages(), std::vector<std::string>{});
        EXPECT_EQ(fixtures::ReadSector(volume.image, volume.startSector), bootSector);
    }
}

// Unplugged while the read-error box of the boot-sector check's last sector is
// open: the walk of the partition tables that follows finds the drive gone,
// which is no partition type to refuse.
TEST_F(InterruptedRepair, DriveGoneBeforeThePartitionTypeIsReadIsAFailedReadNotARefusal)
{
    volume = fixtures::MakeVolumeOnDisk(dir.File("disk.img"),
                                        {.type = fixtures::FatType::Fat32, .sectors = VolumeSectors - 4096,
                                         .sectorsPerCluster = 1},
                                        2048, fixtures::kTypeFat32Lba);
    fixtures::DestroyBootSector(volume);
    fixtures::InstallOneDriveMachine(dir, {0, volume.image, fixtures::kMediaFixed},
                                     {fixtures::MachineFault::ReadError(0, volume.startSector + 512, 23)});
    const std::string away = volume.image + ".away";
    host.atReadError = [&] { std::filesystem::rename(volume.image, away); };

    RepairCommands(state, host, VolmenderRoads).PartitionClick(1);
    std::filesystem::rename(away, volume.image);

    ASSERT_FALSE(host.events.empty());
    // Told with the count of the sector the check could not read.
    EXPECT_TRUE(host.events.back().starts_with("information: " + std::string(texts::ReadError))) << host.events.back();
    EXPECT_EQ(host.Messages(), std::vector<std::string>{});
}

TEST_F(InterruptedRepair, WindowClosedWhileTheSaveDialogIsOpenStartsNoAnalysis)
{
    MakeStick();
    RepairCommands commands(state, host, VolmenderRoads);
    host.atSaveDialog = [&] { commands.Stop(RepairStop::WindowClosed); };

    commands.RepairButton({});

    EXPECT_EQ(host.events,
              (std::vector<std::string>{Message(texts::PleaseBackUp), "save dialog", "busy hidden"}));
    EXPECT_EQ(fixtures::ReadSector(volume.image, 0), destroyed);
}

TEST_F(InterruptedRepair, PartitionOfADriveGoneBeforeTheClickIsAFailedReadNotARefusal)
{
    volume = fixtures::MakeVolumeOnDisk(dir.File("disk.img"),
                                        {.type = fixtures::FatType::Fat32, .sectors = VolumeSectors - 4096,
                                         .sectorsPerCluster = 1},
                                        2048, fixtures::kTypeFat32Lba);
    fixtures::InstallOneDriveMachine(dir, {0, volume.image, fixtures::kMediaFixed});
    RepairCommands commands(state, host, VolmenderRoads);
    ASSERT_TRUE(commands.RepairButton({0, 1, false}).has_value());
    host.events.clear();

    std::filesystem::remove(volume.image);
    commands.PartitionClick(1);

    EXPECT_EQ(host.events, (std::vector<std::string>{"busy hidden", "information: " + std::string(texts::ReadError)}));
}

}  // namespace
}  // namespace repair
