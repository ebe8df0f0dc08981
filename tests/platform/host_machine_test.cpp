// The host machine: what can be checked without touching a real disk.

#include <gtest/gtest.h>

#include <sys/statvfs.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "platform/device_names.h"
#include "platform/host_inventory.h"
#include "platform/machine_selection.h"
#include "platform/win32.h"

namespace {

using namespace win32;

class HostMachine : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("VOLMENDER_MACHINE")) GTEST_SKIP() << "the environment names a described machine";
        platform::UseMachineFromEnvironment();
    }
};

TEST(DeviceNames, PhysicalDrivesAreNumberedInDecimalWithoutLeadingZeros)
{
    EXPECT_EQ(platform::PhysicalDriveNumber("\\\\.\\PhysicalDrive0"), 0u);
    EXPECT_EQ(platform::PhysicalDriveNumber("\\\\.\\PHYSICALDRIVE255"), 255u);
    EXPECT_FALSE(platform::PhysicalDriveNumber("\\\\.\\PhysicalDrive007"));
    EXPECT_FALSE(platform::PhysicalDriveNumber("\\\\.\\PhysicalDrive-1"));
    EXPECT_FALSE(platform::PhysicalDriveNumber("/dev/sda"));
    EXPECT_TRUE(platform::IsSectorDriverFile("\\\\.\\int13ext.vxd"));
    EXPECT_FALSE(platform::IsSectorDriverFile("\\\\.\\INT13EXT"));
    EXPECT_TRUE(platform::IsSectorDriverDevice("\\\\.\\INT13EXT"));
}

TEST_F(HostMachine, ListsWholeDisksInNameOrderThenLoopDevices)
{
    std::vector<platform::WholeDisk> disks = platform::WholeDisks();
    auto firstLoop =
        std::find_if(disks.begin(), disks.end(), [](const auto& disk) { return disk.name.rfind("loop", 0) == 0; });
    auto byName = [](const auto& a, const auto& b) { return a.name < b.name; };
    EXPECT_TRUE(std::is_sorted(disks.begin(), firstLoop, byName));
    EXPECT_TRUE(std::is_sorted(firstLoop, disks.end(), byName));
    std::regex wholeDisk("sd.*|nvme[0-9]+n[0-9]+|mmcblk[0-9]+.*|vd.*");
    std::regex loopDevice("loop[0-9]+");
    for (auto disk = disks.begin(); disk != disks.end(); ++disk)
        EXPECT_TRUE(std::regex_match(disk->name, disk < firstLoop ? wholeDisk : loopDevice)) << disk->name;

    std::string beyond = "\\\\.\\PhysicalDrive" + std::to_string(disks.size());
    EXPECT_EQ(CreateFileA(beyond.c_str(), 0, 3, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

// Disks come and go while the program runs; a number must keep naming the
// disk the user chose, or lead nowhere once it has gone.
TEST(DiskNumbering, KeepsEveryNumberOnItsDiskWhileDisksComeAndGo)
{
    platform::DiskNumbering numbering;
    const platform::WholeDisk sda{"sda", 1}, sdb{"sdb", 2}, sdc{"sdc", 3};
    EXPECT_EQ(numbering.DiskOf(0, {sda, sdb, sdc}), sda);
    EXPECT_EQ(numbering.DiskOf(1, {sda, sdb, sdc}), sdb);
    EXPECT_EQ(numbering.DiskOf(2, {sda, sdb, sdc}), sdc);
    EXPECT_EQ(numbering.DiskOf(3, {sda, sdb, sdc}), std::nullopt);

    // sdb unplugged: its number leads nowhere, sdc keeps its own.
    EXPECT_EQ(numbering.DiskOf(1, {sda, sdc}), std::nullopt);
    EXPECT_EQ(numbering.DiskOf(2, {sda, sdc}), sdc);

    // Another stick takes the name sdb: it is another disk with a new number.
    const platform::WholeDisk newStick{"sdb", 7};
    EXPECT_EQ(numbering.DiskOf(1, {sda, newStick, sdc}), std::nullopt);
    EXPECT_EQ(numbering.DiskOf(3, {sda, newStick, sdc}), newStick);
    // The first stick back again is known by its number.
    EXPECT_EQ(numbering.DiskOf(1, {sda, sdb, sdc}), sdb);
}

TEST(DiskNumbering, WithoutSequenceNumbersKnowsDisksByName)
{
    platform::DiskNumbering numbering;
    EXPECT_EQ(numbering.DiskOf(1, {{"vda", 0}, {"vdb", 0}}), platform::WholeDisk({"vdb", 0}));
    EXPECT_EQ(numbering.DiskOf(1, {{"vda", 0}}), std::nullopt);
    EXPECT_EQ(numbering.DiskOf(1, {{"vda", 0}, {"vdb", 0}}), platform::WholeDisk({"vdb", 0}));
}

TEST_F(HostMachine, IsOfTheNtFamilyAndHasNoDriverToLoad)
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(CreateFileA("\\\\.\\INT13EXT.VXD", 0, 0, nullptr, 0, FILE_FLAG_DELETE_ON_CLOSE, nullptr),
              INVALID_HANDLE_VALUE);
}

TEST_F(HostMachine, DeletingANameNeverRemovesAFile)
{
    std::filesystem::path file = std::filesystem::temp_directory_path() / "volmender-keep-me";
    std::ofstream(file) << "data";
    EXPECT_FALSE(DeleteFileA(file.c_str()));
    EXPECT_TRUE(std::filesystem::exists(file));
    std::filesystem::remove(file);
}

TEST_F(HostMachine, DriveCIsTheFirstMountedBlockDevice)
{
    std::vector<std::string> points = platform::BlockDeviceMountPoints();
    std::uint64_t free = 0, total = 0, totalFree = 0;
    if (points.empty()) {
        EXPECT_FALSE(GetDiskFreeSpaceExA("C:\\", &free, &total, &totalFree));
        return;
    }
    struct statvfs status {};
    ASSERT_EQ(statvfs(points[0].c_str(), &status), 0);
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &free, &total, &totalFree));
    EXPECT_EQ(total, std::uint64_t(status.f_blocks) * status.f_frsize);
    std::string pastLast = std::string(1, static_cast<char>('C' + points.size())) + ":\\";
    if (points.size() < 24) {
        EXPECT_FALSE(GetDiskFreeSpaceExA(pastLast.c_str(), &free, &total, &totalFree));
    }
}

}  // namespace
