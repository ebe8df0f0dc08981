// Where the directory search reads, what it leaves behind, and how it ends,
// on described machines.

#include "machine_fixture.h"

namespace repair {
namespace {

using testing::DirectoryStart;
using testing::MachineTest;

class DirSearch : public MachineTest {
protected:
    bool Search(const AnalysisProfile& profile = VolmenderProfile)
    {
        return RunAnalysis(&Analysis::FindDirCluster, profile);
    }
};

TEST_F(DirSearch, TwoBlocksForAThousandSectorVolume)
{
    // Blocks at 30 and 830: sectors 30 to 1,629, past the volume's end at 999.
    MakeDisk(3000);
    SetVolume(0, 1000);
    EXPECT_FALSE(Search());
    EXPECT_EQ(host.events, std::vector<std::string>{"busy"});
    EXPECT_EQ(host.messagesProcessed, 1600);

    Put(29, DirectoryStart(3));
    Put(1630, DirectoryStart(3));
    EXPECT_FALSE(Search());

    Put(1629, DirectoryStart(100));
    EXPECT_TRUE(Search());
    EXPECT_EQ(state.Layout.DirSector, 1629u);
    EXPECT_EQ(state.Layout.SectorsPerCluster, 16u);
}

TEST_F(DirSearch, EmptyVolumeStillGetsOneBlock)
{
    MakeDisk(3000);
    SetVolume(100, 0);
    Put(899, DirectoryStart(100));
    EXPECT_TRUE(Search());
    EXPECT_EQ(state.Layout.DirSector, 899u);
}

TEST_F(DirSearch, StartsThreePercentIn)
{
    MakeDisk(70000);
    SetVolume(63, 2000000);
    Put(60062, DirectoryStart(3));  // before the first Block at 60,063
    Put(60863, DirectoryStart(3));  // first sector of the second Block
    EXPECT_TRUE(Search());
    EXPECT_EQ(state.Layout.DirSector, 60863u);
    EXPECT_EQ(host.messagesProcessed, 800);
}

TEST_F(DirSearch, Fat32OnlyProgramStepsEightySectors)
{
    // Blocks at 50, 130, ..., 930: sectors 50 to 1,009 inspected.
    MakeDisk(3000);
    SetVolume(0, 1000);
    EXPECT_FALSE(Search(Fat32OnlyProfile));
    EXPECT_EQ(host.messagesProcessed, 12 * 80);

    Put(49, DirectoryStart(3));
    Put(1010, DirectoryStart(3));
    EXPECT_FALSE(Search(Fat32OnlyProfile));

    Put(1009, DirectoryStart(100));
    EXPECT_TRUE(Search(Fat32OnlyProfile));
    EXPECT_EQ(state.Layout.DirSector, 1009u);
}

TEST_F(DirSearch, Fat32OnlyPairPastTheInspectedSectorsIsFoundInTheNextStep)
{
    MakeDisk(3000);
    SetVolume(0, 1000);
    Put(130, DirectoryStart(10));  // sector 80 of the Block at 50
    EXPECT_TRUE(Search(Fat32OnlyProfile));
    EXPECT_EQ(state.Layout.DirSector, 130u);
    EXPECT_EQ(host.messagesProcessed, 80);

    host = {};
    Put(129, DirectoryStart(10));  // sector 79 of the Block at 50
    EXPECT_TRUE(Search(Fat32OnlyProfile));
    EXPECT_EQ(state.Layout.DirSector, 129u);
    EXPECT_EQ(host.messagesProcessed, 79);
}

TEST_F(DirSearch, SearchWithoutAFindForgetsOnlyTheClusterSizeInVolmender)
{
    MakeDisk(3000);
    SetVolume(0, 1000);
    Put(500, DirectoryStart(100));
    ASSERT_TRUE(Search());
    Put(500, fixtures::Sector{});

    EXPECT_FALSE(Search());
    EXPECT_EQ(state.Layout.SectorsPerCluster, 0u);
    EXPECT_EQ(state.Layout.DirSector, 500u);
    EXPECT_EQ(state.Layout.DirClusterOffset, 98 * 5);
}

TEST_F(DirSearch, Fat32OnlySearchWithoutAFindKeepsAllThree)
{
    MakeDisk(3000);
    SetVolume(0, 1000);
    Put(500, DirectoryStart(100));
    ASSERT_TRUE(Search(Fat32OnlyProfile));
    Put(500, fixtures::Sector{});

    EXPECT_FALSE(Search(Fat32OnlyProfile));
    EXPECT_EQ(state.Layout.SectorsPerCluster, 5u);
    EXPECT_EQ(state.Layout.DirSector, 500u);
}

TEST_F(DirSearch, FailedFirstBlockIsNotTestedOnWhatAnEarlierSearchLeft)
{
    MakeDisk(3000);
    SetVolume(0, 1000);
    Put(500, DirectoryStart(100));
    ASSERT_TRUE(Search());  // BlockBuf now holds the pair

    UseMachine({fixtures::MachineFault::ReadError(0, 500, 23)});  // the pair's own sector fails now
    EXPECT_FALSE(Search());
    EXPECT_EQ(state.Layout.SectorsPerCluster, 0u);
}

// Within one repair a sector that failed on its own is not asked for again:
// here it would have read the second time.
TEST_F(DirSearch, ASectorThatFailedIsNotReadAgainInTheSameRepair)
{
    MakeDisk(3000, {fixtures::MachineFault::ReadError(0, 500, 23)});
    SetVolume(0, 1000);
    Put(500, DirectoryStart(100));
    state.Reader.Begin(0, host);
    EXPECT_FALSE(Search());
    UseMachine();
    EXPECT_FALSE(Search());
    EXPECT_EQ(state.Reader.Run().UnreadableSectors(), 1u);
    state.Reader.End();
    EXPECT_TRUE(Search());
}

TEST_F(DirSearch, ShortReadIsTestedAsFarAsItGot)
{
    MakeDisk(3000);
    SetVolume(0, 1000);
    Put(400, DirectoryStart(100));
    Put(700, DirectoryStart(100));
    UseMachine({fixtures::MachineFault::ShortRead(0, 600)});  // the Block at 30 stops there

    EXPECT_TRUE(Search());  // the sectors before 600 arrived
    EXPECT_EQ(state.Layout.DirSector, 400u);

    Put(400, fixtures::Sector{});
    EXPECT_FALSE(Search());  // 700 lies in the part that never came
}

TEST_F(DirSearch, VolumeReachingTheLastSectorNumberDoesNotWrapRound)
{
    // Sparse image as large as 32-bit sector numbers reach.
    MakeDisk(std::uint64_t{1} << 32);
    SetVolume(0xFFFFFFFFu - 999, 5000);  // ends past the last sector number
    Put(10, DirectoryStart(3));
    Put(750, DirectoryStart(3));
    EXPECT_FALSE(Search());
    // Blocks at 2^32 − 850 (800 sectors) and 2^32 − 50 (the 50 that exist).
    EXPECT_EQ(host.messagesProcessed, 850);

    Put(0xFFFFFFFFu, DirectoryStart(10));
    EXPECT_TRUE(Search());
    EXPECT_EQ(state.Layout.DirSector, 0xFFFFFFFFu);
    EXPECT_EQ(state.Layout.SectorsPerCluster, 99u);
}

}  // namespace
}  // namespace repair
