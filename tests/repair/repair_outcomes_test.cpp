// What a whole repair by the repair commands ends in, on real volumes made by
// mkfs.fat and filled with mtools: either a sound volume, with only its first
// sector written, or a refusal with the disk unchanged. The layouts that must
// be repaired (both FAT types, every cluster size, whole devices, partitions
// at 63 and 2048, logical drives, the fallback) stand next to the disks that
// contradict a repair and must be refused.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "disk/partition_table_layout.h"
#include "fixtures/disk_image.h"
#include "fixtures/file_content.h"
#include "fixtures/mtools.h"
#include "fixtures/whole_repair.h"
#include "machine_fixture.h"
#include "platform/machine_selection.h"
#include "recording_host.h"
#include "repair/repair_commands.h"
#include "repair/repair_texts.h"
#include "fixtures/test_machine.h"

namespace repair {
namespace {

using fixtures::FatType;

enum class Road { Removable, At63, At2048, Logical };

struct Damaged {
    fixtures::VolumeLocation volume;
    fixtures::BootSectorFields original;
};

// What the disk suffers besides its destroyed boot sector.
using Harm = void (*)(const Damaged&);

struct OutcomeCase {
    const char* name;
    const RoadsProfile* program;
    fixtures::FatVolumeOptions options;
    Road road;
    Harm harm = nullptr;
    const char* refusal = nullptr;  // nullptr: the volume must be repaired
    double directoriesAfter = 0;    // 0: where the program's directory search begins
    std::uint32_t declaredSectors = 0;  // the rebuilt volume's length; 0: mkfs.fat's
    std::uint32_t wipedUpTo = 0;        // also with 1 to this many sectors after the boot sector wiped
};

std::ostream& operator<<(std::ostream& out, const OutcomeCase& c) { return out << c.name; }

void SetFirstEntry(const std::string& image, std::uint64_t tableSector, std::uint32_t start, std::uint32_t length)
{
    fixtures::Sector table = fixtures::ReadSector(image, tableSector);
    namespace layout = d_api::partition_table;
    platform::PutLe32(table, layout::EntryAt(0) + layout::FirstSectorAt, start);
    platform::PutLe32(table, layout::EntryAt(0) + layout::SectorCountAt, length);
    fixtures::WriteSector(image, tableSector, table);
}

// The first FAT copy loses its first sector: the layout must come from the
// directory's position and the second copy.
void LoseFirstFatStart(const Damaged& d)
{
    fixtures::WriteSector(d.volume.image, d.volume.startSector + d.original.FirstFatSector(), fixtures::Sector{});
}
void EntryStartsAtItsTable(const Damaged& d) { SetFirstEntry(d.volume.image, 0, 0, 51200); }
void EntryRunsPastTheDrive(const Damaged& d) { SetFirstEntry(d.volume.image, 0, 2048, 204800); }
void EntryLengthNear4G(const Damaged& d) { SetFirstEntry(d.volume.image, 0, 2048, 0xFFFF0000u); }
void LogicalEntryStartsAtItsTable(const Damaged& d)
{
    SetFirstEntry(d.volume.image, d.volume.startSector - 63, 0, static_cast<std::uint32_t>(d.original.TotalSectors()));
}
void SecondCopyStartChanged(const Damaged& d)
{
    const std::uint64_t sector = d.volume.startSector + d.original.SecondFatSector();
    fixtures::Sector start = fixtures::ReadSector(d.volume.image, sector);
    start[1] = 0xFE;
    fixtures::WriteSector(d.volume.image, sector, start);
}
void FirstCopyStartsAsFat16(const Damaged& d)
{
    const std::uint64_t sector = d.volume.startSector + d.original.FirstFatSector();
    fixtures::Sector start = fixtures::ReadSector(d.volume.image, sector);
    start[3] = 0xFF;  // F8 FF FF 0F becomes F8 FF FF FF
    fixtures::WriteSector(d.volume.image, sector, start);
}
void DriveOf205000Sectors(const Damaged& d) { std::filesystem::resize_file(d.volume.image, 205000 * 512); }
void DriveOf120000Sectors(const Damaged& d) { std::filesystem::resize_file(d.volume.image, 120000 * 512); }
void StrayDirectorySectorAt510(const Damaged& d)
{
    fixtures::WriteSector(d.volume.image, d.volume.startSector + 510, testing::DirectoryStart(3));
}

class WholeRepair : public ::testing::Test {
protected:
    ~WholeRepair() override { platform::UseMachineFromEnvironment(); }

