// Whole repairs by the repair commands of the FAT32-only program on real
// volumes: mkfs.fat makes them, mtools fills them, the boot sector is
// destroyed, the command repairs the volume, and then fsck.fat must find it
// sound and every file must read back as it was written. (The window of
// volmender is put through the same in its own tests.)

#include <gtest/gtest.h>

#include "fixtures/boot_sector.h"
#include "fixtures/boot_sector_damage.h"
#include "fixtures/described_machine.h"
#include "fixtures/fat_volume.h"
#include "fixtures/partitioning.h"
#include "fixtures/temp_dir.h"
#include "fixtures/volume_check.h"
#include "fixtures/volume_filler.h"
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
        filled = fixtures::FillVolume(volume, {.depth = 3, .directoriesAfter = 0.05});
        original = fixtures::ReadBootSector(volume);
        fixtures::DestroyBootSector(volume, fixtures::BootDamage::WithFat32Copies);

        fixtures::DescribedMachine machine;
        machine.drives.push_back({0, volume.image, media, fixtures::ExactGeometry(VolumeSectors, 16, 25)});
        fixtures::WriteMachineFile(dir.File("machine.txt"), machine);
        platform::UseDescribedMachine(dir.File("machine.txt"));
        ASSERT_TRUE(d_api::GetDriveParams(0, state.DriveParams));
    }

    void ExpectRepaired()
    {
        EXPECT_EQ(host.events, (std::vector<std::string>{"busy", "busy hidden",
                                                         std::string("message: ") + texts::Repaired}));
        const fixtures::BootSectorFields rebuilt = fixtures::ReadBootSector(volume);
        EXPECT_EQ(rebuilt.sectorsPerCluster, original.sectorsPerCluster);
        EXPECT_EQ(rebuilt.reservedSectors, original.reservedSectors);
        EXPECT_EQ(rebuilt.SectorsPerFat(), original.SectorsPerFat());
        EXPECT_EQ(rebuilt.TotalSectors(), original.TotalSectors());
        const fixtures::FsckReport fsck = fixtures::CheckWithFsck(volume);
        EXPECT_TRUE(fsck.Sound()) << fsck.messages;
        EXPECT_EQ(fixtures::CompareFiles(volume, filled.files), std::vector<std::string>{});
    }

    fixtures::TempDir dir;
    fixtures::VolumeLocation volume;
    fixtures::FilledVolume filled;
    fixtures::BootSectorFields original;
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
    const std::string image = dir.File("disk.img");
    fixtures::CreatePartitionedDisk(
        image, {.diskSectors = VolumeSectors, .primaries = {{2048, VolumeSectors - 4096, fixtures::kTypeFat32Lba}}});
    const fixtures::VolumeLocation where{image, 2048};
    fixtures::MakeFatVolume(where, {.type = fixtures::FatType::Fat32, .sectors = VolumeSectors - 4096,
                                    .sectorsPerCluster = 1});
    Prepare(where, fixtures::kMediaFixed);
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
