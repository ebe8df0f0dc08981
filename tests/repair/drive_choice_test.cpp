// The drive list's drives and the choice of one of them, on described machines
// whose drives come and go between the listing and the pick.

#include <gtest/gtest.h>

#include "fixtures/disk_image.h"
#include "fixtures/test_machine.h"
#include "platform/machine_selection.h"
#include "repair/drive_choice.h"

namespace repair {
namespace {

class DriveChoice : public ::testing::Test {
protected:
    ~DriveChoice() override { platform::UseMachineFromEnvironment(); }

    // Makes the drives `numbers`, each a sparse image of `sectors` sectors (a
    // whole number of 64 x 32 cylinders) whose sector 0 is filled with its
    // drive number, the current machine.
    void UseDrives(std::initializer_list<unsigned> numbers, std::uint64_t sectors = 2048)
    {
        fixtures::DescribedMachine machine;
        for (unsigned number : numbers) {
            const std::string image = dir.File("drive" + std::to_string(number) + ".img");
            fixtures::CreateBlankImage(image, sectors);
            fixtures::Sector first{};
            first.fill(static_cast<std::uint8_t>(number));
            fixtures::WriteSector(image, 0, first);
            machine.drives.push_back({number, image, fixtures::kMediaFixed, fixtures::ExactGeometry(sectors, 64, 32)});
        }
        fixtures::InstallMachine(dir, machine);
    }

    fixtures::TempDir dir;
    RepairState state;
};

TEST_F(DriveChoice, ListsTheAnsweringDrivesInRisingOrderAndNothingElse)
{
    UseDrives({7, 2, 200});
    state.SelectedDrive = 9;
    const auto drives = ListDrives(state);
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(state.DriveNumbers[0], 2);
    EXPECT_EQ(state.DriveNumbers[1], 7);
    EXPECT_EQ(state.DriveNumbers[2], 200);
    EXPECT_EQ(drives[0].totalSectors, 2048u);
    EXPECT_EQ(state.SelectedDrive, 9u) << "listing chooses nothing";
}

TEST_F(DriveChoice, APickSelectsTheDriveBehindTheLineAndReadsItsFirstSector)
{
    UseDrives({0, 5}, 4096);
    ListDrives(state);
    state.CurSector = 3;
    ChooseDrive(state, 1);
    EXPECT_EQ(state.SelectedDrive, 5u);
    EXPECT_EQ(state.DriveParams.totalSectors, 4096u);
    EXPECT_EQ(state.CurSector, 0u);
    ASSERT_TRUE(ReadFirstSector(state));
    EXPECT_EQ(state.SectorBuf[0], 5);
    EXPECT_EQ(state.SectorBuf[511], 5);
}

TEST_F(DriveChoice, ADriveGoneSinceTheListingKeepsThePreviousRecordAndFailsTheRead)
{
    UseDrives({0, 5}, 4096);
    ListDrives(state);
    ChooseDrive(state, 0);
    ASSERT_TRUE(ReadFirstSector(state));

    UseDrives({0});  // drive 5 was unplugged; the list still shows it
    ChooseDrive(state, 1);
    EXPECT_EQ(state.SelectedDrive, 5u);
    EXPECT_EQ(state.DriveParams.totalSectors, 4096u) << "the record of the drive chosen before";
    EXPECT_FALSE(ReadFirstSector(state));
    EXPECT_EQ(state.SectorBuf[0], 0) << "the buffer keeps what it held";
}

TEST_F(DriveChoice, ALineBeyondTheTableChangesNothing)
{
    UseDrives({3});
    ListDrives(state);
    ChooseDrive(state, 0);
    ChooseDrive(state, 256);
    EXPECT_EQ(state.SelectedDrive, 3u);
}

}  // namespace
}  // namespace repair
