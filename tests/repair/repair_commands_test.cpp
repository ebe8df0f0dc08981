// The repair commands of both programs on described machines: the removable
// road, the partition road, their refusals, the test before the write, the
// FAT type that selects the image, and a repair that must not start twice.

#include <algorithm>
#include <functional>
#include <string>
#include <utility>

#include "fixtures/file_content.h"
#include "repair/fat_type_probe.h"
#include "roads_fixture.h"

namespace repair {
namespace {

using testing::Fat16Start;
using testing::Fat32Start;
using testing::RoadsTest;
using testing::SectorBeginning;
using testing::SparseFat16;
using testing::SparseFat32;

namespace bs = boot_sector;
using platform::Le16;
using platform::Le32;

class RemovableRoad : public RoadsTest {
protected:
    void SetUp() override
    {
        MakeRemovable(SparseFat32::Sectors);
        PutFat32Volume(0);
        ChooseDrive0();
    }
};

TEST_F(RemovableRoad, RepairsTheWholeDeviceAsOneVolumeFromSectorZero)
{
    const fixtures::Sector old = SectorBeginning({0x11, 0x22, 0x33});
    Put(0, old);
    host.saveAnswers = {dir.File("old")};

    EXPECT_FALSE(volmender.RepairButton({}).has_value());

    EXPECT_EQ(state.Layout.VolumeStart, 0u);
    EXPECT_EQ(state.Layout.VolumeSectors, SparseFat32::Sectors);
    EXPECT_EQ(host.events, (std::vector<std::string>{Message(texts::PleaseBackUp), "save dialog", "busy",
                                                     "busy hidden", Message(texts::Repaired)}));
    EXPECT_EQ(fixtures::ReadHostFile(dir.File("old.dat")), std::vector<std::uint8_t>(old.begin(), old.end()));

    const fixtures::Sector written = Get(0);
    EXPECT_EQ(written[bs::JumpDistanceAt], bs::Fat32JumpDistance);
    EXPECT_EQ(written[bs::SectorsPerClusterAt], 1);
    EXPECT_EQ(Le16(written, bs::ReservedSectorsAt), SparseFat32::Reserved);
    EXPECT_EQ(Le32(written, bs::TotalSectors32At), SparseFat32::Sectors);
    EXPECT_EQ(Le32(written, bs::fat32::FatSectors32At), SparseFat32::FatSize);
    EXPECT_FALSE(volmender.Running());
}

TEST_F(RemovableRoad, IntactBootSectorIsRefusedWithNothingBackedUpOrWritten)
{
    PutIntactBootSector(0);
    const fixtures::Sector before = Get(0);
    host.saveAnswers = {dir.File("old")};

    volmender.RepairButton({});
    EXPECT_EQ(host.events, std::vector<std::string>{Message(texts::RemovableRefused)});
    EXPECT_EQ(Get(0), before);

    host.events.clear();
    fat32Only.RepairButton({});
    EXPECT_EQ(host.events, std::vector<std::string>{Message(texts::RemovableRefused)});
}

TEST_F(RemovableRoad, Fat32OnlyProgramOffersNoBackup)
{
    host.saveAnswers = {dir.File("old")};
    fat32Only.RepairButton({});
    EXPECT_EQ(host.events, (std::vector<std::string>{"busy", "busy hidden", Message(texts::Repaired)}));
    EXPECT_TRUE(Wrote(0));
    EXPECT_EQ(Get(0)[1], 0x58);
}

TEST_F(RemovableRoad, Fat32OnlyProgramEndsAtAThirdFatStartWithoutWriting)
{
    Put(100, Fat32Start);
    fat32Only.RepairButton({});
    EXPECT_EQ(host.events,
              (std::vector<std::string>{"busy", Message(texts::FileSystemDamaged), "busy hidden"}));
    EXPECT_FALSE(Wrote(0));
}

TEST_F(RemovableRoad, FailedWriteIsToldAndNotCalledASuccess)
{
    MakeRemovable(SparseFat32::Sectors, {fixtures::MachineFault::WriteError(0, 19)});
    volmender.RepairButton({});
    ASSERT_GE(host.events.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(host.events.end() - 2, host.events.end()),
              (std::vector<std::string>{"busy hidden", Message(texts::WriteFailed)}));
    EXPECT_EQ(host.Messages().size(), 2u);  // the backup question and the failure
    EXPECT_FALSE(Wrote(0));
}

TEST_F(RemovableRoad, FailedBackupEndsTheRepairBeforeTheAnalysis)
{
    host.saveAnswers = {dir.File("no-such-folder/old")};
    volmender.RepairButton({});
    ASSERT_EQ(host.events.size(), 3u);
    EXPECT_EQ(host.events[2].rfind("error: Cannot create file", 0), 0u) << host.events[2];
    EXPECT_FALSE(Wrote(0));
}

TEST_F(RemovableRoad, LayoutWithoutFatsIsNotWritten)
{
    // Neither FAT copy gives its start: no reserved count and no FAT size.
    Put(SparseFat32::Reserved, fixtures::Sector{});
    Put(SparseFat32::Reserved + SparseFat32::FatSize, fixtures::Sector{});
    volmender.RepairButton({});
    EXPECT_EQ(host.Messages(), (std::vector<std::string>{texts::PleaseBackUp, texts::FileSystemDamaged,
                                                         texts::FileSystemDamaged}));
    EXPECT_EQ(host.events.back(), Message(texts::FileSystemDamaged));
    EXPECT_FALSE(Wrote(0));
}

// The window closed while the read-error box of the layout checks is open:
// what the checks made of a sector they could not read is told to nobody.
TEST_F(RoadsTest, WindowClosedDuringTheLayoutChecksEndsTheRepairSilently)
{
    // A FAT16 volume whose first FAT copy lost its start, so the disk must
    // confirm the layout: 4 reserved sectors, FATs of 200 sectors at 4 and
    // 204, 32 root sectors, 2 KiB clusters. Its subdirectory in cluster 1,500
    // names as parent cluster 5,000, where no search reads and no read succeeds.
    constexpr std::uint32_t dataStart = 436;
    constexpr std::uint32_t dirCluster = 1500;
    constexpr std::uint32_t parentCluster = 5000;
    const auto clusterSector = [](std::uint32_t cluster) { return dataStart + (cluster - 2) * 4; };
    MakeRemovable(204800, {fixtures::MachineFault::ReadError(0, clusterSector(parentCluster), 23)});
    Put(204, Fat16Start);
    fixtures::Sector chainEnd{};  // the directory's cluster ends its chain, in both copies
    platform::PutLe16(chainEnd, dirCluster * 2 % 512, 0xFFFF);
    Put(4 + dirCluster * 2 / 512, chainEnd);
    Put(204 + dirCluster * 2 / 512, chainEnd);
    fixtures::Sector directory = testing::DirectoryStart(dirCluster);
    platform::PutLe16(directory, dir_entry::Bytes + dir_entry::ClusterLowAt, parentCluster);
    Put(clusterSector(dirCluster), directory);
    ChooseDrive0();
    struct ClosingHost : testing::RecordingHost {
        void ShowReadError(const std::string& text) override
        {
            RecordingHost::ShowReadError(text);
            commands->Stop(RepairStop::WindowClosed);
        }
        RepairCommands* commands = nullptr;
    } closing;
    RepairCommands commands(state, closing, VolmenderRoads);
    closing.commands = &commands;

    commands.RepairButton({});

    EXPECT_EQ(std::ranges::count_if(closing.events, [](const std::string& e) { return e.starts_with("read error"); }),
              1);
    EXPECT_EQ(closing.events.back(), "busy hidden");
    // The FAT search's notice that no first copy was found, and nothing after it.
    EXPECT_EQ(closing.Messages(), (std::vector<std::string>{texts::PleaseBackUp, texts::FileSystemDamaged}));
    EXPECT_FALSE(Wrote(0));
}

class PartitionRoad : public RoadsTest {
protected:
    void SetUp() override { MakeMachine({.sectors = 50000}); }