    // The volume on its disk, installed as drive 0; returns the menu item
    // that stands for it (0 on a removable drive).
    int MakeDisk(const OutcomeCase& c)
    {
        const std::string image = dir.File("disk.img");
        const std::uint8_t type = c.options.type == FatType::Fat32 ? fixtures::kTypeFat32Lba : fixtures::kTypeFat16;
        switch (c.road) {
        case Road::Removable: volume = fixtures::MakeFatImage(image, c.options); break;
        case Road::At63: volume = fixtures::MakeVolumeOnDisk(image, c.options, 63, type); break;
        case Road::At2048: volume = fixtures::MakeVolumeOnDisk(image, c.options, 2048, type); break;
        case Road::Logical: volume = fixtures::MakeVolumeInLogicalDrive(image, c.options, 2048, type); break;
        }
        const int media = c.road == Road::Removable ? fixtures::kMediaRemovable : fixtures::kMediaFixed;
        fixtures::InstallOneDriveMachine(dir, {0, image, media});
        return c.road == Road::Removable ? 0 : c.road == Road::Logical ? 2 : 1;
    }

    void Repair(RepairCommands& commands, int item)
    {
        state.SelectedDrive = 0;
        ASSERT_TRUE(d_api::GetDriveParams(0, state.DriveParams));
        if (item == 0)
            commands.RepairButton({});
        else
            commands.PartitionClick(item);
    }

    // The sectors that changed since `before`.
    std::vector<std::uint64_t> Changed(const fixtures::SectorDigest& before) const
    {
        return fixtures::ChangedSectors(before, fixtures::DigestSectors(volume.image));
    }

    fixtures::TempDir dir;
    fixtures::VolumeLocation volume;
    RepairState state;
    testing::RecordingHost host;
};

class RepairOutcome : public WholeRepair, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(RepairOutcome, EndsSoundOrRefusedWithTheDiskUnchanged)
{
    const OutcomeCase& c = GetParam();
    const int item = MakeDisk(c);
    const double searchStart = c.program == &Fat32OnlyRoads ? 0.05 : 0.03;
    const fixtures::DamagedVolume damaged = fixtures::FillAndDestroyBootSector(
        volume,
        {.depth = 2, .directoriesAfter = c.directoriesAfter != 0 ? c.directoriesAfter : searchStart,
         .keepFillers = c.wipedUpTo != 0},
        c.options.type == FatType::Fat32 ? fixtures::BootDamage::WithFat32Copies : fixtures::BootDamage::BootSectorOnly);
    if (c.harm) c.harm({volume, damaged.original});
    fixtures::BootSectorFields expected = damaged.original;
    if (c.declaredSectors != 0) expected.totalSectors32 = c.declaredSectors;
    std::vector<fixtures::Sector> start;
    for (std::uint32_t s = 0; s <= c.wipedUpTo; ++s) start.push_back(fixtures::ReadSector(volume.image, volume.startSector + s));
    for (std::uint32_t n = 1; n <= c.wipedUpTo; ++n) {
        SCOPED_TRACE(n);
        for (std::uint32_t s = 1; s <= n; ++s) fixtures::WriteSector(volume.image, volume.startSector + s, {});
        const fixtures::SectorDigest before = fixtures::DigestSectors(volume.image);
        RepairCommands commands(state, host, n % 2 && c.options.type == FatType::Fat32 ? Fat32OnlyRoads : *c.program);
        Repair(commands, item);
        EXPECT_EQ(Changed(before), std::vector<std::uint64_t>{volume.startSector});
        fixtures::ExpectRebuiltLikeOriginal(volume, expected);
        for (std::uint32_t s = 0; s <= n; ++s) fixtures::WriteSector(volume.image, volume.startSector + s, start[s]);
    }
    const fixtures::SectorDigest before = fixtures::DigestSectors(volume.image);

    RepairCommands commands(state, host, *c.program);
    Repair(commands, item);
    const std::vector<std::uint64_t> changed = Changed(before);

