// The checks a layout must pass before its boot sector is written: the plain
// facts of a FAT volume, and the evidence from the disk for a layout that the
// fallback derived from the directory's position.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "fixtures/fat_volume.h"
#include "machine_fixture.h"
#include "repair/layout_evidence.h"
#include "repair/layout_facts.h"
#include "fixtures/test_machine.h"

namespace repair {
namespace {

// What mkfs.fat makes of 560,000 sectors with 4 KiB clusters (FAT32) and of
// 204,800 sectors with 2 KiB clusters (FAT16).
VolumeLayout Fat32Layout()
{
    return {.VolumeSectors = 560000, .SectorsPerCluster = 8, .ReservedSectors = 32, .SectorsPerFat = 546, .FatType = "FAT32"};
}
VolumeLayout Fat16Layout()
{
    return {.VolumeSectors = 204800, .SectorsPerCluster = 4, .ReservedSectors = 4, .SectorsPerFat = 200, .FatType = "FAT16"};
}

struct FactsCase {
    const char* name;
    bool fat32;
    std::function<void(VolumeLayout&)> change;
    bool meetsTheFacts;
};

std::ostream& operator<<(std::ostream& out, const FactsCase& c) { return out << c.name; }

class Facts : public ::testing::TestWithParam<FactsCase> {};

TEST_P(Facts, OfAFatVolume)
{
    const FactsCase& c = GetParam();
    VolumeLayout layout = c.fat32 ? Fat32Layout() : Fat16Layout();
    c.change(layout);
    EXPECT_EQ(!BrokenLayoutFact(layout, c.fat32), c.meetsTheFacts);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, Facts,
    ::testing::Values(
        FactsCase{"mkfs_fat32", true, [](VolumeLayout&) {}, true},
        FactsCase{"mkfs_fat16", false, [](VolumeLayout&) {}, true},
        FactsCase{"largest_cluster_size", true,
                  [](VolumeLayout& l) { l.SectorsPerCluster = 128; l.VolumeSectors = 8400000; }, true},
        FactsCase{"cluster_size_that_is_no_power_of_two", true, [](VolumeLayout& l) { l.SectorsPerCluster = 144; },
                  false},
        FactsCase{"small_cluster_size_that_is_no_power_of_two", true,
                  [](VolumeLayout& l) { l.SectorsPerCluster = 12; }, false},
        FactsCase{"cluster_size_past_one_byte", true, [](VolumeLayout& l) { l.SectorsPerCluster = 256; }, false},
        FactsCase{"no_cluster_size", true, [](VolumeLayout& l) { l.SectorsPerCluster = 0; }, false},
        // The first FAT copy would lie over the boot sector.
        FactsCase{"no_reserved_sectors", false, [](VolumeLayout& l) { l.ReservedSectors = 0; }, false},
        FactsCase{"reserved_count_past_16_bits", true,
                  [](VolumeLayout& l) {
                      l.ReservedSectors = 65536;
                      l.VolumeSectors += 65536;
                  },
                  false},
        FactsCase{"fat16_fat_size_past_16_bits", false,
                  [](VolumeLayout& l) {
                      l.SectorsPerFat = 65536;
                      l.VolumeSectors = 4000000;
                      l.SectorsPerCluster = 64;
                  },
                  false},
        FactsCase{"second_copy_reaching_past_the_volume", true, [](VolumeLayout& l) { l.VolumeSectors = 32 + 1000; },
                  false},
        FactsCase{"data_area_without_a_whole_cluster", true,
                  [](VolumeLayout& l) { l.VolumeSectors = 32 + 2 * 546 + 7; }, false},
        FactsCase{"fat_without_an_entry_for_every_cluster", true, [](VolumeLayout& l) { l.SectorsPerFat = 500; },
                  false},
        FactsCase{"fat16_of_65525_clusters", false,
                  [](VolumeLayout& l) { l.SectorsPerCluster = 1; l.SectorsPerFat = 256; l.VolumeSectors = 66073; }, false},
        FactsCase{"fat16_root_directory_counted", false, [](VolumeLayout& l) { l.VolumeSectors = 4 + 400 + 32; },
                  false}),
    [](const ::testing::TestParamInfo<FactsCase>& info) { return std::string(info.param.name); });

// mkfs.fat's defaults on whole devices of 1 MiB to 8 GiB: never shorter than its volume, and every fact kept.
TEST(WholeDeviceVolume, EndsNoEarlierThanMkfsFatsOwnAndKeepsTheFacts)
{
    const fixtures::TempDir dir;
    for (const std::uint32_t mib : {1, 2, 4, 8, 16, 32, 33, 64, 100, 128, 256, 512, 1000, 1024, 2048, 4096, 8192})
        for (const bool fat32 : {mib < 16 || mib > 2048, true}) {  // FAT16 only at the sizes mkfs.fat makes it
            const fixtures::BootSectorFields made = fixtures::ReadBootSector(fixtures::MakeFatImage(
                dir.File("stick.img"), {.type = fat32 ? fixtures::FatType::Fat32 : fixtures::FatType::Fat16, .sectors = mib * 2048}));
            VolumeLayout layout{.VolumeSectors = mib * 2048, .SectorsPerCluster = made.sectorsPerCluster,
                                .ReservedSectors = made.reservedSectors, .SectorsPerFat = made.SectorsPerFat(), .FatType = ""};
            EndAtTheLastClusterItsFatMaps(layout, fat32);
            EXPECT_GE(layout.VolumeSectors, made.TotalSectors()) << mib << " MiB, FAT32 " << fat32;
            EXPECT_FALSE(BrokenLayoutFact(layout, fat32).has_value()) << mib << " MiB, FAT32 " << fat32;
        }
}

// A FAT16 fallback layout on a sparse disk: FATs of 200 sectors at offsets 4
// and 204 (the first one's start lost), 32 root sectors, 2 KiB clusters, and
// the subdirectory the search found in cluster 1,000, at the end of its chain.
constexpr std::uint32_t FirstCopy = 4;
constexpr std::uint32_t SecondCopy = 204;
constexpr std::uint32_t DataStart = 436;
constexpr std::uint32_t DirCluster = 1000;
constexpr std::uint32_t DirSector = DataStart + (DirCluster - 2) * 4;

std::uint32_t ClusterSector(std::uint32_t cluster) { return DataStart + (cluster - 2) * 4; }

fixtures::Sector WithParent(fixtures::Sector directory, std::uint32_t parent)
{
    fixtures::WriteLe16(directory.data() + 32 + 20, static_cast<std::uint16_t>(parent >> 16));
    fixtures::WriteLe16(directory.data() + 32 + 26, static_cast<std::uint16_t>(parent));
    return directory;
}

class FallbackEvidence : public testing::MachineTest {
protected:
    void SetUp() override { Prepare(204800); }

