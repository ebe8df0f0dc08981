// Where the volume of a partition lies, from the walk's record.

#include <gtest/gtest.h>

#include "repair/partition_volume.h"
#include "repair/volume_placement.h"

namespace repair {
namespace {

d_api::TDiskDetail OnePartition(std::int64_t tableSector, std::int64_t entryStart, std::int64_t length, int k = 1)
{
    d_api::TDiskDetail detail;
    detail.Count = static_cast<std::uint8_t>(k);
    detail.TableSectors[k] = tableSector;
    detail.Sizes[k] = entryStart + length;
    detail.Starts[k] = tableSector + entryStart;
    detail.Ends[k] = tableSector + entryStart + length - 1;
    return detail;
}

TEST(PartitionVolume, ClassicStartAt63)
{
    const auto detail = OnePartition(0, 63, 15'631'182);
    EXPECT_EQ(PartitionVolumeStart(detail, 1), 63u);
    EXPECT_EQ(PartitionVolumeSectors(detail, 1), 15'631'182u);
}

TEST(PartitionVolume, AlignedStartAt2048)
{
    const auto detail = OnePartition(0, 2048, 1'000'000);
    EXPECT_EQ(PartitionVolumeStart(detail, 1), 2048u);
    EXPECT_EQ(PartitionVolumeSectors(detail, 1), 1'000'000u);
}

TEST(PartitionVolume, EmptyEntryIsAnEmptyVolume)
{
    const d_api::TDiskDetail empty;
    EXPECT_EQ(PartitionVolumeStart(empty, 4), 0u);
    EXPECT_EQ(PartitionVolumeSectors(empty, 4), 0u);
    const auto emptyEntry = OnePartition(0, 0, 0);  // ends at -1
    EXPECT_EQ(PartitionVolumeSectors(emptyEntry, 1), 0u);
}

TEST(PartitionVolume, PartitionBeyondTheLastSectorNumberHasNoVolume)
{
    const auto endsBeyond = OnePartition(0, 0xFFFF'F000, 0x1001);
    EXPECT_FALSE(PartitionVolumeStart(endsBeyond, 1).has_value());
    EXPECT_FALSE(PartitionVolumeSectors(endsBeyond, 1).has_value());
    const auto endsAtTheLast = OnePartition(0, 0xFFFF'F000, 0x1000);
    EXPECT_EQ(PartitionVolumeStart(endsAtTheLast, 1), 0xFFFF'F000u);
    const auto startsBeyond = OnePartition(0xFFFF'FFFF, 63, 100, 2);
    EXPECT_FALSE(PartitionVolumeStart(startsBeyond, 2).has_value());
    // Empty, so it ends one sector before its start, the last sector number:
    // a start cut to 32 bits would be sector 0.
    const auto emptyJustBeyond = OnePartition(0, 0x1'0000'0000, 0);
    EXPECT_FALSE(PartitionVolumeStart(emptyJustBeyond, 1).has_value());
}

// A volume lies after the table that describes it and ends on its drive.
TEST(PartitionPlacement, AfterItsTableAndOnTheDrive)
{
    constexpr std::uint64_t drive = 100000;
    EXPECT_TRUE(PartitionLiesAfterItsTableAndOnTheDrive(OnePartition(0, 63, 99937), 1, drive)) << "to the last sector";
    EXPECT_TRUE(PartitionLiesAfterItsTableAndOnTheDrive(OnePartition(5000, 63, 1000, 2), 2, drive));
    EXPECT_FALSE(PartitionLiesAfterItsTableAndOnTheDrive(OnePartition(0, 63, 99938), 1, drive)) << "one past";
    EXPECT_FALSE(PartitionLiesAfterItsTableAndOnTheDrive(OnePartition(0, 0, 51200), 1, drive)) << "over the MBR";
    EXPECT_FALSE(PartitionLiesAfterItsTableAndOnTheDrive(OnePartition(5000, 0, 1000, 2), 2, drive))
        << "over its extended table";
    EXPECT_FALSE(PartitionLiesAfterItsTableAndOnTheDrive(OnePartition(0, 63, 0), 1, drive)) << "empty";
    EXPECT_FALSE(PartitionLiesAfterItsTableAndOnTheDrive(OnePartition(0, 200000, 10), 1, drive)) << "past the end";
}

// Partition numbers run from 1: entry 0 of the record is never a partition,
// whatever it holds.
TEST(PartitionPlacement, NumberZeroNamesNoPartition)
{
    const auto zeroth = OnePartition(0, 63, 1000, 0);
    EXPECT_FALSE(PartitionLiesAfterItsTableAndOnTheDrive(zeroth, 0, 100000));
    EXPECT_FALSE(PartitionVolumeStart(zeroth, 0).has_value());
    EXPECT_FALSE(PartitionVolumeSectors(zeroth, 0).has_value());
}

}  // namespace
}  // namespace repair