    ASSERT_FALSE(host.Messages().empty());
    if (c.refusal) {
        EXPECT_EQ(host.Messages().back(), c.refusal);
        EXPECT_EQ(changed, std::vector<std::uint64_t>{});
        return;
    }
    EXPECT_EQ(host.Messages().back(), texts::Repaired);
    EXPECT_EQ(changed, std::vector<std::uint64_t>{volume.startSector});
    fixtures::ExpectRebuiltLikeOriginal(volume, expected);
    if (c.harm == LoseFirstFatStart) {
        // Not the boot sector's business: fsck.fat would take this sector from
        // the second copy, so do that before asking it about the rest.
        fixtures::WriteSector(volume.image, volume.startSector + damaged.original.FirstFatSector(),
                              fixtures::ReadSector(volume.image, volume.startSector + damaged.original.SecondFatSector()));
    }
    fixtures::ExpectSoundWithEveryFile(volume, damaged.files);
}

constexpr const RoadsProfile* Volmender = &VolmenderRoads;
constexpr const RoadsProfile* Fat32Only = &Fat32OnlyRoads;

// Whole tracks of 32 sectors, so that mkfs.fat gives the volume all the
// sectors asked for.
fixtures::FatVolumeOptions Fat16(std::uint64_t sectors, std::uint32_t perCluster, std::uint32_t reserved = 0)
{
    return {.type = FatType::Fat16, .sectors = sectors, .sectorsPerCluster = perCluster, .reservedSectors = reserved,
            .heads = 64, .sectorsPerTrack = 32};
}
fixtures::FatVolumeOptions Fat32(std::uint64_t sectors, std::uint32_t perCluster)
{
    return {.type = FatType::Fat32, .sectors = sectors, .sectorsPerCluster = perCluster, .heads = 64,
            .sectorsPerTrack = 32};
}

std::string CaseName(const ::testing::TestParamInfo<OutcomeCase>& info) { return info.param.name; }

// Every cluster size of both FAT types, on every road, and the fallback. The
// FAT16 volumes have FATs of 192 sectors and more: the FAT search takes a FAT
// start below that offset for the first copy. (mkfs.fat gives FAT16 volumes of
// 32 KiB and 64 KiB clusters a root directory of a whole cluster, which the
// rebuilt boot sector's 512 entries cannot describe; the analysis refuses them.)
INSTANTIATE_TEST_SUITE_P(
    Repaired, RepairOutcome,
    ::testing::Values(
        OutcomeCase{"fat16_512_clusters_at_63", Volmender, Fat16(51200, 1), Road::At63},
        OutcomeCase{"fat16_1k_clusters_logical_drive", Volmender, Fat16(102400, 2), Road::Logical},
        OutcomeCase{"fat16_2k_clusters_at_2048", Volmender, Fat16(204800, 4), Road::At2048},
        OutcomeCase{"fat16_4k_clusters_removable", Volmender, Fat16(409600, 8), Road::Removable},
        OutcomeCase{"fat16_8k_clusters_removable", Volmender, Fat16(819200, 16), Road::Removable},
        OutcomeCase{"fat16_16k_clusters_removable", Volmender, Fat16(1638400, 32), Road::Removable},
        OutcomeCase{"fat32_512_clusters_at_63", Volmender, Fat32(67584, 1), Road::At63, nullptr, nullptr, 0.10},
        OutcomeCase{"fat32_512_clusters_directory_just_past_3_percent", Volmender, Fat32(67584, 1), Road::Removable},
        OutcomeCase{"fat32_1k_clusters_logical_drive", Volmender, Fat32(140000, 2), Road::Logical},
        OutcomeCase{"fat32_2k_clusters_removable", Volmender, Fat32(280000, 4), Road::Removable},
        OutcomeCase{"fat32_4k_clusters_at_2048", Volmender, Fat32(560000, 8), Road::At2048},
        OutcomeCase{"fat32_8k_clusters_removable", Volmender, Fat32(1100000, 16), Road::Removable},
        OutcomeCase{"fat32_16k_clusters_removable", Volmender, Fat32(2200000, 32), Road::Removable},
        OutcomeCase{"fat32_32k_clusters_removable", Volmender, Fat32(4300000, 64), Road::Removable},
        OutcomeCase{"fat32_64k_clusters_removable", Volmender, Fat32(8400000, 128), Road::Removable},
        OutcomeCase{"fat32only_2k_clusters_at_63", Fat32Only, Fat32(280000, 4), Road::At63},
        OutcomeCase{"fat32only_4k_clusters_logical_drive", Fat32Only, Fat32(560000, 8), Road::Logical},
        OutcomeCase{"fat16_both_copies_past_192_removable", Volmender, Fat16(16384, 2, 198), Road::Removable, nullptr,
                    nullptr, 0.5},
        OutcomeCase{"fat16_fallback_removable", Volmender, Fat16(204800, 4), Road::Removable, LoseFirstFatStart},
        OutcomeCase{"fat16_fallback_at_63", Volmender, Fat16(102400, 2), Road::At63, LoseFirstFatStart},
        OutcomeCase{"fat32_fallback_at_2048", Volmender, Fat32(280000, 4), Road::At2048, LoseFirstFatStart},
        OutcomeCase{"fat32_4g_whole_device", Volmender, {.type = FatType::Fat32, .sectors = 8388608}, Road::Removable,
                    nullptr, nullptr, 0, 8388592},
        OutcomeCase{"fat32_partition_longer_than_its_fat_maps", Volmender, {.type = FatType::Fat32, .sectors = 530432},
                    Road::At2048, nullptr, nullptr, 0.10, 530430},
        OutcomeCase{"fat16_image_on_a_longer_stick", Volmender, {.type = FatType::Fat16, .sectors = 200000},
                    Road::Removable, DriveOf205000Sectors, nullptr, 0.10, 201124},
        OutcomeCase{"fat32_wiped_start_removable", Volmender, Fat32(600000, 8), Road::Removable, nullptr, nullptr,
                    0.10, 0, 64},
        OutcomeCase{"fat16_wiped_start_at_2048", Volmender, Fat16(200000, 4), Road::At2048, nullptr, nullptr, 0.35,
                    0, 64},
        OutcomeCase{"fat32_wiped_start_at_2048", Volmender, Fat32(600000, 8), Road::At2048, nullptr, nullptr, 0.10,
                    0, 64},
        OutcomeCase{"fat16_wiped_start_removable", Volmender, Fat16(200000, 4), Road::Removable, nullptr, nullptr,
                    0.35, 0, 64},
        OutcomeCase{"fat32only_fallback_removable", Fat32Only, Fat32(300000, 2), Road::Removable,
                    LoseFirstFatStart}),
    CaseName);

// Disks that contradict the repair.
INSTANTIATE_TEST_SUITE_P(
    Refused, RepairOutcome,
    ::testing::Values(
        OutcomeCase{"entry_starting_at_its_table", Volmender, Fat16(47104, 2), Road::At2048, EntryStartsAtItsTable,
                    texts::PartitionRefused},
        OutcomeCase{"fat32only_entry_starting_at_its_table", Fat32Only, Fat32(70000, 1), Road::At2048,
                    EntryStartsAtItsTable, texts::PartitionRefused, 0.10},
        OutcomeCase{"logical_entry_starting_at_its_table", Volmender, Fat16(65536, 8), Road::Logical,
                    LogicalEntryStartsAtItsTable, texts::PartitionRefused},
        OutcomeCase{"entry_running_past_the_drive", Volmender, Fat16(47104, 2), Road::At2048, EntryRunsPastTheDrive,
                    texts::PartitionRefused},
        OutcomeCase{"entry_length_near_4g_sectors", Volmender, Fat16(47104, 2), Road::At2048, EntryLengthNear4G,
                    texts::PartitionRefused},
        OutcomeCase{"fallback_taking_the_first_copy_for_the_second_r198", Volmender, Fat16(16384, 2, 198),
                    Road::Removable, SecondCopyStartChanged, texts::FileSystemDamaged, 0.5},
        OutcomeCase{"fallback_taking_the_first_copy_for_the_second_r196", Volmender, Fat16(16384, 2, 196),
                    Road::Removable, SecondCopyStartChanged, texts::FileSystemDamaged, 0.5},
        OutcomeCase{"fallback_from_a_stray_directory_sector", Volmender, Fat16(16384, 2, 198), Road::Removable,
                    StrayDirectorySectorAt510, texts::FileSystemDamaged, 0.10},
        OutcomeCase{"fat32only_on_a_fat16_volume", Fat32Only, Fat16(40960, 2, 200), Road::Removable, nullptr,
                    texts::NotFat32Refused},
        OutcomeCase{"fat32_on_a_shorter_stick", Volmender, Fat32(140000, 2), Road::Removable, DriveOf120000Sectors,
                    texts::FileSystemDamaged},
        OutcomeCase{"fat32only_first_copy_starting_as_fat16", Fat32Only, Fat32(140000, 2), Road::Removable,
                    FirstCopyStartsAsFat16, texts::NotFat32Refused}),
    CaseName);

}  // namespace
}  // namespace repair

