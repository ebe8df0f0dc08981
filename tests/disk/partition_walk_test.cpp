// The walk over a drive's partition tables.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>

#include "disk/d_api.h"
#include "disk/partition_table_layout.h"
#include "platform/little_endian.h"
#include "test_machine.h"

namespace {

namespace partition_table = d_api::partition_table;
using d_api::SectorSize;
using d_api::TDiskDetail;

struct Entry {
    std::uint8_t type = 0;
    std::uint32_t start = 0;
    std::uint32_t length = 0;
};

void WriteTable(const std::string& image, std::uint64_t sector, const std::array<Entry, 4>& entries,
                bool signature = true)
{
    std::vector<std::uint8_t> table(SectorSize);
    for (int i = 0; i < partition_table::Entries; ++i) {
        const std::size_t at = partition_table::EntryAt(i);
        table[at + partition_table::TypeAt] = entries[i].type;
        platform::PutLe32(table, at + partition_table::FirstSectorAt, entries[i].start);
        platform::PutLe32(table, at + partition_table::SectorCountAt, entries[i].length);
    }
    if (signature) platform::PutLe16(table, partition_table::SignatureAt, partition_table::Signature);
    test_machine::WriteBytes(image, sector * SectorSize, table);
}

class PartitionWalk : public ::testing::Test {
protected:
    void SetUp() override { image = machine.MakeImage("disk.img", 40'000'000ull * SectorSize); }

    TDiskDetail Walk(std::uint8_t drive = 0)
    {
        machine.Install();
        d_api::DApiInit(d_api::DApiFlavour::Volmender, nullptr);
        TDiskDetail detail;
        d_api::ReadPartitionList(drive, detail);
        return detail;
    }

