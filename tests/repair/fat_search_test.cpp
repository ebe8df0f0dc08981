// The search for the two FAT copies and the layout derived from them, on
// described machines whose disks hold FAT starts where each case needs them.

#include <optional>
#include <ostream>

#include "machine_fixture.h"
#include "repair/repair_texts.h"

namespace repair {
namespace {

using testing::DirectoryStart;
using testing::Fat16Start;
using testing::Fat32Start;
using testing::MachineTest;

class FatSearch : public MachineTest {
protected:
    FatSearchEnd Search(const AnalysisProfile& profile = VolmenderProfile)
    {
        return RunAnalysis(&Analysis::FindFats, profile);
    }
    bool Analyse(const AnalysisProfile& profile = VolmenderProfile)
    {
        return RunAnalysis(&Analysis::AnalyseFat, profile);
    }
    const std::vector<std::string> damaged{texts::FileSystemDamaged};
};

// Offset from the volume start of the first sector of cluster `cluster`, for
// a data area `dataStart` sectors into the volume and `perCluster` sectors per
// cluster.
std::uint32_t ClusterOffset(std::uint32_t dataStart, std::uint32_t perCluster, std::uint32_t cluster)
{
    return dataStart + (cluster - 2) * perCluster;
}

// --- The layout one analysis derives from the FAT copies and a directory ----

// Where a case puts a FAT start or a directory's first sector on the disk.
struct Placed {
    std::uint64_t sector;
    fixtures::Sector content;
};

// What a case expects; an unset value is not checked by that case.
struct ExpectedLayout {
    std::optional<bool> analysed{};  // what the analysis returns
    std::optional<std::uint32_t> fat1{}, fat2{}, sectorsPerFat{}, reservedSectors{}, sectorsPerCluster{}, dirSector{};
    std::optional<std::int32_t> dirClusterOffset{};
    std::optional<bool> usable{};         // LayoutIsUsable
    std::optional<bool> damagedNotice{};  // true: the one "damaged" message; false: no message at all
};

struct LayoutCase {
    const char* name;
    bool fat32Only;  // the FAT32-only program's analysis, else volmender's
    std::uint64_t diskSectors;
    std::uint32_t volumeStart, volumeSectors;
    std::vector<Placed> placed;
    ExpectedLayout expected;
};

std::ostream& operator<<(std::ostream& out, const LayoutCase& c) { return out << c.name; }

std::vector<LayoutCase> LayoutCases()
{
    return {
        // A directory in cluster 14,100 of 512-byte clusters, data from 32 + 2 × 7,000.
        {"fat32_copies_give_reserved_sectors_and_fat_size", false, 40000, 2048, 35000,
         {{2080, Fat32Start}, {9080, Fat32Start}, {2048 + ClusterOffset(14032, 1, 14100), DirectoryStart(14100)}},
         {.analysed = true, .fat1 = 32, .fat2 = 7032, .sectorsPerFat = 7000, .reservedSectors = 32,
          .sectorsPerCluster = 1, .usable = true, .damagedNotice = false}},
        {"fat16_directory_lies_past_the_root_directory", false, 40000, 0, 35000,
         {{4, Fat16Start}, {204, Fat16Start}, {ClusterOffset(4 + 400 + 32, 4, 1000), DirectoryStart(1000)}},
         {.sectorsPerFat = 200, .reservedSectors = 4, .sectorsPerCluster = 4}},
        {"fat16_copies_at_the_volume_start", false, 30000, 0, 30000,
         {{1, Fat16Start}, {251, Fat16Start}},
         {.fat1 = 1, .fat2 = 251, .sectorsPerFat = 250, .reservedSectors = 1}},
        // No first copy: 26,016 / 3,000 gives 8 sectors per cluster.
        {"fallback_from_the_directory_position", false, 110000, 63, 100000,
         {{63 + 1032, Fat32Start}, {26079, DirectoryStart(3000)}},
         {.analysed = true, .sectorsPerFat = 1000, .reservedSectors = 32, .sectorsPerCluster = 8,
          .dirSector = 26079, .dirClusterOffset = 23984, .usable = true, .damagedNotice = true}},
        // Data area at offset 2,032.
        {"fallback_on_fat16_leaves_room_for_the_root_directory", false, 110000, 63, 100000,
         {{63 + 1032, Fat16Start}, {26079, DirectoryStart(3000)}},
         {.fat2 = 1032, .sectorsPerFat = 968, .reservedSectors = 64}},
        {"missing_second_copy_gives_fat_size_zero", false, 30000, 0, 30000,
         {{32, Fat32Start}, {20001, Fat32Start}, {9000, DirectoryStart(1000)}},
         {.analysed = true, .sectorsPerFat = 0, .reservedSectors = 32, .usable = false}},
        {"fat32_only_fallback_without_notice", true, 110000, 63, 100000,
         {{63 + 1032, Fat32Start}, {26079, DirectoryStart(3000)}},
         {.analysed = true, .fat1 = 0, .sectorsPerFat = 1000, .reservedSectors = 32, .damagedNotice = false}},
    };
}

class FatLayout : public FatSearch, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(FatLayout, AnalysisDerivesTheExpectedLayout)
{
    const LayoutCase& c = GetParam();
    MakeDisk(c.diskSectors);
    SetVolume(c.volumeStart, c.volumeSectors);
    for (const Placed& p : c.placed) Put(p.sector, p.content);