namespace repair {
namespace {

// A removable FAT32 volume of 128 MiB filled nearly to its end, on a drive
// whose geometry (16 cylinders of 255 heads and 63 sectors) falls 5,104
// sectors short of it. The drive list shows the geometry's size; the repair must give the
// volume all of its sectors, or the last file loses its last clusters.
TEST_F(WholeRepair, RemovableVolumeGetsTheDrivesExactLength)
{
    const std::string image = dir.File("stick.img");
    volume = fixtures::MakeFatImage(image, {.type = FatType::Fat32, .sectors = 262144, .sectorsPerCluster = 2,
                                            .heads = 64, .sectorsPerTrack = 32});
    fixtures::FilledVolume filled =
        fixtures::FillVolume(volume, {.depth = 2, .directoriesAfter = 0.03, .keepFillers = true});
    const fixtures::BootSectorFields original = fixtures::ReadBootSector(volume);
    // From after the directories to 99 % of the data area.
    const std::uint64_t dataBytes = std::uint64_t{original.TotalSectors() - original.FirstDataSector()} * 512;
    const fixtures::WrittenFile last{"LAST.BIN", fixtures::DeterministicContent("LAST.BIN", dataBytes * 96 / 100)};
    fixtures::WriteHostFile(dir.File("last.bin"), last.content);
    fixtures::RunMtools("mcopy", volume, {dir.File("last.bin"), "::LAST.BIN"});
    filled.files.push_back(last);
    fixtures::DestroyBootSector(volume, fixtures::BootDamage::WithFat32Copies);
    fixtures::InstallOneDriveMachine(dir, {0, image, fixtures::kMediaRemovable, fixtures::DriveGeometry{16, 255, 63}});
    const fixtures::SectorDigest before = fixtures::DigestSectors(image);

    state.SelectedDrive = 0;
    ASSERT_TRUE(d_api::GetDriveParams(0, state.DriveParams));
    EXPECT_EQ(state.DriveParams.totalSectors, 16u * 255 * 63);
    RepairCommands(state, host, VolmenderRoads).RepairButton({});

    EXPECT_EQ(host.Messages().back(), texts::Repaired);
    EXPECT_EQ(Changed(before), std::vector<std::uint64_t>{0});
    fixtures::ExpectRebuiltLikeOriginal(volume, original);
    fixtures::ExpectSoundWithEveryFile(volume, filled.files);
}

// A stick as sold today: its table is kept while the partition's boot sector works, and then a repair as before.
TEST_F(WholeRepair, StickWithAnIntactPartitionKeepsItsTable)
{
    volume = fixtures::MakeVolumeOnDisk(dir.File("stick.img"), Fat32(140000, 2), 2048, fixtures::kTypeFat32Lba);
    const fixtures::FilledVolume filled = fixtures::FillVolume(volume, {.depth = 2, .directoriesAfter = 0.10});
    fixtures::InstallOneDriveMachine(dir, {0, volume.image, fixtures::kMediaRemovable});
    const fixtures::Sector table = fixtures::ReadSector(volume.image, 0);
    for (const bool wiped : {false, true}) {
        if (wiped) fixtures::DestroyBootSector(volume);
        for (const RoadsProfile* program : {Volmender, Fat32Only}) {
            fixtures::WriteSector(volume.image, 0, table);
            const fixtures::SectorDigest before = fixtures::DigestSectors(volume.image);
            RepairCommands commands(state, host, *program);
            Repair(commands, 0);
            EXPECT_EQ(host.Messages().back(), wiped ? texts::Repaired : texts::RemovableRefused);
            EXPECT_EQ(Changed(before), wiped ? std::vector<std::uint64_t>{0} : std::vector<std::uint64_t>{});
        }
    }
    fixtures::ExpectSoundWithEveryFile({volume.image, 0}, filled.files);

    // A healthy FAT16 partition is no reason to write over the table either,
    // also for the program that repairs only FAT32 volumes.
    volume = fixtures::MakeVolumeOnDisk(dir.File("stick16.img"), Fat16(204800, 4), 2048, fixtures::kTypeFat16);
    fixtures::InstallOneDriveMachine(dir, {0, volume.image, fixtures::kMediaRemovable});
    const fixtures::SectorDigest before = fixtures::DigestSectors(volume.image);
    RepairCommands(state, host, Fat32OnlyRoads).RepairButton({});
    EXPECT_EQ(host.Messages().back(), texts::RemovableRefused);
    EXPECT_EQ(Changed(before), std::vector<std::uint64_t>{});
}

// Sector numbers of 32 bits reach 2 TiB; a larger drive is refused at once.
TEST_F(WholeRepair, RemovableDrivePastTheLastSectorNumberIsRefused)
{
    volume = {dir.File("huge.img"), 0};
    fixtures::CreateBlankImage(volume.image, 1ull << 32);
    fixtures::InstallOneDriveMachine(dir, {0, volume.image, fixtures::kMediaRemovable});
    state.DriveParams.flags = d_api::RemovableFlag;
    RepairCommands(state, host, VolmenderRoads).RepairButton({});
    EXPECT_EQ(host.events, std::vector<std::string>{std::string("message: ") + texts::PartitionOutOfReach});
    EXPECT_EQ(fixtures::DigestSectors(volume.image), fixtures::SectorDigest{});
}

// Without the drive's length nothing can be shown to lie on it: on either
// road the repair ends with the read-error text and writes nothing.
TEST_F(WholeRepair, DriveThatCannotTellItsLengthIsNotRepaired)
{
    volume = {dir.File("disk.img"), 0};
    fixtures::CreateBlankImage(volume.image, 100000);
    fixtures::InstallOneDriveMachine(dir, {0, volume.image}, {fixtures::MachineFault::OpenRefused(0)});
    const std::string unreadable = std::string("information: ") + texts::ReadError;
    for (const bool removable : {true, false}) {
        SCOPED_TRACE(removable);
        host.events.clear();
        state.DriveParams.flags = removable ? d_api::RemovableFlag : 0;
        RepairCommands commands(state, host, VolmenderRoads);
        if (removable)
            commands.RepairButton({});
        else
            commands.PartitionClick(1);
        ASSERT_FALSE(host.events.empty());
        EXPECT_EQ(host.events.back(), unreadable);
        EXPECT_EQ(host.Messages(), std::vector<std::string>{});
        // Told once, before anything else is tried.
        if (removable) {
            EXPECT_EQ(host.events, std::vector<std::string>{unreadable});
        }
    }
    EXPECT_EQ(fixtures::DigestSectors(volume.image), fixtures::SectorDigest{});
}

// On Windows 9x the sector driver is never asked about drive 1: its tables
// read well, its length stays unknown, and its partition is not repaired.
TEST_F(WholeRepair, PartitionOfADriveThatCannotTellItsLengthIsNotRepaired)
{
    volume = fixtures::MakeVolumeOnDisk(dir.File("disk.img"), Fat32(70000, 1), 2048, fixtures::kTypeFat32Lba);
    fixtures::DescribedMachine machine;
    machine.windows9x = true;
    machine.int13extDriver = true;
    machine.drives.push_back({1, volume.image});
    fixtures::WriteMachineFile(dir.File("machine.txt"), machine);
    platform::UseDescribedMachine(dir.File("machine.txt"));
    ASSERT_TRUE(d_api::DApiInit(d_api::DApiFlavour::VolmenderFat32, {}));
    fixtures::DestroyBootSector(volume);
    const fixtures::SectorDigest before = fixtures::DigestSectors(volume.image);
    state.SelectedDrive = 1;

    RepairCommands(state, host, Fat32OnlyRoads).PartitionClick(1);
    d_api::DApiExitProc();
    d_api::IsNT = true;

    EXPECT_EQ(host.events, std::vector<std::string>{std::string("information: ") + texts::ReadError});
    EXPECT_EQ(fixtures::DigestSectors(volume.image), before);
}

// Sectors past the drive's end are never asked for: a read there could only
// fail, and each failure shows its box. The FAT search's 20,001 sectors and
// the directory search's last Block both reach past the end of this volume.
TEST_F(WholeRepair, NoReadGoesPastTheDrivesEnd)
{
    fixtures::MessageBoxRecorder boxes;
    volume = fixtures::MakeFatImage(dir.File("stick.img"), {.type = FatType::Fat16, .sectors = 16384,
                                                            .sectorsPerCluster = 2, .reservedSectors = 198});
    const fixtures::DamagedVolume damaged =
        fixtures::FillAndDestroyBootSector(volume, {.depth = 2, .directoriesAfter = 0.97}, fixtures::BootDamage::BootSectorOnly);
    fixtures::InstallOneDriveMachine(dir, {0, volume.image, fixtures::kMediaRemovable},
                                     {fixtures::MachineFault::ReadError(0, 16384, 23),
                                      fixtures::MachineFault::ReadError(0, 20000, 23)});
    state.DriveParams.flags = d_api::RemovableFlag;
    RepairCommands(state, host, VolmenderRoads).RepairButton({});
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(host.Messages().back(), texts::Repaired);
    fixtures::ExpectRebuiltLikeOriginal(volume, damaged.original);
}

}  // namespace
}  // namespace repair