    void Prepare(std::uint64_t diskSectors)
    {
        MakeDisk(diskSectors);
        state.SelectedDrive = 0;
        state.Reader.DriveSectors = diskSectors;
        state.Layout = Fat16Layout();
        state.Layout.Fat2Offset = SecondCopy;
        state.Layout.DirSector = DirSector;
        state.Layout.DirClusterOffset = static_cast<std::int32_t>(DirSector - DataStart);
        for (const std::uint32_t copy : {FirstCopy, SecondCopy}) {
            Put(copy + 1, testing::SectorBeginning({0x03, 0x01, 0x04, 0x01}));
            SetEntry(copy, DirCluster, 0xFFFF);
        }
        Put(DirSector, testing::DirectoryStart(DirCluster));
    }

    void SetEntry(std::uint32_t copy, std::uint32_t cluster, std::uint16_t value)
    {
        fixtures::Sector sector = Get(copy + cluster * 2 / 512);
        fixtures::WriteLe16(sector.data() + cluster * 2 % 512, value);
        Put(copy + cluster * 2 / 512, sector);
    }

    bool Confirmed() const { return LayoutConfirmedByDisk(state, false); }
};

TEST_F(FallbackEvidence, ConfirmedWhenTheDiskAgreesOnEveryCount)
{
    EXPECT_TRUE(Confirmed());
    // ".." may also name another directory, whose "." names its own cluster.
    Put(DirSector, WithParent(testing::DirectoryStart(DirCluster), 50));
    Put(ClusterSector(50), testing::DirectoryStart(50));
    EXPECT_TRUE(Confirmed());
}

TEST_F(FallbackEvidence, CopiesThatDifferAreNoFats)
{
    Put(SecondCopy + 7, testing::SectorBeginning({0x09}));
    EXPECT_FALSE(Confirmed());
}

TEST_F(FallbackEvidence, WipedLeadingSectorsOfTheFirstCopyArePassedOverWhileEntriesAgreeAfterThem)
{
    Put(FirstCopy + 1, {});
    EXPECT_TRUE(Confirmed());
    Put(FirstCopy + 3, {});
    EXPECT_FALSE(Confirmed());
}

TEST_F(FallbackEvidence, FatLargerThanItsClustersNeedPutsTheCopiesElsewhere)
{
    state.Layout.VolumeSectors = 60000;  // 14,891 clusters need 59 sectors
    EXPECT_FALSE(Confirmed());
}

TEST_F(FallbackEvidence, DirectoryInAFreeClusterIsNoDirectoryOfThisVolume)
{
    SetEntry(FirstCopy, DirCluster, 0);
    SetEntry(SecondCopy, DirCluster, 0);
    EXPECT_FALSE(Confirmed());
}

// The bad-cluster mark is no link, also in a layout that declares clusters
// with numbers past it.
TEST_F(FallbackEvidence, DirectoryInABadClusterIsNoDirectoryOfThisVolume)
{
    Prepare(300000);
    state.Layout.VolumeSectors = 300000;  // 74,891 clusters
    SetEntry(FirstCopy, DirCluster, 0xFFF7);
    SetEntry(SecondCopy, DirCluster, 0xFFF7);
    EXPECT_FALSE(Confirmed());
}

// Entry 1 is no cluster, and 60,000 lies past the last of 51,091.
TEST_F(FallbackEvidence, DirectoryLinkedOutsideTheVolumeIsNoDirectoryOfThisVolume)
{
    for (const std::uint16_t link : {1, 60000}) {
        SetEntry(FirstCopy, DirCluster, link);
        SetEntry(SecondCopy, DirCluster, link);
        EXPECT_FALSE(Confirmed()) << link;
    }
}

TEST_F(FallbackEvidence, UnreadableFatSectorConfirmsNothing)
{
    fixtures::MessageBoxRecorder boxes;  // outside a repair a failed read shows its box
    UseMachine({fixtures::MachineFault::ReadError(0, SecondCopy + 7, 23)});
    EXPECT_FALSE(Confirmed());
}

TEST_F(FallbackEvidence, ParentMustBeADirectoryOfThisVolume)
{
    Put(DirSector, WithParent(testing::DirectoryStart(DirCluster), 50));
    EXPECT_FALSE(Confirmed()) << "cluster 50 holds no directory";
    // A directory past the volume's last cluster, on a drive that goes on.
    Prepare(300000);
    Put(DirSector, WithParent(testing::DirectoryStart(DirCluster), 60000));
    Put(ClusterSector(60000), testing::DirectoryStart(60000));
    EXPECT_FALSE(Confirmed());
}

TEST_F(FallbackEvidence, ParentMustOpenWithItsOwnDotEntry)
{
    Put(DirSector, WithParent(testing::DirectoryStart(DirCluster), 50));
    fixtures::Sector file = testing::DirectoryStart(50);
    for (const char* name : {"FILE    TXT", ".       TXT"}) {
        std::memcpy(file.data(), name, 11);
        Put(ClusterSector(50), file);
        EXPECT_FALSE(Confirmed()) << name << " is no \".\"";
    }
    Put(ClusterSector(50), testing::DirectoryStart(51));
    EXPECT_FALSE(Confirmed()) << "a \".\" that names another cluster";
}

TEST_F(FallbackEvidence, ClusterInUsePastTheVolumesEndBreaksTheFacts)
{
    SetEntry(FirstCopy, 50000, 0xFFFF);
    state.Layout.VolumeSectors = ClusterSector(40000);
    EXPECT_STREQ(BrokenFatVolumeFact(state, false).value_or(BrokenFact{}).field, "cluster past the volume's end");
}

TEST_F(FallbackEvidence, SectorsPastTheDriveConfirmNothing)
{
    state.Reader.DriveSectors = DirSector;
    EXPECT_FALSE(Confirmed());
}

TEST_F(FallbackEvidence, LayoutFromBothFatStartsHasItsEvidenceAlready)
{
    state.Layout.Fat1Offset = FirstCopy;
    Put(SecondCopy + 7, testing::SectorBeginning({0x09}));
    EXPECT_TRUE(Confirmed());
}

}  // namespace
}  // namespace repair
