// Whole repairs of real volumes: mkfs.fat makes them, mtools fills them with
// nested directories, their boot sector is destroyed, the analysis derives the
// layout, the rebuilt boot sector is written, and then fsck.fat must find the
// volume sound and every file must read back as it was written.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "fixtures/disk_image.h"
#include "fixtures/volume_check.h"
#include "fixtures/whole_repair.h"
#include "platform/machine_selection.h"
#include "recording_host.h"
#include "repair/analysis.h"
#include "repair/boot_sector_images.h"
#include "repair/fat_type_probe.h"
#include "repair/layout_evidence.h"
#include "repair/layout_facts.h"

namespace repair {
namespace {

struct VolumeCase {
    const char* name;
    fixtures::FatType type;
    std::uint64_t sectors;
    std::uint32_t sectorsPerCluster;
    std::uint64_t partitionStart;  // 0: the volume fills the image, as on a removable drive
    fixtures::BootDamage damage;
    const AnalysisProfile* profile;
    // The first FAT copy's first sector is gone too: the layout must come from
    // the directory's position and the second copy.
    bool firstFatStartLost = false;
    // Where the subdirectories begin; 0: where the program's search begins.
    double directoriesAfter = 0;
};

std::ostream& operator<<(std::ostream& out, const VolumeCase& c) { return out << c.name; }

class RealVolumeRepair : public ::testing::TestWithParam<VolumeCase> {
protected:
    ~RealVolumeRepair() override { platform::UseMachineFromEnvironment(); }

    fixtures::VolumeLocation MakeVolume(const VolumeCase& c)
    {
        const std::uint8_t type = c.type == fixtures::FatType::Fat32 ? fixtures::kTypeFat32Lba : fixtures::kTypeFat16;
        return fixtures::MakeVolumeOnDisk(dir.File("disk.img"), {.type = c.type, .sectors = c.sectors,
                                                                 .sectorsPerCluster = c.sectorsPerCluster},
                                          c.partitionStart, type);
    }

    void UseDisk(const std::string& image) { fixtures::InstallOneDriveMachine(dir, {0, image}); }

