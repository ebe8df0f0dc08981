// The entries of the partition menu: their captions, their order, and the
// damage mark from the size query of the letter matched with each item, on
// disks partitioned by sfdisk with logical drives in the DOS way.

#include "fixtures/partitioning.h"
#include "repair/partition_menu_entries.h"
#include "roads_fixture.h"

namespace repair {
namespace {

using testing::RoadsTest;

TEST(PartitionMenuCaption, SizeChangesUnitAtThousandMegabytes)
{
    EXPECT_EQ(PartitionMenuCaption(1, "FAT32", 15'631'245, false), "<1分区> FAT32 (7.45 GB)");
    EXPECT_EQ(PartitionMenuCaption(1, "FAT32", 2'048'000, false), "<1分区> FAT32 (0.98 GB)");
    EXPECT_EQ(PartitionMenuCaption(1, "FAT32", 2'047'999, false), "<1分区> FAT32 (1000.00 MB)");
    EXPECT_EQ(PartitionMenuCaption(1, "FAT32", 1'024'000, false), "<1分区> FAT32 (500.00 MB)");
    EXPECT_EQ(PartitionMenuCaption(7, "FAT16", 0, false), "<7分区> FAT16 (0.00 MB)");
}

TEST(PartitionMenuCaption, EmptyTypeAndDamageMark)
{
    EXPECT_EQ(PartitionMenuCaption(3, "", 1'024'000, false), "<3分区>  (500.00 MB)");
    EXPECT_EQ(PartitionMenuCaption(2, "NTFS", 1'024'000, true), "<2分区> NTFS (500.00 MB) 分区可能损坏");
}

class PartitionMenuEntries : public RoadsTest {
protected:
    // Partition 1 is primary; 2 and onwards are logical drives, each after
    // its own table, so that the walk meets them one after the other.
    void MakeDisk(const std::vector<fixtures::LogicalEntry>& logicals, std::map<char, std::uint64_t> letters)
    {
        std::uint64_t extended = 0;
        for (const auto& logical : logicals) extended += 63 + logical.sectors;
        image = dir.File("disk.img");
        fixtures::CreatePartitionedDisk(
            image, {.diskSectors = 1'024'000 + extended + 2048,
                    .primaries = {{63, 1'023'937, fixtures::kTypeFat32Lba}, {1'024'000, extended, fixtures::kTypeExtended}},
                    .logicals = logicals});
        MakeMachine({.letters = std::move(letters)});
    }
};

TEST_F(PartitionMenuEntries, LastPartitionFirstWithTypesSizesAndMarks)
{
    // C: and D: answer the size query, E: does not.
    MakeDisk({{2'047'999, fixtures::kTypeNtfs}, {2'048'000, fixtures::kTypeLinux}},
             {{'C', 1u << 30}, {'D', 1u << 30}});
    const std::vector<PartitionMenuEntry> entries = BuildPartitionMenuEntries(0);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].number, 3);
    EXPECT_EQ(entries[1].number, 2);
    EXPECT_EQ(entries[2].number, 1);
    EXPECT_EQ(entries[0].caption, "<3分区> Ext2/3 (0.98 GB) 分区可能损坏");
    EXPECT_EQ(entries[1].caption, "<2分区> NTFS (1000.00 MB)");
    EXPECT_EQ(entries[2].caption, "<1分区> FAT32 (499.97 MB)");  // its own length, not from its table
}

TEST_F(PartitionMenuEntries, ItemsPastTheAlphabetAlwaysCarryTheMark)
{
    std::map<char, std::uint64_t> everyLetter;
    for (char letter = 'A'; letter <= 'Z'; ++letter) everyLetter[letter] = 1u << 20;
    MakeDisk(std::vector<fixtures::LogicalEntry>(25, {100, fixtures::kTypeFat16}), everyLetter);

    const std::vector<PartitionMenuEntry> entries = BuildPartitionMenuEntries(0);
    ASSERT_EQ(entries.size(), 26u);
    for (const PartitionMenuEntry& entry : entries) {
        const bool marked = entry.caption.ends_with(" 分区可能损坏");
        EXPECT_EQ(marked, entry.number >= 25) << entry.caption;
    }
}

TEST_F(PartitionMenuEntries, DriveWithoutPartitionsGivesNoEntries)
{
    MakeMachine({});
    EXPECT_TRUE(BuildPartitionMenuEntries(5).empty());  // no such drive: nothing can be walked
}

TEST_F(PartitionMenuEntries, OnlyLettersThatAnswerHaveAKnownSize)
{
    MakeMachine({.letters = {{'C', 1u << 30}}});
    EXPECT_TRUE(DriveSizeKnown(3));
    EXPECT_FALSE(DriveSizeKnown(4));
    EXPECT_FALSE(DriveSizeKnown(0));
    EXPECT_FALSE(DriveSizeKnown(27));
    EXPECT_FALSE(DriveSizeKnown(28));
}

}  // namespace
}  // namespace repair
