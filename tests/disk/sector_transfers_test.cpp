// One-sector and one-block transfers on the physical-drive devices.

#include <gtest/gtest.h>

#include <vector>

#include "disk/d_api.h"
#include "disk/read_failures.h"
#include "fixtures/test_machine.h"

namespace {

using d_api::BlockSize;
using d_api::SectorSize;
using fixtures::ReadBytes;
using fixtures::WriteBytes;

std::vector<std::uint8_t> Filled(std::size_t size, std::uint8_t value) { return std::vector<std::uint8_t>(size, value); }

class SectorTransfers : public ::testing::Test {
protected:
    void SetUp() override { image = machine.MakeImage("disk.img", 2048 * SectorSize); }

    void Start(d_api::DApiFlavour flavour = d_api::DApiFlavour::Volmender)
    {
        machine.Install();
        ASSERT_TRUE(d_api::DApiInit(flavour, nullptr));
    }

    fixtures::TestMachine machine;
    fixtures::MessageBoxRecorder boxes;
    std::string image;
};

TEST(SectorAddressing, OffsetsAreSplitIntoTheHalvesThePlatformTakes)
{
    EXPECT_EQ(d_api::SectorOffset(0).low, 0);
    EXPECT_EQ(d_api::SectorOffset(0).high, 0);
    EXPECT_EQ(d_api::SectorOffset(8'388'608).low, 0);
    EXPECT_EQ(d_api::SectorOffset(8'388'608).high, 1);
    EXPECT_EQ(static_cast<std::uint32_t>(d_api::SectorOffset(4'294'967'295u).low), 0xFFFFFE00u);
    EXPECT_EQ(d_api::SectorOffset(4'294'967'295u).high, 511);
}

TEST(SectorAddressing, DeviceNamesCarryTheDriveNumberWithoutLeadingZeros)
{
    EXPECT_EQ(d_api::DeviceName(0), "\\\\.\\PhysicalDrive0");
    EXPECT_EQ(d_api::DeviceName(17), "\\\\.\\PhysicalDrive17");
    EXPECT_EQ(d_api::DeviceName(255), "\\\\.\\PhysicalDrive255");
}

TEST_F(SectorTransfers, ReadsReachSectorsBeyondFourGibibytesAndTheLastAddressableOne)
{
    std::string huge = machine.MakeImage("huge.img", (1ull << 32) * SectorSize);
    WriteBytes(huge, 8'388'608ull * SectorSize, Filled(SectorSize, 0x44));
    WriteBytes(huge, 4'294'967'295ull * SectorSize, Filled(SectorSize, 0xFF));
    machine.Line("drive 255 huge.img");
    Start();

    std::vector<std::uint8_t> sector(SectorSize);
    EXPECT_TRUE(d_api::ReadSectors(255, 8'388'608, 1, sector.data()));
    EXPECT_EQ(sector, Filled(SectorSize, 0x44));
    EXPECT_TRUE(d_api::ReadSectors(255, 4'294'967'295u, 1, sector.data()));
    EXPECT_EQ(sector, Filled(SectorSize, 0xFF));
    EXPECT_TRUE(d_api::WriteSectors(255, 4'294'967'295u, 1, Filled(SectorSize, 0x0F).data()));
    EXPECT_EQ(ReadBytes(huge, 4'294'967'295ull * SectorSize, SectorSize), Filled(SectorSize, 0x0F));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SectorTransfers, ASectorAndABlockArriveWhole)
{
    WriteBytes(image, 63 * SectorSize, Filled(SectorSize, 0x63));
    WriteBytes(image, 1000 * SectorSize, Filled(BlockSize, 0xB1));
    machine.Line("drive 0 disk.img");
    Start();

    std::vector<std::uint8_t> sector(SectorSize);
    EXPECT_TRUE(d_api::ReadSectors(0, 63, 1, sector.data()));
    EXPECT_EQ(sector, Filled(SectorSize, 0x63));
    EXPECT_TRUE(d_api::ReadSectorsEx(0, 63, 1, sector.data()));

    std::vector<std::uint8_t> block(BlockSize);
    EXPECT_TRUE(d_api::ReadBlock(0, 1000, 1, block.data()));
    EXPECT_EQ(block, Filled(BlockSize, 0xB1));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SectorTransfers, AMissingDriveGivesFalseWithoutABoxAndWritesNothing)
{
    machine.Line("drive 0 disk.img").Line("fault open 0");
    Start();
    std::vector<std::uint8_t> sector = Filled(SectorSize, 0x11);
    std::vector<std::uint8_t> block = Filled(BlockSize, 0x22);
    for (std::uint8_t drive : {0, 1}) {
        EXPECT_FALSE(d_api::ReadSectors(drive, 0, 1, sector.data()));
        EXPECT_FALSE(d_api::ReadSectorsEx(drive, 0, 1, sector.data()));
        EXPECT_FALSE(d_api::ReadBlock(drive, 0, 1, block.data()));
        EXPECT_FALSE(d_api::WriteSectors(drive, 0, 1, sector.data()));
    }
    EXPECT_EQ(sector, Filled(SectorSize, 0x11));
    EXPECT_EQ(block, Filled(BlockSize, 0x22));
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(ReadBytes(image, 0, SectorSize), Filled(SectorSize, 0));
}

TEST_F(SectorTransfers, AFailedTransferShowsTheErrorCodeDriveSectorAndCount)
{
    machine.Line("drive 1 disk.img").Line("fault read 1 63 23").Line("fault read 1 3000000000 21");
    Start();
    std::vector<std::uint8_t> sector = Filled(SectorSize, 0x11);
    std::vector<std::uint8_t> block = Filled(BlockSize, 0x22);

    EXPECT_FALSE(d_api::ReadSectors(1, 63, 1, sector.data()));
    EXPECT_FALSE(d_api::ReadSectorsEx(1, 63, 1, sector.data()));
    EXPECT_FALSE(d_api::ReadBlock(1, 0, 1, block.data())) << "the block covers sector 63";
    EXPECT_FALSE(d_api::ReadSectors(1, 3'000'000'000u, 1, sector.data()));
    EXPECT_EQ(sector, Filled(SectorSize, 0x11));
    EXPECT_EQ(block, Filled(BlockSize, 0x22));

    ASSERT_EQ(boxes.Boxes().size(), 4u);
    EXPECT_EQ(boxes.Boxes()[0].text, "错误：23\r\n磁盘:1 LBA:63 块:1");
    EXPECT_EQ(boxes.Boxes()[1].text, "错误：23\r\n磁盘:1 LBA:63 块:1");
    EXPECT_EQ(boxes.Boxes()[2].text, "错误:23\r\n磁盘:1 LBA地址:0 块:1");
    EXPECT_EQ(boxes.Boxes()[3].text, "错误：21\r\n磁盘:1 LBA:3000000000 块:1");
    for (const auto& box : boxes.Boxes()) {
        EXPECT_EQ(box.caption, "读盘错误");
        EXPECT_EQ(box.type, win32::MB_OK);
        EXPECT_FALSE(box.owned);
    }
}

TEST_F(SectorTransfers, TheFat32OnlyProgramLabelsTheSectorOfBothReadsTheSameWay)
{
    machine.Line("drive 1 disk.img").Line("fault read 1 63 23");
    Start(d_api::DApiFlavour::VolmenderFat32);
    std::vector<std::uint8_t> sector(SectorSize);
    std::vector<std::uint8_t> block(BlockSize);
    EXPECT_FALSE(d_api::ReadSectors(1, 63, 1, sector.data()));
    EXPECT_FALSE(d_api::ReadBlock(1, 63, 1, block.data()));
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, "错误：23\r\n磁盘:1 LBA地址:63 块:1");
    EXPECT_EQ(boxes.Boxes()[1].text, "错误:23\r\n磁盘:1 LBA地址:63 块:1");
}

TEST_F(SectorTransfers, AShortReadGivesFalseWithoutABoxAndNoStaleBytes)
{
    WriteBytes(image, 0, Filled(2048 * SectorSize, 0x77));
    machine.Line("drive 0 disk.img").Line("fault short 0 10");
    Start();

    std::vector<std::uint8_t> block = Filled(BlockSize, 0x22);
    EXPECT_FALSE(d_api::ReadBlock(0, 5, 1, block.data()));
    std::vector<std::uint8_t> expected = Filled(BlockSize, 0);
    std::fill(expected.begin(), expected.begin() + 5 * SectorSize, 0x77);
    EXPECT_EQ(block, expected) << "the five sectors read, then zeros";

    std::vector<std::uint8_t> sector = Filled(SectorSize, 0x11);
    EXPECT_FALSE(d_api::ReadSectors(0, 10, 1, sector.data()));
    EXPECT_EQ(sector, Filled(SectorSize, 0));

    std::vector<std::uint8_t> pastEnd = Filled(SectorSize, 0x11);
    EXPECT_FALSE(d_api::ReadSectors(0, 2048, 1, pastEnd.data())) << "the image ends before this sector";
    EXPECT_EQ(pastEnd, Filled(SectorSize, 0));
    EXPECT_TRUE(boxes.Boxes().empty());
}

// What a repair hears instead of the boxes: each failed transfer with its
// sectors and box text, and each drive that could not be opened.
class HeardFailures : public d_api::ReadFailureListener {
public:
    void TransferFailed(const d_api::ReadFailure& f) override
    {
        heard.push_back(std::to_string(f.firstSector) + "+" + std::to_string(f.sectors) + " " + f.boxText);
    }
    void DriveUnreachable(std::uint8_t drive) override { heard.push_back("gone " + std::to_string(drive)); }
    std::vector<std::string> heard;
};

TEST_F(SectorTransfers, WhileAListenerListensFailedReadsGoToItInsteadOfTheBox)
{
    machine.Line("drive 1 disk.img").Line("fault read 1 63 23").Line("drive 2 disk.img").Line("fault open 2");
    Start();
    std::vector<std::uint8_t> block(BlockSize);
    HeardFailures listener;
    {
        d_api::ReadFailureListening listening(listener);
        EXPECT_FALSE(d_api::ReadSectors(1, 63, 1, block.data()));
        EXPECT_FALSE(d_api::ReadBlock(1, 40, 1, block.data()));
        EXPECT_FALSE(d_api::ReadSectors(2, 0, 1, block.data()));
        EXPECT_FALSE(d_api::ReadSectors(1, 2048, 1, block.data())) << "short, past the image's end: not heard";
    }
    EXPECT_EQ(listener.heard, (std::vector<std::string>{"63+1 错误：23\r\n磁盘:1 LBA:63 块:1",
                                                        "40+800 错误:23\r\n磁盘:1 LBA地址:40 块:1", "gone 2"}));
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(d_api::ReadSectors(1, 63, 1, block.data()));
    EXPECT_EQ(boxes.Boxes().size(), 1u) << "the box again once nobody listens";
}

TEST_F(SectorTransfers, WritesReportWhetherTheWholeSectorLanded)
{
    std::string other = machine.MakeImage("other.img", 64 * SectorSize);
    std::string third = machine.MakeImage("third.img", 64 * SectorSize);
    machine.Line("drive 0 disk.img").Line("drive 1 other.img").Line("fault write 1 29");
    machine.Line("drive 2 third.img").Line("fault seek 2 27");
    Start();
    std::vector<std::uint8_t> source = Filled(SectorSize, 0xAB);

    EXPECT_TRUE(d_api::WriteSectors(0, 2047, 1, source.data()));
    EXPECT_EQ(ReadBytes(image, 2047 * SectorSize, SectorSize), source);
    EXPECT_FALSE(d_api::WriteSectors(0, 2048, 1, source.data())) << "past the end";
    EXPECT_EQ(ReadBytes(image, 0, 4096 * SectorSize).size(), 2048 * SectorSize);

    EXPECT_FALSE(d_api::WriteSectors(1, 5, 1, source.data()));
    EXPECT_EQ(ReadBytes(other, 0, 64 * SectorSize), Filled(64 * SectorSize, 0));
    EXPECT_FALSE(d_api::WriteSectors(2, 5, 1, source.data())) << "positioning failed";
    EXPECT_EQ(ReadBytes(third, 0, 64 * SectorSize), Filled(64 * SectorSize, 0));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SectorTransfers, CountsOtherThanOneAreRefusedBeforeAnyBufferIsTouched)
{
    WriteBytes(image, 0, Filled(4 * SectorSize, 0x33));
    machine.Line("drive 0 disk.img");
    Start();
    std::vector<std::uint8_t> sector = Filled(SectorSize, 0x11);
    std::vector<std::uint8_t> block = Filled(BlockSize, 0x22);
    for (std::uint16_t count : {0, 2}) {
        EXPECT_FALSE(d_api::ReadSectors(0, 0, count, sector.data()));
        EXPECT_FALSE(d_api::ReadSectorsEx(0, 0, static_cast<std::uint8_t>(count), sector.data()));
        EXPECT_FALSE(d_api::ReadBlock(0, 0, count, block.data()));
        EXPECT_FALSE(d_api::WriteSectors(0, 8, static_cast<std::uint8_t>(count), sector.data()));
    }
    EXPECT_EQ(sector, Filled(SectorSize, 0x11));
    EXPECT_EQ(block, Filled(BlockSize, 0x22));
    EXPECT_EQ(ReadBytes(image, 8 * SectorSize, SectorSize), Filled(SectorSize, 0));
}

}  // namespace
