// Whole repairs by the repair commands of the FAT32-only program on real
// volumes: mkfs.fat makes them, mtools fills them, the boot sector is
// destroyed, the command repairs the volume, and then fsck.fat must find it
// sound and every file must read back as it was written. (The window of
// volmender is put through the same in its own tests.)

#include <gtest/gtest.h>

#include "fixtures/whole_repair.h"
#include "platform/machine_selection.h"
#include "recording_host.h"
#include "repair/repair_commands.h"
#include "repair/repair_texts.h"

namespace repair {
namespace {

constexpr std::uint64_t VolumeSectors = 140000;  // 350 cylinders of 16 heads and 25 sectors

class Fat32OnlyRealRepair : public ::testing::Test {
protected:
    ~Fat32OnlyRealRepair() override { platform::UseMachineFromEnvironment(); }

    void Prepare(const fixtures::VolumeLocation& where, int media)
    {
        volume = where;
        damaged = fixtures::FillAndDestroyBootSector(volume, {.depth = 3, .directoriesAfter = 0.05},
                                                     fixtures::BootDamage::WithFat32Copies);
        fixtures::InstallOneDriveMachine(dir, {0, volume.image, media, fixtures::ExactGeometry(VolumeSectors, 16, 25)});
        ASSERT_TRUE(d_api::GetDriveParams(0, state.DriveParams));
    }

    void ExpectRepaired()
    {
        EXPECT_EQ(host.events, (std::vector<std::string>{"busy", "busy hidden",
                                                         std::string("message: ") + texts::Repaired}));
        fixtures::ExpectRebuiltLikeOriginal(volume, damaged.original);
        fixtures::ExpectSoundWithEveryFile(volume, damaged.files);
    }

    fixtures::TempDir dir;
    fixtures::VolumeLocation volume;
    fixtures::DamagedVolume damaged;
    RepairState state;
    testing::RecordingHost host;
    RepairCommands commands{state, host, Fat32OnlyRoads};
};

TEST_F(Fat32OnlyRealRepair, RemovableDrive)
{
    Prepare(fixtures::MakeFatImage(dir.File("stick.img"),
                                   {.type = fixtures::FatType::Fat32, .sectors = VolumeSectors, .sectorsPerCluster = 2}),
            fixtures::kMediaRemovable);
    EXPECT_FALSE(commands.RepairButton({}).has_value());
    ExpectRepaired();
}

TEST_F(Fat32OnlyRealRepair, PartitionAt2048)
{
    // The disk is VolumeSectors long: 2048 sectors on either side of the volume.
    Prepare(fixtures::MakeVolumeOnDisk(dir.File("disk.img"),
                                       {.type = fixtures::FatType::Fat32, .sectors = VolumeSectors - 4096,
                                        .sectorsPerCluster = 1},
                                       2048, fixtures::kTypeFat32Lba),
            fixtures::kMediaFixed);
    state.DriveNumbers[0] = 0;
    const auto menu = commands.RepairButton({0, 1, false});
    ASSERT_TRUE(menu.has_value());
    ASSERT_EQ(menu->size(), 1u);
    host.events.clear();
    commands.PartitionClick((*menu)[0].number);
    ExpectRepaired();
}

}  // namespace
}  // namespace repair
