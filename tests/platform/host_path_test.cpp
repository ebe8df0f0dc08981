// The host's own disk path on loop devices that each test attaches to an image
// of its own: what the drive list shows, how handles of one disk share it, and
// a whole repair. Nothing is ever written but to the test's own loop device.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "fixtures/disk_image.h"
#include "fixtures/host_drive.h"
#include "fixtures/loop_device.h"
#include "fixtures/partitioning.h"
#include "fixtures/whole_repair.h"
#include "platform/machine_selection.h"
#include "recording_host.h"
#include "repair/repair_commands.h"
#include "repair/repair_texts.h"

namespace {

using namespace win32;
constexpr std::uint32_t Sector = 512;

class HostPath : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("VOLMENDER_MACHINE")) GTEST_SKIP() << "the environment names a described machine";
        if (std::string why = fixtures::LoopDevicesUnavailable(); !why.empty()) GTEST_SKIP() << why;
        platform::UseMachineFromEnvironment();
        ASSERT_TRUE(d_api::DApiInit(d_api::DApiFlavour::Volmender, nullptr));
    }

    // The host machine lets its disks go before the loop devices are detached.
    ~HostPath() override { platform::UseMachineFromEnvironment(); }

    // A blank marked image of `sectors` sectors attached to a loop device.
    std::string Attach(const std::string& name, std::uint64_t sectors, bool readOnly = false,
                       unsigned sectorBytes = Sector)
    {
        std::string image = dir.File(name);
        fixtures::CreateBlankImage(image, sectors);
        fixtures::MarkFirstSector(image);
        loops.push_back(std::make_unique<fixtures::LoopDevice>(image, readOnly, sectorBytes));
        return image;
    }

    HANDLE Open(std::uint8_t drive, DWORD access)
    {
        return CreateFileA(d_api::DeviceName(drive).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    }

    fixtures::TempDir dir;
    std::vector<std::unique_ptr<fixtures::LoopDevice>> loops;
};

// Every sector number counts 512 bytes: a disk of 4,096-byte logical sectors
// would put a boot sector at an eighth of its volume's offset.
TEST_F(HostPath, AWritableLoopDeviceOf512ByteSectorsIsListedAsAFixedDiskAndNoOtherOne)
{
    const std::string writable = Attach("writable.img", 8192);
    const std::string readOnly = Attach("read-only.img", 8192, true);
    const std::string largeSectors = Attach("4k-sectors.img", 8192, false, 4096);

    std::optional<std::uint8_t> drive = fixtures::HostDriveHolding(writable);
    ASSERT_TRUE(drive.has_value()) << loops[0]->Node() << " is not listed";
    d_api::TDriveParams params{};
    ASSERT_TRUE(d_api::GetDriveParams(*drive, params));
    EXPECT_EQ(params.flags & d_api::RemovableFlag, 0);
    EXPECT_EQ(fixtures::HostDriveHolding(readOnly), std::nullopt) << loops[1]->Node() << " is listed";
    EXPECT_EQ(fixtures::HostDriveHolding(largeSectors), std::nullopt) << loops[2]->Node() << " is listed";
}

// A node held open with O_EXCL stands in for a mounted volume: the kernel
// refuses a second exclusive open of it, or of the whole disk, as it does
// while the volume is mounted.
TEST_F(HostPath, NoBootSectorIsWrittenUnderAVolumeHeldByAnother)
{
    const std::string image = dir.File("two-partitions.img");
    fixtures::CreatePartitionedDisk(image, {.diskSectors = 8192,
                                            .primaries = {{2048, 2048, fixtures::kTypeFat32Lba},
                                                          {4096, 2048, fixtures::kTypeFat32Lba}}});
    fixtures::MarkFirstSector(image);
    loops.push_back(std::make_unique<fixtures::LoopDevice>(image));
    std::optional<std::uint8_t> drive = fixtures::HostDriveHolding(image);
    ASSERT_TRUE(drive.has_value());
    const std::string disk = loops[0]->Node(), first = disk + "p1";
    struct Row {
        std::string held;
        std::uint32_t written;
        bool lands;
    };
    std::vector<Row> rows{{disk, 0, false}};
    // Without partitions (a kernel that reads no partition tables) every
    // volume is held through the whole disk.
    const bool partitions = std::filesystem::exists("/sys/block/" + loops[0]->Name() + "/" + loops[0]->Name() + "p1");
    if (partitions) rows.insert(rows.end(), {{first, 2048, false}, {first, 4096, true}});
    for (const Row& row : rows) {
        const int holder = ::open(row.held.c_str(), O_RDONLY | O_EXCL | O_CLOEXEC);
        ASSERT_GE(holder, 0) << row.held;
        const fixtures::Sector before = fixtures::ReadSector(image, row.written);
        EXPECT_EQ(d_api::WriteSectors(*drive, row.written, 1, std::vector<std::uint8_t>(Sector, 0xA7).data()),
                  row.lands) << row.held << " held, sector " << row.written;
        ::close(holder);
        const fixtures::Sector after = fixtures::ReadSector(image, row.written);
        EXPECT_EQ(after == before, !row.lands) << row.held << " held, sector " << row.written;
    }
    if (!partitions) GTEST_SKIP() << "the rows of held partitions: this kernel shows no partitions of " << disk;
}