    const bool analysed = Analyse(c.fat32Only ? Fat32OnlyProfile : VolmenderProfile);
    const ExpectedLayout& e = c.expected;
    const VolumeLayout& got = state.Layout;
    if (e.analysed) { EXPECT_EQ(analysed, *e.analysed); }
    if (e.fat1) { EXPECT_EQ(got.Fat1Offset, *e.fat1); }
    if (e.fat2) { EXPECT_EQ(got.Fat2Offset, *e.fat2); }
    if (e.sectorsPerFat) { EXPECT_EQ(got.SectorsPerFat, *e.sectorsPerFat); }
    if (e.reservedSectors) { EXPECT_EQ(got.ReservedSectors, *e.reservedSectors); }
    if (e.sectorsPerCluster) { EXPECT_EQ(got.SectorsPerCluster, *e.sectorsPerCluster); }
    if (e.dirSector) { EXPECT_EQ(got.DirSector, *e.dirSector); }
    if (e.dirClusterOffset) { EXPECT_EQ(got.DirClusterOffset, *e.dirClusterOffset); }
    if (e.usable) { EXPECT_EQ(LayoutIsUsable(got), *e.usable); }
    if (e.damagedNotice) { EXPECT_EQ(host.Messages(), *e.damagedNotice ? damaged : std::vector<std::string>{}); }
}

INSTANTIATE_TEST_SUITE_P(Cases, FatLayout, ::testing::ValuesIn(LayoutCases()), ::testing::PrintToStringParamName());

// --- The search itself: ranges, signatures, finds -----------------------------

TEST_F(FatSearch, ClusterSizeThatMissesTheDirectoryIsDropped)
{
    // Cluster 3,000 one sector past where 8-sector clusters after a FAT area
    // of 14,000 sectors put it: the quotient gives 12, and no cluster size
    // puts the directory where it lies.
    MakeDisk(45000);
    SetVolume(2048, 40000);
    Put(2080, Fat32Start);
    Put(9080, Fat32Start);
    Put(2048 + ClusterOffset(14032, 8, 3000) + 1, DirectoryStart(3000));

    EXPECT_TRUE(Analyse());
    EXPECT_EQ(state.Layout.SectorsPerFat, 7000u);
    EXPECT_EQ(state.Layout.SectorsPerCluster, 0u);
    EXPECT_FALSE(LayoutIsUsable(state.Layout));

    EXPECT_FALSE(Analyse(Fat32OnlyProfile));
    EXPECT_EQ(host.Messages(), damaged);
}

TEST_F(FatSearch, RangesEndWhereTheProgramSays)
{
    MakeDisk(30000);
    SetVolume(0, 30000);
    Put(191, Fat32Start);
    Put(192, Fat32Start);
    Search();
    EXPECT_EQ(state.Layout.Fat1Offset, 191u);
    EXPECT_EQ(state.Layout.Fat2Offset, 192u);

    Put(20000, Fat32Start);
    Put(20001, Fat32Start);
    Search();
    EXPECT_EQ(state.Layout.Fat2Offset, 20000u);
    EXPECT_EQ(host.messagesProcessed, 2 * 20001);

    Put(254, Fat32Start);
    Put(255, Fat32Start);
    Put(20000, fixtures::Sector{});
    Search(Fat32OnlyProfile);  // finds at 191, 192 and 254 make three
    EXPECT_EQ(state.Layout.Fat1Offset, 254u);
    EXPECT_EQ(state.Layout.Fat2Offset, 0u);
}

TEST_F(FatSearch, Fat32OnlyRangesSplitAt255)
{
    MakeDisk(30000);
    SetVolume(0, 30000);
    Put(254, Fat32Start);
    Put(255, Fat32Start);
    EXPECT_EQ(Search(Fat32OnlyProfile), FatSearchEnd::Scanned);
    EXPECT_EQ(state.Layout.Fat1Offset, 254u);
    EXPECT_EQ(state.Layout.Fat2Offset, 255u);
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(FatSearch, LastFindInTheFirstRangeCounts)
{
    MakeDisk(30000);
    SetVolume(0, 30000);
    Put(4, Fat32Start);
    Put(104, Fat32Start);
    Search();
    EXPECT_EQ(state.Layout.Fat1Offset, 104u);
}

TEST_F(FatSearch, OnlySignaturesWithMediaF8AndAllHighBitsCount)
{
    MakeDisk(30000);
    SetVolume(0, 30000);
    Put(10, testing::SectorBeginning({0xF0, 0xFF, 0xFF, 0xFF}));
    Put(20, testing::SectorBeginning({0xF8, 0xFF, 0xFF, 0x7F}));
    Put(300, Fat16Start);
    Search();
    EXPECT_EQ(state.Layout.Fat1Offset, 0u);
    EXPECT_EQ(state.Layout.Fat2Offset, 300u);

    Analysis analysis(state, host, VolmenderProfile);
    EXPECT_TRUE(analysis.IsFatStart(300));
    EXPECT_FALSE(analysis.IsFatStart(10));
    EXPECT_FALSE(analysis.IsFatStart(20));
}

TEST_F(FatSearch, NoFirstCopyGivesTheNoticeInVolmenderOnly)
{
    MakeDisk(30000);
    SetVolume(0, 30000);
    Put(0, Fat32Start);  // at offset 0 it reads as not found
    Put(7032, Fat32Start);
    Search();
    EXPECT_EQ(state.Layout.Fat1Offset, 0u);
    EXPECT_EQ(host.Messages(), damaged);

    host.events.clear();
    EXPECT_EQ(Search(Fat32OnlyProfile), FatSearchEnd::Scanned);
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(FatSearch, FallbackYieldsNoFatSizeWhenThingsDoNotFitTogether)
{
    MakeDisk(110000);
    SetVolume(63, 100000);
    Put(63 + 1032, Fat32Start);

    // No directory found in this analysis: the values of an earlier one are
    // not used.
    state.Layout.DirSector = 26079;
    state.Layout.DirClusterOffset = 23984;
    Analyse();
    EXPECT_EQ(state.Layout.SectorsPerFat, 0u);

    // The data area would begin before the end of the second copy.
    Put(26079, DirectoryStart(3200));  // 8 per cluster, offset 25,584
    Analyse();
    EXPECT_EQ(state.Layout.SectorsPerCluster, 8u);
    EXPECT_EQ(state.Layout.SectorsPerFat, 0u);

    // The first copy would have to start at or before the boot sector.
    Put(26079, DirectoryStart(3152));  // 8 per cluster, data area at offset 816
    Put(63 + 1032, fixtures::Sector{});
    Put(63 + 400, Fat32Start);         // FAT size 416 leaves no room before the second copy
    Analyse();
    EXPECT_EQ(state.Layout.Fat2Offset, 400u);
    EXPECT_EQ(state.Layout.SectorsPerFat, 0u);
}

// The fallback takes the data area's start from a directory found by this
// analysis, with a cluster size.
TEST_F(FatSearch, FallbackNeedsAClusterSizeFromThisAnalysis)
{
    MakeDisk(30000);
    SetVolume(0, 20000);
    Put(1032, Fat32Start);
    // A "." entry naming a cluster further on than its sector lies from the
    // volume start gives no cluster size.
    Put(1500, DirectoryStart(2000));
    Analyse();
    EXPECT_EQ(state.Layout.SectorsPerCluster, 0u);
    EXPECT_EQ(state.Layout.SectorsPerFat, 0u);

    // The FAT32-only program keeps an earlier search's cluster size when it
    // finds no directory; that earlier directory says nothing of this volume.
    Put(1500, fixtures::Sector{});
    state.Layout.SectorsPerCluster = 1;
    Analyse(Fat32OnlyProfile);
    EXPECT_EQ(state.Layout.SectorsPerFat, 0u);

    // Cluster 1 is none of the data area's: the directory would lie before it.
    Put(700, DirectoryStart(1));
    Analyse();
    EXPECT_LT(state.Layout.DirClusterOffset, 0);
    EXPECT_EQ(state.Layout.SectorsPerFat, 0u);
}

TEST_F(FatSearch, Fat32OnlyRefusesTwoFindsBelow255)
{
    MakeDisk(30000);
    SetVolume(0, 30000);
    Put(38, Fat32Start);
    Put(200, Fat32Start);
    Put(9000, DirectoryStart(1000));
    EXPECT_EQ(Search(Fat32OnlyProfile), FatSearchEnd::Scanned);
    EXPECT_EQ(state.Layout.Fat1Offset, 200u);
    EXPECT_EQ(state.Layout.Fat2Offset, 0u);
    EXPECT_TRUE(host.Messages().empty());

    EXPECT_FALSE(Analyse(Fat32OnlyProfile));
    EXPECT_EQ(state.Layout.SectorsPerFat, 0u);
    EXPECT_EQ(host.Messages(), damaged);
}

TEST_F(FatSearch, Fat32OnlyEndsAtTheThirdFatStart)
{
    MakeDisk(30000);
    SetVolume(0, 30000);
    Put(32, Fat32Start);
    Put(7032, Fat32Start);
    Put(15000, Fat32Start);
    Put(9000, DirectoryStart(1000));
    state.Layout.SectorsPerFat = 77;
    state.Layout.ReservedSectors = 7;

    EXPECT_EQ(Search(Fat32OnlyProfile), FatSearchEnd::ThirdFatStart);
    EXPECT_EQ(host.messagesProcessed, 15000);  // offsets 0 to 14,999; none after the third find
    EXPECT_EQ(host.Messages(), damaged);

    host.events.clear();
    EXPECT_FALSE(Analyse(Fat32OnlyProfile));
    EXPECT_EQ(host.Messages(), damaged);  // once, from the FAT search
    EXPECT_EQ(state.Layout.SectorsPerFat, 77u);
    EXPECT_EQ(state.Layout.ReservedSectors, 7u);
}

TEST_F(FatSearch, Fat32OnlySameLayoutWhereverTheVolumeStarts)
{
    for (std::uint32_t start : {0u, 2048u, 100063u}) {
        MakeDisk(140000);
        SetVolume(start, 35000);
        Put(start + 32, Fat32Start);
        Put(start + 7032, Fat32Start);
        Put(start + ClusterOffset(14032, 1, 14100), DirectoryStart(14100));
        host = {};
        EXPECT_TRUE(Analyse(Fat32OnlyProfile)) << start;
        EXPECT_EQ(state.Layout.Fat1Offset, 32u);
        EXPECT_EQ(state.Layout.Fat2Offset, 7032u);
        EXPECT_EQ(state.Layout.SectorsPerFat, 7000u);
        EXPECT_EQ(state.Layout.ReservedSectors, 32u);
        EXPECT_TRUE(host.Messages().empty());
    }
}

TEST_F(FatSearch, Fat32OnlyRefusesWithoutADirectoryFoundNow)
{
    MakeDisk(30000);
    SetVolume(0, 30000);
    Put(32, Fat32Start);
    Put(7032, Fat32Start);
    // Values of an earlier analysis that found a directory.
    state.Layout.SectorsPerCluster = 8;
    state.Layout.DirSector = 9000;
    EXPECT_FALSE(Analyse(Fat32OnlyProfile));
    EXPECT_EQ(state.Layout.SectorsPerCluster, 8u);  // kept, yet not trusted
    EXPECT_EQ(host.Messages(), damaged);
}

TEST_F(FatSearch, AFailedReadIsNoFatStart)
{
    // Sector 33 cannot be read; what sector 32 left in the buffer must not
    // count as a second find there.
    MakeDisk(30000, {fixtures::MachineFault::ReadError(0, 33, 23)});
    SetVolume(0, 30000);
    Put(32, Fat32Start);
    Put(7032, Fat32Start);
    EXPECT_EQ(Search(Fat32OnlyProfile), FatSearchEnd::Scanned);
    EXPECT_EQ(state.Layout.Fat1Offset, 32u);
    EXPECT_EQ(state.Layout.Fat2Offset, 7032u);
}

TEST_F(FatSearch, VolumeAtTheEndOfTheSectorNumbersIsNotScannedRoundToTheStart)
{
    MakeDisk(30000);
    Put(32, Fat32Start);
    Put(7032, Fat32Start);
    SetVolume(0xFFFFFFFFu - 19999, 30000);
    Search();
    EXPECT_EQ(state.Layout.Fat1Offset, 0u);
    EXPECT_EQ(state.Layout.Fat2Offset, 0u);
    EXPECT_EQ(host.messagesProcessed, 0);
}

}  // namespace
}  // namespace repair
