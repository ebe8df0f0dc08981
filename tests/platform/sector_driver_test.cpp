// The Windows 9x sector driver of a described machine.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "platform/machine_selection.h"
#include "platform/win32.h"
#include "fixtures/test_machine.h"

namespace {

using namespace win32;

constexpr DWORD Sector = 512;
constexpr DWORD ReadSectorsCode = 2;
constexpr DWORD DriveParamsCode = 4;

HANDLE LoadDriver()
{
    return CreateFileA("\\\\.\\INT13EXT.VXD", 0, 0, nullptr, 0, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

std::array<std::uint8_t, 20> Request(std::uint8_t drive, std::uint32_t lba, std::uint8_t count, DWORD buffer)
{
    std::array<std::uint8_t, 20> request{};
    request[0] = drive;
    std::memcpy(&request[4], &lba, 4);
    request[8] = count;
    std::memcpy(&request[12], &buffer, 4);
    return request;
}

BOOL Send(HANDLE driver, DWORD code, std::array<std::uint8_t, 20>& request)
{
    DWORD returned = 0;
    return DeviceIoControl(driver, code, request.data(), 20, nullptr, 0, &returned, nullptr);
}

class SectorDriver : public ::testing::Test {
protected:
    void SetUp() override
    {
        hardDisk = machine.MakeImage("hd.img", 64 * Sector);
        machine.MakeImage("floppy.img", 2880 * Sector);
        fixtures::WriteBytes(hardDisk, 63 * Sector, std::vector<std::uint8_t>(Sector, 0x63));
    }

    fixtures::TestMachine machine;
    std::string hardDisk;
};

TEST_F(SectorDriver, LoadsOnlyOnWindows9xWithTheDriverAndHidesThePhysicalDrives)
{
    machine.Line("platform 9x").Line("drive 128 hd.img").Install();
    EXPECT_EQ(LoadDriver(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateFileA("\\\\.\\PhysicalDrive128", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFileA("\\\\.\\INT13EXT"));
    EXPECT_EQ(platform::CurrentObservations().deletedFiles, std::vector<std::string>{"\\\\.\\INT13EXT"});
}

TEST_F(SectorDriver, ReadsSectorsIntoTheMappedBufferAndRecordsTheRequest)
{
    machine.Line("platform 9x").Line("driver int13ext").Line("drive 128 hd.img").Install();
    HANDLE driver = LoadDriver();
    ASSERT_NE(driver, INVALID_HANDLE_VALUE);

    std::vector<std::uint8_t> buffer(Sector + 16, 0xEE);
    DriverBufferMapping mapping(buffer.data(), Sector);
    ASSERT_NE(mapping.address(), 0u);
    auto request = Request(128, 63, 1, mapping.address());
    EXPECT_TRUE(Send(driver, ReadSectorsCode, request));
    EXPECT_EQ(buffer[0], 0x63);
    EXPECT_EQ(buffer[Sector - 1], 0x63);
    EXPECT_EQ(buffer[Sector], 0xEE);
    EXPECT_EQ(platform::CurrentObservations().driverRequests, std::vector<std::string>{"2 128 63 1"});

    auto tooLong = Request(128, 0, 2, mapping.address());
    EXPECT_FALSE(Send(driver, ReadSectorsCode, tooLong)) << "two sectors do not fit the mapping";
    EXPECT_EQ(buffer[Sector], 0xEE);
    auto unknown = Request(128, 0, 1, 0);
    EXPECT_FALSE(Send(driver, ReadSectorsCode, unknown));
    auto pastEnd = Request(128, 64, 1, mapping.address());
    EXPECT_FALSE(Send(driver, ReadSectorsCode, pastEnd));
    auto absent = Request(129, 0, 1, mapping.address());
    EXPECT_FALSE(Send(driver, ReadSectorsCode, absent));
    EXPECT_TRUE(DeleteFileA("\\\\.\\INT13EXT"));
    CloseHandle(driver);
}

TEST_F(SectorDriver, MappingsGetDistinctAddressesThatEndWithThem)
{
    std::array<std::uint8_t, 16> first{}, second{};
    DWORD firstAddress = 0;
    {
        DriverBufferMapping a(first.data(), 16);
        DriverBufferMapping b(second.data(), 16);
        EXPECT_NE(a.address(), b.address());
        EXPECT_NE(a.address(), 0u);
        firstAddress = a.address();
    }
    machine.Line("platform 9x").Line("driver int13ext").Line("drive 128 hd.img").Install();
    HANDLE driver = LoadDriver();
    auto stale = Request(128, 0, 1, firstAddress);
    EXPECT_FALSE(Send(driver, ReadSectorsCode, stale)) << "an ended mapping is not written";
    CloseHandle(driver);
}

TEST_F(SectorDriver, FillsTheDriveParametersUpToTheAnnouncedSize)
{
    machine.Line("platform 9x")
        .Line("driver int13ext")
        .Line("drive 128 hd.img geometry=1/2/32")
        .Line("drive 0 floppy.img media=2")
        .Install();
    HANDLE driver = LoadDriver();

    std::array<std::uint8_t, 32> record{};
    record.fill(0xCC);
    record[0] = 30;
    record[1] = 0;
    DriverBufferMapping mapping(record.data(), record.size());
    auto hardDiskRequest = Request(128, 0, 0, mapping.address());
    ASSERT_TRUE(Send(driver, DriveParamsCode, hardDiskRequest));
    std::uint16_t flags = 0;
    std::uint32_t heads = 0;
    std::uint64_t total = 0;
    std::memcpy(&flags, &record[2], 2);
    std::memcpy(&heads, &record[8], 4);
    std::memcpy(&total, &record[16], 8);
    EXPECT_EQ(record[0], 30);
    EXPECT_EQ(flags, 0);
    EXPECT_EQ(heads, 2u);
    EXPECT_EQ(total, 64u);
    EXPECT_EQ(record[24], 0x00);
    EXPECT_EQ(record[25], 0x02) << "512 bytes per sector";
    EXPECT_EQ(record[30], 0xCC) << "nothing past the 30 bytes";

    record.fill(0xCC);
    record[0] = 4;
    record[1] = 0;
    auto floppyRequest = Request(0, 0, 0, mapping.address());
    ASSERT_TRUE(Send(driver, DriveParamsCode, floppyRequest));
    EXPECT_EQ(record[2], 4) << "a removable medium";
    EXPECT_EQ(record[4], 0xCC) << "only the 4 announced bytes";
    EXPECT_EQ(platform::CurrentObservations().driverRequests,
              (std::vector<std::string>{"4 128 0 0", "4 0 0 0"}));
    CloseHandle(driver);
}

}  // namespace