TEST_F(HostPath, HandlesOfOneDiskSeeEachOthersWritesAndAClosedHandleFails)
{
    const std::string image = Attach("disk.img", 8192);
    std::optional<std::uint8_t> drive = fixtures::HostDriveHolding(image);
    ASSERT_TRUE(drive.has_value());
    const std::vector<std::uint8_t> written(Sector, 0x5A);
    std::vector<std::uint8_t> read(Sector);

    HANDLE reader = Open(*drive, GENERIC_READ);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(d_api::ReadSectors(*drive, 7, 1, read.data()));
    EXPECT_EQ(read, std::vector<std::uint8_t>(Sector, 0)) << "read once, so the sector is in memory";
    ASSERT_TRUE(d_api::WriteSectors(*drive, 7, 1, written.data()));

    DWORD count = 0;
    LONG high = 0;
    ASSERT_NE(SetFilePointer(reader, 7 * Sector, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    ASSERT_TRUE(ReadFile(reader, read.data(), Sector, &count, nullptr));
    EXPECT_EQ(read, written);
    const fixtures::Sector onImage = fixtures::ReadSector(image, 7);
    EXPECT_EQ(std::vector<std::uint8_t>(onImage.begin(), onImage.end()), written) << "flushed through to the image";

    EXPECT_TRUE(CloseHandle(reader));
    EXPECT_FALSE(CloseHandle(reader));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(ReadFile(reader, read.data(), Sector, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// Reads are served from what the disk gave before, until a query: the drive
// list and the start of a repair find the disk as it is now.
TEST_F(HostPath, AQueryHasTheReadsAfterItFindTheDiskAfresh)
{
    const std::string image = Attach("disk.img", 8192);
    std::optional<std::uint8_t> drive = fixtures::HostDriveHolding(image);
    ASSERT_TRUE(drive.has_value());
    std::vector<std::uint8_t> read(Sector);
    d_api::TDriveParams params{};
    for (std::uint8_t fill : {0x00, 0x3E}) {
        fixtures::Sector written{};
        written.fill(fill);
        fixtures::WriteSector(image, 9, written);
        ASSERT_TRUE(d_api::GetDriveParams(*drive, params));
        ASSERT_TRUE(d_api::ReadSectors(*drive, 9, 1, read.data()));
        EXPECT_EQ(read, std::vector<std::uint8_t>(Sector, fill));
    }
}

// The FAT32-only program's road: no backup dialog, a partition at 2048.
TEST_F(HostPath, AWholeRepairOfAPartitionIsSound)
{
    constexpr std::uint64_t VolumeSectors = 140000 - 4096;
    const std::string image = dir.File("disk.img");
    const fixtures::VolumeLocation volume = fixtures::MakeVolumeOnDisk(
        image, {.type = fixtures::FatType::Fat32, .sectors = VolumeSectors, .sectorsPerCluster = 1}, 2048,
        fixtures::kTypeFat32Lba);
    const fixtures::DamagedVolume damaged = fixtures::FillAndDestroyBootSector(
        volume, {.depth = 3, .directoriesAfter = 0.05}, fixtures::BootDamage::WithFat32Copies);
    fixtures::MarkFirstSector(image);
    loops.push_back(std::make_unique<fixtures::LoopDevice>(image));

    std::optional<std::uint8_t> drive = fixtures::HostDriveHolding(image);
    ASSERT_TRUE(drive.has_value());
    repair::RepairState state;
    repair::testing::RecordingHost host;
    repair::RepairCommands commands{state, host, repair::Fat32OnlyRoads};
    state.DriveNumbers[0] = *drive;
    const auto menu = commands.RepairButton({0, 1, false});
    ASSERT_TRUE(menu.has_value());
    ASSERT_EQ(menu->size(), 1u);
    host.events.clear();
    commands.PartitionClick((*menu)[0].number);

    EXPECT_EQ(host.Messages(), std::vector<std::string>{repair::texts::Repaired});
    platform::UseMachineFromEnvironment();
    fixtures::ExpectRebuiltLikeOriginal(volume, damaged.original);
    fixtures::ExpectSoundWithEveryFile(volume, damaged.files);
}

}  // namespace