    void ClickPartition(RepairCommands& commands, int tag)
    {
        ChooseDrive0();
        commands.PartitionClick(tag);
    }
};

TEST_F(PartitionRoad, VolumeBeginsAtThePartitionsOwnFirstSector)
{
    for (const std::uint32_t start : {2048u, 63u}) {
        SCOPED_TRACE(start);
        fixtures::CreateBlankImage(image, 50000);
        PutTable(0, {{0x0C, start, SparseFat32::Sectors}});
        PutFat32Volume(start);
        host.events.clear();

        ClickPartition(volmender, 1);
        EXPECT_EQ(volmender.SelectedPartition(), 1);
        EXPECT_EQ(state.Layout.VolumeStart, start);
        EXPECT_EQ(state.Layout.VolumeSectors, SparseFat32::Sectors);
        EXPECT_EQ(host.events.back(), Message(texts::Repaired));
        EXPECT_TRUE(Wrote(start));
        EXPECT_EQ(Le32(Get(start), bs::TotalSectors32At), SparseFat32::Sectors);
        // Not 63 sectors after the table, where the first FAT copy's reserved
        // sectors lie on an aligned disk.
        if (start == 2048) {
            EXPECT_FALSE(Wrote(63));
        }
    }
}

TEST_F(PartitionRoad, LogicalDriveBeginsAfterItsOwnTable)
{
    // The walk reads the second table right after the first partition.
    PutTable(0, {{0x07, 63, 937}, {0x05, 1000, 45000}});
    PutTable(1000, {{0x0B, 63, SparseFat32::Sectors}});
    PutFat32Volume(1063);
    ClickPartition(volmender, 2);
    EXPECT_EQ(state.Layout.VolumeStart, 1063u);
    EXPECT_EQ(state.Layout.VolumeSectors, SparseFat32::Sectors);
    EXPECT_TRUE(Wrote(1063));
}

TEST_F(PartitionRoad, IntactBootSectorRefusesThePartition)
{
    PutTable(0, {{0x0C, 2048, SparseFat32::Sectors}});
    PutFat32Volume(2048);
    PutIntactBootSector(2048);
    const fixtures::Sector before = Get(2048);
    ClickPartition(volmender, 1);
    ClickPartition(fat32Only, 1);
    EXPECT_EQ(host.events, (std::vector<std::string>{Message(texts::PartitionRefused), Message(texts::PartitionRefused)}));
    EXPECT_EQ(Get(2048), before);
}

TEST_F(PartitionRoad, OnlyFatTypeNamesAreAdmitted)
{
    // FAT12, NTFS, Ext2/3, dynamic disk, and an extended type without a name.
    for (const std::uint8_t type : {0x01, 0x07, 0x83, 0x42, 0x05}) {
        SCOPED_TRACE(int{type});
        PutTable(0, {{type, 2048, SparseFat32::Sectors}});
        PutFat32Volume(2048);
        host.events.clear();
        host.saveAnswers = {dir.File("old")};
        ClickPartition(volmender, 1);
        EXPECT_EQ(host.events, std::vector<std::string>{Message(texts::NotFatRefused)});
        EXPECT_FALSE(Wrote(2048));
    }
}

TEST_F(PartitionRoad, Fat32OnlyProgramRefusesFat16)
{
    PutTable(0, {{0x06, 2048, SparseFat16::Sectors}});
    PutFat16Volume(2048);
    ClickPartition(fat32Only, 1);
    EXPECT_EQ(host.events, std::vector<std::string>{Message(texts::NotFat32Refused)});
    EXPECT_FALSE(Wrote(2048));
}

TEST_F(PartitionRoad, Fat16PartitionGetsTheFat16Image)
{
    PutTable(0, {{0x06, 2048, SparseFat16::Sectors}});
    PutFat16Volume(2048);
    ClickPartition(volmender, 1);
    EXPECT_EQ(host.events.back(), Message(texts::Repaired));
    EXPECT_EQ(state.Layout.FatType, "FAT16");
    const fixtures::Sector written = Get(2048);
    EXPECT_EQ(written[bs::JumpDistanceAt], bs::Fat16JumpDistance);
    EXPECT_EQ(written[bs::SectorsPerClusterAt], 4);
    EXPECT_EQ(Le16(written, bs::ReservedSectorsAt), SparseFat16::Reserved);
    EXPECT_EQ(Le16(written, bs::FatSectors16At), SparseFat16::FatSize);
}

TEST_F(PartitionRoad, NameOnlyAdmitsTheImageFollowsTheDisk)
{
    PutTable(0, {{0x06, 2048, SparseFat32::Sectors}});
    PutFat32Volume(2048);
    ClickPartition(volmender, 1);
    EXPECT_EQ(Get(2048)[1], 0x58);
}

TEST_F(PartitionRoad, NumberTheDriveLacksReadsAsAnEmptyPartition)
{
    PutTable(0, {{0x0C, 2048, SparseFat32::Sectors}});
    PutFat32Volume(2048);
    ClickPartition(volmender, 3);
    EXPECT_EQ(state.Layout.VolumeStart, 0u);
    EXPECT_EQ(state.Layout.VolumeSectors, 0u);
    EXPECT_EQ(host.events, std::vector<std::string>{Message(texts::NotFatRefused)});
}

TEST_F(PartitionRoad, TagsThatNameNoPartitionDoNothing)
{
    PutTable(0, {{0x0C, 2048, SparseFat32::Sectors}});
    for (const int tag : {0, 27, 256}) ClickPartition(volmender, tag);
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(volmender.SelectedPartition(), 0);
    // Only the low 8 bits of a tag count.
    ClickPartition(volmender, 256 + 1);
    EXPECT_EQ(volmender.SelectedPartition(), 1);
}

TEST_F(PartitionRoad, PartitionPastTheLastSectorNumberIsRefused)
{
    state.Layout.VolumeStart = 7;
    PutTable(0, {{0x0C, 0xFFFFF000u, 0x2000}});
    ClickPartition(volmender, 1);
    EXPECT_EQ(host.events, std::vector<std::string>{Message(texts::PartitionOutOfReach)});
    EXPECT_EQ(state.Layout.VolumeStart, 7u);
}

// The FAT type that selects the image.
class FatTypeChoice : public PartitionRoad {
protected:
    // The volume at sector 2048 was repaired with the image of this FAT type:
    // the boot sector's jump distance tells the FAT32 image (0x58) from the FAT16 one (0x3C).
    void ExpectRepairedWithImageOf(const std::string& fatType)
    {
        EXPECT_EQ(state.Layout.FatType, fatType);
        EXPECT_EQ(Get(2048)[1], fatType == "FAT32" ? 0x58 : 0x3C);
    }