    fixtures::TempDir dir;
    RepairState state;
    testing::RecordingHost host;
};

TEST_P(RealVolumeRepair, DerivesTheOriginalLayoutAndTheRepairedVolumeIsSound)
{
    const VolumeCase& c = GetParam();
    const fixtures::VolumeLocation volume = MakeVolume(c);
    const bool fat32OnlyProgram = c.profile == &Fat32OnlyProfile;
    const fixtures::FilledVolume filled =
        fixtures::FillVolume(volume, {.depth = 3, .directoriesPerLevel = 2, .filesPerDirectory = 2,
                                      .directoriesAfter = c.directoriesAfter != 0 ? c.directoriesAfter
                                                          : fat32OnlyProgram      ? 0.05
                                                                                  : 0.03});
    const fixtures::BootSectorFields original = fixtures::ReadBootSector(volume);
    ASSERT_TRUE(original.hasSignature);
    fixtures::DestroyBootSector(volume, c.damage);
    if (c.firstFatStartLost)
        fixtures::WriteSector(volume.image, volume.startSector + original.FirstFatSector(), fixtures::Sector{});

    UseDisk(volume.image);
    state.Layout.VolumeStart = static_cast<std::uint32_t>(volume.startSector);
    state.Layout.VolumeSectors = static_cast<std::uint32_t>(c.sectors);
    Analysis analysis(state, host, *c.profile);

    ASSERT_FALSE(analysis.FindBootSector());
    ASSERT_TRUE(analysis.AnalyseFat());
    const VolumeLayout& layout = state.Layout;
    EXPECT_EQ(layout.SectorsPerCluster, original.sectorsPerCluster);
    EXPECT_EQ(layout.ReservedSectors, original.reservedSectors);
    EXPECT_EQ(layout.SectorsPerFat, original.SectorsPerFat());
    ASSERT_TRUE(LayoutIsUsable(layout));
    // The checks before every write hold on every volume repaired here.
    EXPECT_FALSE(BrokenFatVolumeFact(state, original.IsFat32()).has_value());
    EXPECT_TRUE(LayoutConfirmedByDisk(state, original.IsFat32()));

    BootSectorWriter writer(state);
    bool written = false;
    if (fat32OnlyProgram) {
        written = writer.WriteFat32BootSector(static_cast<std::uint8_t>(layout.SectorsPerCluster),
                                              static_cast<std::uint16_t>(layout.ReservedSectors),
                                              layout.VolumeSectors, layout.SectorsPerFat);
    } else {
        ProbeFatType(analysis, state.Layout);
        EXPECT_EQ(layout.FatType, original.IsFat32() ? "FAT32" : "FAT16");
        auto write = layout.FatType == "FAT32" ? &BootSectorWriter::WriteFat32BootSector
                                               : &BootSectorWriter::WriteFat16BootSector;
        written = (writer.*write)(static_cast<std::uint8_t>(layout.SectorsPerCluster),
                                  static_cast<std::uint16_t>(layout.ReservedSectors), layout.VolumeSectors,
                                  layout.SectorsPerFat);
    }
    ASSERT_TRUE(written);
    if (c.firstFatStartLost) {
        // Not the boot sector's business: fsck.fat would take this sector
        // from the second copy, so do that before asking it about the rest.
        const std::uint64_t secondCopy = volume.startSector + original.SecondFatSector();
        fixtures::WriteSector(volume.image, volume.startSector + original.FirstFatSector(),
                              fixtures::ReadSector(volume.image, secondCopy));
    }

    const fixtures::FsckReport fsck = fixtures::CheckWithFsck(volume);
    EXPECT_TRUE(fsck.exitCode == 0 || fsck.exitCode == 1) << fsck.messages;
    EXPECT_EQ(fsck.Problems(), std::vector<std::string>{}) << fsck.messages;
    EXPECT_EQ(fixtures::CompareFiles(volume, filled.files), std::vector<std::string>{});
}

// With 512-byte clusters the FAT area outweighs the cluster number of a
// directory just past 3 % of the volume, and the quotient gives the wrong
// cluster size. Without the first FAT copy's start nothing else tells where
// the data area begins: the analysis must refuse rather than write it.
TEST_F(RealVolumeRepair, ClusterSizeTheDirectoryCannotGiveIsRefused)
{
    const VolumeCase c{"early-directory", fixtures::FatType::Fat32, 33 * 2048, 1, 0,
                       fixtures::BootDamage::WithFat32Copies, &VolmenderProfile};
    const fixtures::VolumeLocation volume = MakeVolume(c);
    fixtures::FillVolume(volume, {.depth = 2, .directoriesAfter = 0.03});
    fixtures::DestroyBootSector(volume, c.damage);
    fixtures::WriteSector(volume.image, 32, fixtures::Sector{});  // the first FAT copy's first sector
    UseDisk(volume.image);
    state.Layout.VolumeSectors = static_cast<std::uint32_t>(c.sectors);

    Analysis analysis(state, host, VolmenderProfile);
    ASSERT_TRUE(analysis.AnalyseFat());
    EXPECT_EQ(state.Layout.SectorsPerFat, 0u);
    EXPECT_FALSE(LayoutIsUsable(state.Layout));
}

using fixtures::BootDamage;
using fixtures::FatType;

INSTANTIATE_TEST_SUITE_P(
    Volumes, RealVolumeRepair,
    ::testing::Values(
        VolumeCase{"fat32-1k-clusters", FatType::Fat32, 140000, 2, 0, BootDamage::WithFat32Copies, &VolmenderProfile},
        VolumeCase{"fat32-512-clusters", FatType::Fat32, 33 * 2048, 1, 0, BootDamage::BootSectorOnly, &VolmenderProfile,
                   false, 0.10},
        VolumeCase{"fat32-4k-partition", FatType::Fat32, 1200000, 8, 63, BootDamage::WithFat32Copies,
                   &VolmenderProfile},
        VolumeCase{"fat32-fallback", FatType::Fat32, 600000, 4, 2048, BootDamage::WithFat32Copies, &VolmenderProfile,
                   true},
        VolumeCase{"fat32only-fallback", FatType::Fat32, 300000, 2, 0, BootDamage::WithFat32Copies,
                   &Fat32OnlyProfile, true},
        VolumeCase{"fat16-4k-clusters", FatType::Fat16, 409600, 8, 0, BootDamage::BootSectorOnly, &VolmenderProfile},
        VolumeCase{"fat16-fallback", FatType::Fat16, 204800, 4, 0, BootDamage::BootSectorOnly, &VolmenderProfile,
                   true},
        VolumeCase{"fat16-2k-partition", FatType::Fat16, 204800, 4, 63, BootDamage::BootSectorOnly,
                   &VolmenderProfile},
        VolumeCase{"fat32only-1k-clusters", FatType::Fat32, 140000, 2, 0, BootDamage::WithFat32Copies,
                   &Fat32OnlyProfile},
        VolumeCase{"fat32only-8k-partition", FatType::Fat32, 2400000, 16, 63, BootDamage::BootSectorOnly,
                   &Fat32OnlyProfile}),
    [](const ::testing::TestParamInfo<VolumeCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (ch == '-') ch = '_';
        return name;
    });

}  // namespace
}  // namespace repair
