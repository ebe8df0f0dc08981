// The physical drives of a described machine, reached through the Win32 calls.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "platform/win32.h"
#include "fixtures/test_machine.h"

namespace {

using namespace win32;
using fixtures::ReadBytes;
using fixtures::WriteBytes;

constexpr DWORD Sector = 512;

class DescribedDrive : public ::testing::Test {
protected:
    void SetUp() override { image = machine.MakeImage("disk.img", 16 * Sector); }

    HANDLE Open(DWORD access, const char* name = "\\\\.\\PhysicalDrive0")
    {
        return CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }

    bool Seek(HANDLE handle, std::uint64_t offset)
    {
        LONG high = static_cast<LONG>(offset >> 32);
        return SetFilePointer(handle, static_cast<LONG>(offset), &high, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
    }

    fixtures::TestMachine machine;
    std::string image;
};

TEST_F(DescribedDrive, ReadsTheImageAtThePositionAndStopsShortAtItsEnd)
{
    WriteBytes(image, 15 * Sector, std::vector<std::uint8_t>(Sector, 0xA5));
    machine.Line("drive 0 disk.img").Install();
    HANDLE drive = Open(GENERIC_READ);
    ASSERT_NE(drive, INVALID_HANDLE_VALUE);

    std::vector<std::uint8_t> buffer(2 * Sector, 0xEE);
    DWORD read = 0;
    ASSERT_TRUE(Seek(drive, 15 * Sector));
    EXPECT_TRUE(ReadFile(drive, buffer.data(), 2 * Sector, &read, nullptr));
    EXPECT_EQ(read, Sector);
    EXPECT_EQ(buffer[0], 0xA5);
    EXPECT_EQ(buffer[Sector - 1], 0xA5);
    EXPECT_EQ(buffer[Sector], 0xEE) << "nothing is delivered past the image end";

    EXPECT_TRUE(ReadFile(drive, buffer.data(), Sector, &read, nullptr));
    EXPECT_EQ(read, 0u);
    EXPECT_TRUE(CloseHandle(drive));
    EXPECT_FALSE(CloseHandle(drive));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// Every handle on a drive shares the one open image, as handles on one disk
// share the disk: what one writes, any other reads, open before or after.
TEST_F(DescribedDrive, HandlesOfOneDriveSeeEachOthersWrites)
{
    machine.Line("drive 0 disk.img").Install();
    HANDLE reader = Open(GENERIC_READ);
    HANDLE writer = Open(GENERIC_WRITE);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    std::vector<std::uint8_t> written(Sector, 0x3C), read(Sector);
    DWORD count = 0;

    ASSERT_TRUE(Seek(writer, 6 * Sector));
    ASSERT_TRUE(WriteFile(writer, written.data(), Sector, &count, nullptr));
    ASSERT_TRUE(Seek(reader, 6 * Sector));
    ASSERT_TRUE(ReadFile(reader, read.data(), Sector, &count, nullptr));
    EXPECT_EQ(read, written);
    EXPECT_TRUE(CloseHandle(writer));

    HANDLE later = Open(GENERIC_READ);
    ASSERT_TRUE(Seek(later, 6 * Sector));
    ASSERT_TRUE(ReadFile(later, read.data(), Sector, &count, nullptr));
    EXPECT_EQ(read, written);
    CloseHandle(later);
    CloseHandle(reader);

    EXPECT_FALSE(ReadFile(writer, read.data(), Sector, &count, nullptr)) << "a closed handle";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// The image is opened once for the run; a drive whose image has since gone,
// been put in its place by another file or cut short must not open on what
// was kept of the old one.
TEST_F(DescribedDrive, ADriveWhoseImageIsGoneOrChangedNoLongerOpens)
{
    struct Change {
        const char* what;
        std::function<void(const std::string&)> apply;
    };
    const std::vector<Change> changes{
        {"deleted", [](const std::string& path) { std::filesystem::remove(path); }},
        {"replaced",
         [this](const std::string& path) { std::filesystem::rename(machine.MakeImage("new.img", 16 * Sector), path); }},
        {"truncated", [](const std::string& path) { std::filesystem::resize_file(path, 15 * Sector); }},
        {"grown", [](const std::string& path) { std::filesystem::resize_file(path, 17 * Sector); }},
    };
    for (std::size_t drive = 0; drive < changes.size(); ++drive) {
        machine.MakeImage(changes[drive].what, 16 * Sector);
        machine.Line("drive " + std::to_string(drive) + " " + changes[drive].what);
    }
    machine.Install();
    auto name = [](std::size_t drive) { return "\\\\.\\PhysicalDrive" + std::to_string(drive); };
    for (std::size_t drive = 0; drive < changes.size(); ++drive) {
        HANDLE first = Open(GENERIC_READ, name(drive).c_str());
        ASSERT_NE(first, INVALID_HANDLE_VALUE) << changes[drive].what;
        CloseHandle(first);
        changes[drive].apply(machine.Folder() + "/" + changes[drive].what);
    }

    for (std::size_t drive = 0; drive + 1 < changes.size(); ++drive)
        for (DWORD access : {DWORD{0}, GENERIC_READ, GENERIC_WRITE}) {
            EXPECT_EQ(Open(access, name(drive).c_str()), INVALID_HANDLE_VALUE) << changes[drive].what;
            EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND) << changes[drive].what;
        }
    HANDLE grown = Open(GENERIC_READ, name(changes.size() - 1).c_str());
    EXPECT_NE(grown, INVALID_HANDLE_VALUE) << "a longer image still holds the whole drive";
    CloseHandle(grown);
}

// A handle already open when its image is cut shorter: the read that no
// longer finds its bytes fails, and the caller's buffer stays as it was.
TEST_F(DescribedDrive, AnImageCutShortUnderAnOpenHandleGivesAReadError)
{
    machine.Line("drive 0 disk.img").Install();
    HANDLE drive = Open(GENERIC_READ);
    ASSERT_NE(drive, INVALID_HANDLE_VALUE);
    std::vector<std::uint8_t> buffer(2 * Sector, 0xEE);
    DWORD read = 7;
    ASSERT_TRUE(Seek(drive, 14 * Sector));
    ASSERT_TRUE(ReadFile(drive, std::vector<std::uint8_t>(2 * Sector).data(), 2 * Sector, &read, nullptr));
    std::filesystem::resize_file(image, 15 * Sector);
    ASSERT_TRUE(Seek(drive, 14 * Sector));
    EXPECT_FALSE(ReadFile(drive, buffer.data(), 2 * Sector, &read, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_READ_FAULT);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(2 * Sector, 0xEE));
    CloseHandle(drive);
}

// What was read is not served again once another writer changed the image.
TEST_F(DescribedDrive, AReadAfterTheImageWasWrittenElsewhereFindsTheNewBytes)
{
    machine.Line("drive 0 disk.img").Install();
    std::vector<std::uint8_t> read(Sector);
    for (std::uint8_t fill : {0x00, 0x6B}) {
        WriteBytes(image, 5 * Sector, std::vector<std::uint8_t>(Sector, fill));
        HANDLE drive = Open(GENERIC_READ);
        DWORD count = 0;
        ASSERT_TRUE(Seek(drive, 5 * Sector));
        ASSERT_TRUE(ReadFile(drive, read.data(), Sector, &count, nullptr));
        EXPECT_EQ(read, std::vector<std::uint8_t>(Sector, fill));
        CloseHandle(drive);
    }
}

TEST_F(DescribedDrive, WritesLandWholeInsideTheImageOrNotAtAll)
{
    machine.Line("drive 0 disk.img").Install();
    HANDLE drive = Open(GENERIC_WRITE);
    ASSERT_NE(drive, INVALID_HANDLE_VALUE);
    std::vector<std::uint8_t> data(2 * Sector, 0x5A);
    DWORD written = 0;

    ASSERT_TRUE(Seek(drive, 3 * Sector));
    EXPECT_TRUE(WriteFile(drive, data.data(), Sector, &written, nullptr));
    EXPECT_EQ(written, Sector);
    EXPECT_EQ(ReadBytes(image, 3 * Sector, Sector), std::vector<std::uint8_t>(Sector, 0x5A));

    ASSERT_TRUE(Seek(drive, 15 * Sector));
    EXPECT_FALSE(WriteFile(drive, data.data(), 2 * Sector, &written, nullptr));
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(ReadBytes(image, 15 * Sector, Sector), std::vector<std::uint8_t>(Sector, 0));
    EXPECT_EQ(ReadBytes(image, 0, 32 * Sector).size(), 16 * Sector) << "the image did not grow";
    CloseHandle(drive);
}

TEST_F(DescribedDrive, AHandleMovesOnlyInTheDirectionsItWasOpenedFor)
{
    machine.Line("drive 0 disk.img").Install();
    std::vector<std::uint8_t> data(Sector, 1);
    DWORD count = 0;

    HANDLE reader = Open(GENERIC_READ);
    EXPECT_FALSE(WriteFile(reader, data.data(), Sector, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    CloseHandle(reader);

    HANDLE query = Open(0);
    ASSERT_NE(query, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ReadFile(query, data.data(), Sector, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    GET_LENGTH_INFO length{};
    EXPECT_FALSE(DeviceIoControl(query, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length, &count,
                                 nullptr)) << "the length needs read access";
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    CloseHandle(query);
    reader = Open(GENERIC_READ);
    EXPECT_TRUE(DeviceIoControl(reader, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length, &count,
                                nullptr));
    EXPECT_EQ(length.Length, 16 * Sector);
    CloseHandle(reader);
    EXPECT_EQ(ReadBytes(image, 0, Sector), std::vector<std::uint8_t>(Sector, 0));
}

TEST_F(DescribedDrive, PositionsTakeBothHalvesAndRefuseNegativeOffsets)
{
    machine.Line("drive 0 disk.img").Install();
    HANDLE drive = Open(GENERIC_READ);
    LONG high = 511;
    EXPECT_EQ(SetFilePointer(drive, static_cast<LONG>(0xFFFFFE00), &high, FILE_BEGIN), 0xFFFFFE00u);
    EXPECT_EQ(high, 511);
    std::uint8_t byte = 0;
    DWORD read = 7;
    EXPECT_TRUE(ReadFile(drive, &byte, 1, &read, nullptr)) << "a read far past the end reads nothing";
    EXPECT_EQ(read, 0u);

    high = -1;
    EXPECT_EQ(SetFilePointer(drive, 0, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(SetFilePointer(drive, -512, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    CloseHandle(drive);
}

TEST_F(DescribedDrive, InjectedFaultsFailTheStepsTheyName)
{
    machine.MakeImage("other.img", 16 * Sector);
    machine.Line("drive 0 disk.img")
        .Line("drive 1 other.img")
        .Line("fault open 1")
        .Line("fault read 0 5 23   # CRC error")
        .Line("fault short 0 9")
        .Line("fault write 0 29")
        .Install();

    EXPECT_EQ(Open(GENERIC_READ, "\\\\.\\PhysicalDrive1"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Open(GENERIC_READ, "\\\\.\\PhysicalDrive2"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    HANDLE drive = Open(GENERIC_READ | GENERIC_WRITE);
    std::vector<std::uint8_t> buffer(4 * Sector);
    DWORD count = 0;
    ASSERT_TRUE(Seek(drive, 4 * Sector));
    EXPECT_FALSE(ReadFile(drive, buffer.data(), 2 * Sector, &count, nullptr)) << "covers faulty sector 5";
    EXPECT_EQ(GetLastError(), ERROR_CRC);

    ASSERT_TRUE(Seek(drive, 7 * Sector));
    EXPECT_TRUE(ReadFile(drive, buffer.data(), 4 * Sector, &count, nullptr));
    EXPECT_EQ(count, 2 * Sector) << "stops where sector 9 begins";

    ASSERT_TRUE(Seek(drive, 0));
    EXPECT_FALSE(WriteFile(drive, std::vector<std::uint8_t>(Sector, 9).data(), Sector, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_WRITE_FAULT);
    EXPECT_EQ(ReadBytes(image, 0, Sector), std::vector<std::uint8_t>(Sector, 0));
    CloseHandle(drive);
}

TEST_F(DescribedDrive, APositioningFaultLeavesTheHandleWhereItWas)
{
    machine.Line("drive 0 disk.img").Line("fault seek 0 27").Install();
    HANDLE drive = Open(GENERIC_READ);
    LONG high = 0;
    EXPECT_EQ(SetFilePointer(drive, 1024, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_SECTOR_NOT_FOUND);
    CloseHandle(drive);
}

TEST_F(DescribedDrive, GeometryComesFromTheFileOrFromTheImageSize)
{
    machine.MakeImage("big.img", 2ull * 255 * 63 * Sector + 100);
    machine.Line("drive 0 disk.img media=11 geometry=300000/255/63").Line("drive 3 big.img").Install();

    DISK_GEOMETRY geometry{};
    DWORD returned = 0;
    HANDLE first = Open(0);
    ASSERT_TRUE(DeviceIoControl(first, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry, sizeof geometry,
                                &returned, nullptr));
    EXPECT_EQ(returned, sizeof geometry);
    EXPECT_EQ(geometry.Cylinders, 300000);
    EXPECT_EQ(geometry.MediaType, RemovableMedia);
    EXPECT_EQ(geometry.TracksPerCylinder, 255u);
    EXPECT_EQ(geometry.SectorsPerTrack, 63u);
    EXPECT_EQ(geometry.BytesPerSector, 512u);
    CloseHandle(first);

    HANDLE fourth = Open(0, "\\\\.\\physicaldrive3");
    ASSERT_TRUE(DeviceIoControl(fourth, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry, sizeof geometry,
                                &returned, nullptr));
    EXPECT_EQ(geometry.Cylinders, 2) << "whole cylinders only";
    EXPECT_EQ(geometry.MediaType, FixedMedia);
    EXPECT_FALSE(DeviceIoControl(fourth, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry, 8, &returned, nullptr));
    CloseHandle(fourth);
}

TEST_F(DescribedDrive, OnlyCanonicalDriveNamesOpen)
{
    machine.Line("drive 0 disk.img").Install();
    for (const char* name : {"\\\\.\\PhysicalDrive00", "\\\\.\\PhysicalDrive", "\\\\.\\PhysicalDrive0x", "disk.img",
                             "\\\\.\\C:"}) {
        EXPECT_EQ(Open(GENERIC_READ, name), INVALID_HANDLE_VALUE) << name;
        EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND) << name;
    }
}

}  // namespace