    // Searches the FATs of the volume set up, checks the signature the search
    // found, then lets the probe decide the layout's FAT type.
    void ProbeAfterFatSearch(FatStartKind expectedSignature)
    {
        Analysis analysis(state, host, VolmenderProfile);
        analysis.FindFats();
        EXPECT_EQ(analysis.FatStartSignature(), expectedSignature);
        ProbeFatType(analysis, state.Layout);
    }

    // A first FAT whose early links read as FAT16 ones.
    const fixtures::Sector fat16LookingStart =
        SectorBeginning({0xF8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x03, 0x00, 0x04, 0x00});
};

TEST_F(FatTypeChoice, Fat32WhoseFirstLinkLooksLikeFat16GetsTheFat32Image)
{
    // Cluster 2 links to cluster 65,541: its high word 1 follows the low word.
    const fixtures::Sector firstFat =
        SectorBeginning({0xF8, 0xFF, 0xFF, 0x0F, 0xFF, 0xFF, 0xFF, 0x0F, 0x05, 0x00, 0x01, 0x00});
    PutTable(0, {{0x0C, 2048, SparseFat32::Sectors}});
    PutFat32Volume(2048, firstFat);
    ClickPartition(volmender, 1);
    ExpectRepairedWithImageOf("FAT32");
}

TEST_F(FatTypeChoice, TypeLeftByAnEarlierRepairDoesNotReachAnotherVolume)
{
    state.Layout.FatType = "FAT32";
    PutTable(0, {{0x06, 2048, SparseFat16::Sectors}});
    PutFat16Volume(2048);  // its FAT holds no link that decides
    ClickPartition(volmender, 1);
    ExpectRepairedWithImageOf("FAT16");
}

TEST_F(FatTypeChoice, Fat32WithoutADecidingLinkIsNotGivenTheFat16Image)
{
    PutTable(0, {{0x0C, 2048, SparseFat32::Sectors}});
    PutFat32Volume(2048);
    ClickPartition(volmender, 1);
    ExpectRepairedWithImageOf("FAT32");
}

TEST_F(FatTypeChoice, ProbeKeepsAnEarlierTypeWhenNothingDecidesAndNoSignatureSpeaks)
{
    state.Layout.VolumeStart = 2048;
    state.Layout.Fat1Offset = 32;
    state.Layout.Fat2Offset = 40;  // zero sectors: no link decides
    for (const char* earlier : {"FAT32", "FAT16", ""}) {
        state.Layout.FatType = earlier;
        Analysis analysis(state, host, VolmenderProfile);  // no FAT search: no signature
        ProbeFatType(analysis, state.Layout);
        EXPECT_EQ(state.Layout.FatType, earlier);
    }
}

TEST_F(FatTypeChoice, ProbeKeepsAnEarlierTypeThatTheSignatureConfirms)
{
    SetVolume(2048, SparseFat32::Sectors);
    PutFat32Volume(2048);
    state.Layout.FatType = "FAT32";
    ProbeAfterFatSearch(FatStartKind::Fat32);
    EXPECT_EQ(state.Layout.FatType, "FAT32");
}

// A FAT start at offset 0, where the boot sector belongs, is no first copy:
// its width does not count against the second copy's.
TEST_F(FatTypeChoice, FatStartAtTheVolumeStartSaysNothingOfTheWidth)
{
    SetVolume(2048, SparseFat32::Sectors);
    Put(2048, Fat16Start);
    Put(2048 + SparseFat32::Reserved + SparseFat32::FatSize, Fat32Start);
    ProbeAfterFatSearch(FatStartKind::Fat32);
    EXPECT_EQ(state.Layout.Fat1Offset, 0u);
}

TEST_F(FatTypeChoice, ProbeDecidesWhenTheCopiesDisagree)
{
    SetVolume(2048, SparseFat32::Sectors);
    Put(2048 + 4, fat16LookingStart);
    Put(2048 + 300, Fat32Start);
    state.Layout.FatType = "FAT32";
    ProbeAfterFatSearch(FatStartKind::None);
    EXPECT_EQ(state.Layout.FatType, "FAT32");
}

TEST_F(FatTypeChoice, NothingIsProbedWhenTheSecondCopyLiesBeforeTheFirst)
{
    SetVolume(2048, SparseFat32::Sectors);
    Put(2048 + 4, fat16LookingStart);
    state.Layout.Fat1Offset = 4;
    state.Layout.Fat2Offset = 0;
    state.Layout.FatType = "FAT32";
    Analysis analysis(state, host, VolmenderProfile);
    ProbeFatType(analysis, state.Layout);
    EXPECT_EQ(state.Layout.FatType, "FAT32");
}

// The repair button of a fixed drive and the drive list's choice.
class RepairButton : public RoadsTest {
protected:
    void SetUp() override
    {
        MakeMachine({.sectors = 50000});
        PutTable(0, {{0x0C, 2048, SparseFat32::Sectors}});
        state.DriveNumbers[0] = 0;
        state.DriveNumbers[1] = 3;  // no such drive
        state.DriveNumbers[2] = 3;  // left from a longer list
    }

