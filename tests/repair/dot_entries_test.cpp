// The test of one Block for a subdirectory's first sector, on Blocks built in
// memory.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "recording_host.h"
#include "repair/analysis.h"

namespace repair {
namespace {

using testing::RecordingHost;

class DotEntries : public ::testing::Test {
protected:
    // Puts a "." entry naming `cluster` and a ".." entry at the start of
    // sector `s` of the Block.
    void PutPair(std::size_t s, std::uint32_t cluster)
    {
        std::uint8_t* sector = block.data() + s * d_api::SectorSize;
        std::memcpy(sector, ".          ", 11);
        sector[11] = 0x10;
        sector[20] = static_cast<std::uint8_t>(cluster >> 16);
        sector[21] = static_cast<std::uint8_t>(cluster >> 24);
        sector[26] = static_cast<std::uint8_t>(cluster);
        sector[27] = static_cast<std::uint8_t>(cluster >> 8);
        std::memcpy(sector + 32, "..         ", 11);
        sector[43] = 0x10;
    }

    bool Find(const AnalysisProfile& profile, std::uint32_t firstSector)
    {
        Analysis analysis(state, host, profile);
        return analysis.FindDotEntries(block, firstSector);
    }

    std::vector<std::uint8_t> block = std::vector<std::uint8_t>(d_api::BlockSize, 0);
    RepairState state;
    RecordingHost host;
};

TEST_F(DotEntries, ClusterSizeAndOffsetFollowFromTheDotEntry)
{
    state.Layout.VolumeStart = 63;
    PutPair(3, 12000);
    ASSERT_TRUE(Find(VolmenderProfile, 100060));
    EXPECT_EQ(state.Layout.SectorsPerCluster, 8u);  // 100,000 / 12,000, truncated
    EXPECT_EQ(state.Layout.DirSector, 100063u);
    EXPECT_EQ(state.Layout.DirClusterOffset, 95984);
    EXPECT_EQ(host.messagesProcessed, 3);  // after each sector without the pair, none after the find
}

TEST_F(DotEntries, HighWordOfTheClusterCounts)
{
    state.Layout.VolumeStart = 63;
    PutPair(0, 65536);
    ASSERT_TRUE(Find(VolmenderProfile, 100063));
    EXPECT_EQ(state.Layout.SectorsPerCluster, 1u);
    EXPECT_EQ(state.Layout.DirClusterOffset, 65534);
}

TEST_F(DotEntries, ClusterBeyondTheDistanceGivesClusterSizeZeroAndEndsTheSearch)
{
    state.Layout.VolumeStart = 63;
    PutPair(0, 200000);
    PutPair(1, 12000);
    ASSERT_TRUE(Find(VolmenderProfile, 100063));
    EXPECT_EQ(state.Layout.SectorsPerCluster, 0u);
    EXPECT_EQ(state.Layout.DirClusterOffset, 0);
    EXPECT_EQ(state.Layout.DirSector, 100063u);
}

TEST_F(DotEntries, ClusterZeroIsPassedOverAndTheSearchGoesOn)
{
    state.Layout.VolumeStart = 0;
    PutPair(2, 0);
    EXPECT_FALSE(Find(VolmenderProfile, 1000));
    EXPECT_EQ(state.Layout.DirSector, 0u);
    EXPECT_EQ(host.messagesProcessed, 800);

    PutPair(9, 100);
    ASSERT_TRUE(Find(VolmenderProfile, 1000));
    EXPECT_EQ(state.Layout.DirSector, 1009u);
    EXPECT_EQ(state.Layout.SectorsPerCluster, 10u);
}

TEST_F(DotEntries, FirstPairInTheBlockWins)
{
    PutPair(5, 100);
    PutPair(700, 10);
    ASSERT_TRUE(Find(VolmenderProfile, 0));
    EXPECT_EQ(state.Layout.DirSector, 5u);
}

TEST_F(DotEntries, OnlyTheTwoNamesDecide)
{
    PutPair(4, 100);
    block[4 * 512 + 8] = 'X';    // extension of "."
    block[4 * 512 + 11] = 0xFF;  // attributes
    ASSERT_TRUE(Find(VolmenderProfile, 0));
    EXPECT_EQ(state.Layout.DirSector, 4u);
}

TEST_F(DotEntries, PairsNotAtASectorStartAreNotFound)
{
    // Shifted by one entry inside the sector.
    std::memcpy(block.data() + 6 * 512 + 32, ".          ", 11);
    std::memcpy(block.data() + 6 * 512 + 64, "..         ", 11);
    // "." at the end of one sector, ".." at the start of the next.
    std::memcpy(block.data() + 8 * 512 - 32, ".          ", 11);
    std::memcpy(block.data() + 8 * 512, "..         ", 11);
    // ".." without the blanks after it.
    std::memcpy(block.data() + 10 * 512, ".          ", 11);
    std::memcpy(block.data() + 10 * 512 + 32, "..X        ", 11);
    EXPECT_FALSE(Find(VolmenderProfile, 0));
}

TEST_F(DotEntries, FatOnlyProgramInspectsEightySectors)
{
    PutPair(80, 100);
    EXPECT_FALSE(Find(Fat32OnlyProfile, 0));
    EXPECT_EQ(host.messagesProcessed, 80);
    PutPair(79, 100);
    ASSERT_TRUE(Find(Fat32OnlyProfile, 0));
    EXPECT_EQ(state.Layout.DirSector, 79u);
}

TEST_F(DotEntries, SectorsPastTheLastSectorNumberAreNotInspected)
{
    // Sector 2^32 − 1 is sector 9 of this Block; a pair in sector 10 would
    // have to be numbered 0 and is not taken.
    PutPair(10, 100);
    EXPECT_FALSE(Find(VolmenderProfile, 0xFFFFFFF6u));
    EXPECT_EQ(host.messagesProcessed, 10);
    PutPair(9, 100);
    ASSERT_TRUE(Find(VolmenderProfile, 0xFFFFFFF6u));
    EXPECT_EQ(state.Layout.DirSector, 0xFFFFFFFFu);
}

}  // namespace
}  // namespace repair
