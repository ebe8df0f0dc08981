// The drive-parameter query on both platform roads.

#include <gtest/gtest.h>

#include <cstring>

#include "disk/d_api.h"
#include "platform/machine_selection.h"
#include "fixtures/test_machine.h"

namespace {

using d_api::TDriveParams;

class DriveParams : public ::testing::Test {
protected:
    void SetUp() override { machine.MakeImage("disk.img", 64 * d_api::SectorSize); }

    void Start(d_api::DApiFlavour flavour = d_api::DApiFlavour::VolmenderFat32)
    {
        machine.Install();
        d_api::DApiInit(flavour, nullptr);
    }

    void TearDown() override
    {
        if (d_api::VxdHandle != win32::INVALID_HANDLE_VALUE) win32::CloseHandle(d_api::VxdHandle);
        d_api::VxdHandle = win32::INVALID_HANDLE_VALUE;
    }

    fixtures::TestMachine machine;
};

TEST_F(DriveParams, TheTotalIsTheGeometrysProductIn32Bits)
{
    machine.Line("drive 0 disk.img geometry=60801/255/63").Line("drive 1 disk.img geometry=300000/255/63");
    Start();
    TDriveParams params{};
    ASSERT_TRUE(d_api::GetDriveParams(0, params));
    EXPECT_EQ(params.size, 30);
    EXPECT_EQ(params.cylinders, 60801u);
    EXPECT_EQ(params.heads, 255u);
    EXPECT_EQ(params.sectorsPerTrack, 63u);
    EXPECT_EQ(params.totalSectors, 976'768'065u);
    EXPECT_EQ(params.bytesPerSector, 512);
    // A copy: the record is packed, and its pointer field lies off its alignment.
    EXPECT_EQ(std::uint32_t{params.parameterTable}, 0u);

    ASSERT_TRUE(d_api::GetDriveParams(1, params));
    EXPECT_EQ(params.totalSectors, 524'532'704u) << "4,819,500,000 modulo 2^32, upper half 0";
}

TEST_F(DriveParams, OnlyRemovableMediaTypesSetTheRemovableFlag)
{
    struct Case {
        unsigned media;
        bool removable;
    } cases[] = {{0, false}, {1, true}, {11, true}, {12, false}, {13, true}, {22, true}, {23, false}};
    unsigned drive = 0;
    for (const Case& c : cases)
        machine.Line("drive " + std::to_string(drive++) + " disk.img media=" + std::to_string(c.media));
    Start();
    drive = 0;
    for (const Case& c : cases) {
        TDriveParams params{};
        params.flags = 0xFFFF;
        ASSERT_TRUE(d_api::GetDriveParams(static_cast<std::uint8_t>(drive++), params));
        EXPECT_EQ(params.flags, c.removable ? d_api::RemovableFlag : 0) << "media type " << c.media;
    }
}

TEST_F(DriveParams, ADriveThatDoesNotAnswerLeavesTheRecordAsItWas)
{
    machine.Line("drive 0 disk.img geometry=10/16/63").Line("drive 1 disk.img").Line("fault open 1");
    Start();
    TDriveParams params{};
    ASSERT_TRUE(d_api::GetDriveParams(0, params));
    TDriveParams before = params;
    EXPECT_FALSE(d_api::GetDriveParams(1, params));
    EXPECT_FALSE(d_api::GetDriveParams(200, params));
    EXPECT_EQ(std::memcmp(&before, &params, sizeof params), 0);

    win32::DISK_GEOMETRY geometry{};
    EXPECT_FALSE(d_api::GetDriveGeometryNT(200, geometry));
    ASSERT_TRUE(d_api::GetDriveGeometryNT(0, geometry));
    EXPECT_EQ(geometry.Cylinders, 10);
}

TEST_F(DriveParams, Windows9xAsksTheDriverButNeverForDriveOne)
{
    machine.MakeImage("floppy.img", 2880 * d_api::SectorSize);
    machine.Line("platform 9x").Line("driver int13ext");
    machine.Line("drive 128 disk.img geometry=1/2/32").Line("drive 129 floppy.img media=2").Line("drive 1 floppy.img");
    Start();
    ASSERT_NE(d_api::VxdHandle, win32::INVALID_HANDLE_VALUE);

    TDriveParams params{};
    EXPECT_FALSE(d_api::GetDriveParams(1, params));
    EXPECT_EQ(params.size, 30) << "the size is set before anything else";
    EXPECT_TRUE(platform::CurrentObservations().driverRequests.empty());

    params = TDriveParams{};
    EXPECT_FALSE(d_api::GetDriveParams(0, params)) << "no drive 0 on this machine";
    EXPECT_EQ(params.flags, d_api::RemovableFlag) << "below 128 the flag is set even when the request fails";

    params = TDriveParams{};
    ASSERT_TRUE(d_api::GetDriveParams(128, params));
    EXPECT_EQ(params.flags, 0) << "the driver's flags stand";
    EXPECT_EQ(params.totalSectors, 64u);
    EXPECT_EQ(params.heads, 2u);
    ASSERT_TRUE(d_api::GetDriveParams(129, params));
    EXPECT_EQ(params.flags, d_api::RemovableFlag);
    EXPECT_EQ(platform::CurrentObservations().driverRequests,
              (std::vector<std::string>{"4 0 0 0", "4 128 0 0", "4 129 0 0"}));
}

TEST_F(DriveParams, Windows9xWithoutTheDriverHasNoDrives)
{
    machine.Line("platform 9x").Line("drive 128 disk.img");
    Start(d_api::DApiFlavour::Volmender);
    ASSERT_EQ(d_api::VxdHandle, win32::INVALID_HANDLE_VALUE);
    for (int drive = 0; drive < 256; ++drive) {
        TDriveParams params{};
        EXPECT_FALSE(d_api::GetDriveParams(static_cast<std::uint8_t>(drive), params)) << drive;
    }
}

TEST_F(DriveParams, TheDriversSectorReadCarriesDriveSectorAndCount)
{
    fixtures::MessageBoxRecorder boxes;
    std::string image = machine.Folder() + "/disk.img";
    fixtures::WriteBytes(image, 63 * d_api::SectorSize, std::vector<std::uint8_t>(d_api::SectorSize, 0x3F));
    machine.Line("platform 9x").Line("driver int13ext").Line("drive 128 disk.img").Line("fault read 128 5 23");
    Start();

    std::vector<std::uint8_t> sector(d_api::SectorSize, 0x11);
    ASSERT_TRUE(d_api::ReadSectorsEx(128, 63, 1, sector.data()));
    EXPECT_EQ(sector, std::vector<std::uint8_t>(d_api::SectorSize, 0x3F));
    EXPECT_EQ(platform::CurrentObservations().driverRequests, std::vector<std::string>{"2 128 63 1"});

    std::vector<std::uint8_t> untouched(d_api::SectorSize, 0x11);
    EXPECT_FALSE(d_api::ReadSectorsEx(128, 5, 1, untouched.data()));
    EXPECT_FALSE(d_api::ReadSectorsEx(130, 0, 1, untouched.data()));
    EXPECT_EQ(untouched, std::vector<std::uint8_t>(d_api::SectorSize, 0x11));
    EXPECT_FALSE(d_api::ReadSectors(128, 63, 1, untouched.data())) << "no physical-drive devices on Windows 9x";
    EXPECT_TRUE(boxes.Boxes().empty()) << "the driver's reads show nothing";
}

}  // namespace