    test_machine::TestMachine machine;
    test_machine::MessageBoxRecorder boxes;
    std::string image;
};

TEST_F(PartitionWalk, OnePartitionInTheMasterBootRecord)
{
    WriteTable(image, 0, {Entry{0x0C, 63, 1'000'000}});
    machine.Line("drive 0 disk.img");
    TDiskDetail detail = Walk();
    EXPECT_EQ(detail.Count, 1);
    EXPECT_EQ(detail.Names[1], "FAT32");
    EXPECT_EQ(detail.TableSectors[1], 0);
    EXPECT_EQ(detail.Sizes[1], 1'000'063);
    EXPECT_EQ(detail.Starts[1], 63);
    EXPECT_EQ(detail.Ends[1], 1'000'062);
}

TEST_F(PartitionWalk, TheNextTableFollowsTheEndOfTheFirstEntrysPartition)
{
    WriteTable(image, 0, {Entry{0x07, 63, 20'000'000}, Entry{0x0F, 20'000'063, 10'000'063}});
    WriteTable(image, 20'000'063, {Entry{0x0B, 63, 10'000'000}});
    machine.Line("drive 0 disk.img");
    TDiskDetail detail = Walk();
    EXPECT_EQ(detail.Count, 2);
    EXPECT_EQ(detail.Names[1], "NTFS");
    EXPECT_EQ(detail.Names[2], "FAT32");
    EXPECT_EQ(detail.TableSectors[2], 20'000'063);
    EXPECT_EQ(detail.Sizes[2], 10'000'063);
    EXPECT_EQ(detail.Starts[2], 20'000'126);
    EXPECT_EQ(detail.Ends[2], 30'000'125);
}

TEST_F(PartitionWalk, ATableWithoutTheSignatureEndsTheWalkAndStillCounts)
{
    WriteTable(image, 0, {Entry{0x06, 63, 1000}, Entry{0x05, 1063, 5000}});
    WriteTable(image, 1063, {Entry{0x0E, 63, 2000}, Entry{0x05, 2063, 1000}}, false);
    machine.Line("drive 0 disk.img");
    TDiskDetail detail = Walk();
    EXPECT_EQ(detail.Count, 2);
    EXPECT_EQ(detail.Names[2], "FAT16");
    EXPECT_EQ(detail.TableSectors[2], 1063);
}

TEST_F(PartitionWalk, TypeCodesOutsideTheTableLeaveTheNameAsHandedIn)
{
    struct Case {
        std::uint8_t type;
        const char* name;
    } cases[] = {{0x01, "FAT12"}, {0x04, "FAT16"}, {0x87, "NTFS"}, {0x42, "动态磁盘"}, {0x83, "Ext2/3"},
                 {0x05, ""},      {0x0F, ""},      {0x00, ""}};
    machine.Line("drive 0 disk.img");
    for (const Case& c : cases) {
        WriteTable(image, 0, {Entry{c.type, 63, 100}});
        TDiskDetail detail = Walk();
        EXPECT_EQ(detail.Count, 1);
        EXPECT_EQ(detail.Names[1], c.name) << int(c.type);
    }
    WriteTable(image, 0, {Entry{0x0F, 63, 100}});
    machine.Install();
    TDiskDetail handedIn;
    handedIn.Names[1] = "kept";
    d_api::ReadPartitionList(0, handedIn);
    EXPECT_EQ(handedIn.Names[1], "kept");
}

TEST_F(PartitionWalk, AnEmptyFirstEntryRepeatsTheSameTableAndCountsNothing)
{
    WriteTable(image, 0, {Entry{}, Entry{0x0C, 63, 1000}});
    machine.Line("drive 0 disk.img");
    TDiskDetail detail = Walk();
    EXPECT_EQ(detail.Count, 0);
    for (int pass = 1; pass <= TDiskDetail::MaxPartitions; ++pass) {
        EXPECT_EQ(detail.TableSectors[pass], 0);
        EXPECT_EQ(detail.Sizes[pass], 0);
        EXPECT_EQ(detail.Ends[pass], -1);
        EXPECT_EQ(detail.Names[pass], "");
    }
}

TEST_F(PartitionWalk, AChainLongerThan26TablesLeavesTheCountAsHandedIn)
{
    for (std::uint64_t table = 0; table < 30; ++table)
        WriteTable(image, table * 1063, {Entry{0x0B, 63, 1000}, Entry{0x05, 1063, 1063}});
    machine.Line("drive 0 disk.img");
    TDiskDetail detail = Walk();
    EXPECT_EQ(detail.Count, 0);
    EXPECT_EQ(detail.TableSectors[26], 25 * 1063);
    EXPECT_EQ(detail.Names[26], "FAT32");
}

TEST_F(PartitionWalk, AFailedReadEndsTheWalkWithTheTablesReadSoFar)
{
    WriteTable(image, 0, {Entry{0x07, 63, 1000}, Entry{0x05, 1063, 5000}});
    WriteTable(image, 1063, {Entry{0x0B, 63, 2000}, Entry{0x05, 2063, 1000}});
    machine.Line("drive 0 disk.img").Line("fault read 0 3126 23");
    TDiskDetail detail = Walk();
    EXPECT_EQ(detail.Count, 2);
    EXPECT_EQ(detail.Names[2], "FAT32");
    EXPECT_EQ(detail.TableSectors[3], 0) << "nothing recorded from the table that could not be read";
    EXPECT_EQ(detail.Sizes[3], 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "错误：23\r\n磁盘:0 LBA:3126 块:1");
}

TEST_F(PartitionWalk, AFailedFirstReadCountsNothing)
{
    WriteTable(image, 0, {Entry{0x0C, 63, 1000}});
    machine.Line("drive 0 disk.img").Line("drive 1 disk.img").Line("fault read 1 0 21");
    TDiskDetail good = Walk(0);
    ASSERT_EQ(good.Count, 1);

    TDiskDetail failed;
    d_api::ReadPartitionList(1, failed);
    EXPECT_EQ(failed.Count, 0);
    EXPECT_EQ(failed.Names[1], "") << "the earlier walk's table is not taken again";
    d_api::ReadPartitionList(7, failed);
    EXPECT_EQ(failed.Count, 0) << "no drive 7";
}

TEST_F(PartitionWalk, ATableBeyondTheLastAddressableSectorIsNotRead)
{
    std::string huge = machine.MakeImage("huge.img", 4096);
    WriteTable(huge, 0, {Entry{0x07, 0xFFFFFFFF, 0xFFFFFFFF}, Entry{0x05, 1, 1}});
    machine.Line("drive 0 huge.img");
    TDiskDetail detail = Walk();
    EXPECT_EQ(detail.Count, 1);
    EXPECT_EQ(detail.Sizes[1], 0x1FFFFFFFEll);
    EXPECT_EQ(detail.TableSectors[2], 0);
}

TEST_F(PartitionWalk, Windows9xReadsTheTablesThroughTheDriver)
{
    WriteTable(image, 0, {Entry{0x0C, 63, 1000}});
    machine.Line("platform 9x").Line("driver int13ext").Line("drive 128 disk.img");
    machine.Install();
    ASSERT_TRUE(d_api::DApiInit(d_api::DApiFlavour::VolmenderFat32, nullptr));
    TDiskDetail detail;
    d_api::ReadPartitionList(128, detail);
    EXPECT_EQ(detail.Count, 1);
    EXPECT_EQ(detail.Names[1], "FAT32");
    win32::CloseHandle(d_api::VxdHandle);
    d_api::VxdHandle = win32::INVALID_HANDLE_VALUE;
    d_api::IsNT = true;
}

// Tables written by sfdisk: a primary FAT32 partition followed by an extended
// partition whose first logical drive lies 63 sectors after its table.
TEST(PartitionWalkOnRealTables, FollowsSfdisksMasterBootRecordIntoTheExtendedPartition)
{
    test_machine::TestMachine machine;
    std::string image = machine.MakeImage("sfdisk.img", 64ull << 20);
    std::string script = machine.Folder() + "/layout.sfdisk";
    {
        std::FILE* file = std::fopen(script.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs("label: dos\n"
                   "start=63, size=40000, type=c\n"
                   "start=40063, size=60000, type=5\n"
                   "start=40126, size=20000, type=b\n",
                   file);
        std::fclose(file);
    }
    std::string command = "sfdisk --no-reread --no-tell-kernel --quiet '" + image + "' < '" + script + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);

    machine.Line("drive 0 sfdisk.img").Install();
    d_api::DApiInit(d_api::DApiFlavour::Volmender, nullptr);
    TDiskDetail detail;
    d_api::ReadPartitionList(0, detail);
    EXPECT_EQ(detail.Count, 2);
    EXPECT_EQ(detail.Names[1], "FAT32");
    EXPECT_EQ(detail.TableSectors[1], 0);
    EXPECT_EQ(detail.Sizes[1], 40'063);
    EXPECT_EQ(detail.Names[2], "FAT32");
    EXPECT_EQ(detail.TableSectors[2], 40'063);
    EXPECT_EQ(detail.Starts[2], 40'126);
    EXPECT_EQ(detail.Ends[2], 60'125);
}

}  // namespace