    static constexpr int Lines = 2;
};

TEST_F(RepairButton, ChosenLineSelectsItsDriveAndReadsItsFirstSector)
{
    state.SelectedDrive = 3;
    const auto menu = volmender.RepairButton({0, Lines, true});
    ASSERT_TRUE(menu.has_value());
    ASSERT_EQ(menu->size(), 1u);
    EXPECT_EQ((*menu)[0].number, 1);
    EXPECT_EQ(state.SelectedDrive, 0u);
    EXPECT_EQ(state.DriveParams.size, 30);
    EXPECT_EQ(state.SectorBuf, Get(0));
    EXPECT_TRUE(host.events.empty());
}

TEST_F(RepairButton, UnreadableFirstSectorIsToldAndTheMenuBuiltAllTheSame)
{
    const auto menu = volmender.RepairButton({1, Lines, true});
    ASSERT_TRUE(menu.has_value());
    EXPECT_TRUE(menu->empty());
    EXPECT_EQ(state.SelectedDrive, 3u);
    EXPECT_EQ(host.events, std::vector<std::string>{std::string("information: ") + texts::ReadError});
}

// The menu walks the tables once for each field of each item: a table that
// cannot be read shows its box once for the press of the button.
TEST_F(RepairButton, UnreadableTableShowsItsBoxOnce)
{
    constexpr std::uint32_t extended = 2048 + SparseFat32::Sectors;
    PutTable(0, {{0x0C, 2048, SparseFat32::Sectors}, {0x05, extended, 5000}});
    MakeMachine({.sectors = 50000, .faults = {fixtures::MachineFault::ReadError(0, extended, 23)}});
    const auto menu = volmender.RepairButton({0, Lines, true});
    ASSERT_TRUE(menu.has_value());
    EXPECT_EQ(menu->size(), 1u);
    EXPECT_EQ(host.events, std::vector<std::string>{"read error: 错误：23\r\n磁盘:0 LBA:42048 块:1"});
}

TEST_F(RepairButton, WithoutAChosenLineTheLastChosenDriveServes)
{
    // Line 2 is beyond the list: its DriveNumbers entry is not read.
    for (const int line : {-1, 2, 1000}) {
        state.SelectedDrive = 0;
        const auto menu = volmender.RepairButton({line, Lines, true});
        ASSERT_TRUE(menu.has_value());
        EXPECT_EQ(menu->size(), 1u);
        EXPECT_EQ(state.SelectedDrive, 0u);
    }
}

TEST_F(RepairButton, WithoutAnyChoiceNothingHappens)
{
    state.SectorBuf.fill(0xAB);
    EXPECT_FALSE(volmender.RepairButton({-1, Lines, false}).has_value());
    EXPECT_FALSE(volmender.RepairButton({0, 0, false}).has_value());
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(state.SectorBuf[0], 0xAB);
}

// A host whose message dispatch delivers the user's clicks during a repair.
class ClickingHost : public testing::RecordingHost {
public:
    void ProcessMessages() override
    {
        RecordingHost::ProcessMessages();
        if (onMessages) std::exchange(onMessages, nullptr)();
    }
    std::function<void()> onMessages;
};

TEST_F(RepairButton, SecondRepairCannotStartWhileOneRuns)
{
    PutFat32Volume(2048);
    ChooseDrive0();
    ClickingHost clicking;
    RepairCommands commands(state, clicking, VolmenderRoads);
    bool runningInside = false;
    std::optional<std::vector<PartitionMenuEntry>> menuInside{std::vector<PartitionMenuEntry>{}};
    clicking.onMessages = [&] {
        runningInside = commands.Running();
        commands.PartitionClick(1);
        menuInside = commands.RepairButton({1, Lines, true});
    };

    commands.PartitionClick(1);
    EXPECT_TRUE(runningInside);
    EXPECT_FALSE(menuInside.has_value());
    EXPECT_EQ(state.SelectedDrive, 0u);
    EXPECT_EQ(std::count(clicking.events.begin(), clicking.events.end(), "busy"), 1);
    EXPECT_EQ(clicking.events.back(), Message(texts::Repaired));
    EXPECT_FALSE(commands.Running());
}

}  // namespace
}  // namespace repair