// The exact length that a removable volume is sized by: the device's own,
// also where the geometry's whole cylinders fall short of it.
TEST_F(DriveParams, TheSectorCountIsTheDevicesExactLengthNotTheGeometrysProduct)
{
    machine.MakeImage("odd.img", 64 * d_api::SectorSize + 100);
    machine.Line("drive 0 disk.img geometry=1/2/30").Line("drive 1 odd.img geometry=1/2/30");
    Start();
    std::uint64_t sectors = 7;
    ASSERT_TRUE(d_api::GetDriveSectorCount(0, sectors));
    EXPECT_EQ(sectors, 64u) << "the geometry's product is 60";
    ASSERT_TRUE(d_api::GetDriveSectorCount(1, sectors));
    EXPECT_EQ(sectors, 64u) << "a part sector is no sector";

    sectors = 7;
    EXPECT_FALSE(d_api::GetDriveSectorCount(2, sectors));
    EXPECT_EQ(sectors, 7u);
}

TEST_F(DriveParams, Windows9xTakesTheSectorCountFromTheDriversParameters)
{
    machine.Line("platform 9x").Line("driver int13ext").Line("drive 128 disk.img geometry=1/2/30");
    Start();
    std::uint64_t sectors = 7;
    ASSERT_TRUE(d_api::GetDriveSectorCount(128, sectors));
    EXPECT_EQ(sectors, 64u);
    sectors = 7;
    EXPECT_FALSE(d_api::GetDriveSectorCount(1, sectors));
    EXPECT_EQ(sectors, 7u);
}
