// Transfers on the physical-drive devices: each call opens the device,
// positions it, moves one unit and closes it again.

#include <cstring>

#include "disk/d_api.h"
#include "disk/read_failures.h"
#include "disk/unit_read.h"

namespace d_api {
namespace {

// Every caller moves one unit per call; the transfer buffers hold one unit,
// so another count is refused rather than read or written past a buffer.
constexpr std::uint32_t OnlyCount = 1;

win32::HANDLE OpenDrive(std::uint8_t drive, win32::DWORD access, win32::DWORD shareMode, win32::DWORD flags)
{
    return win32::CreateFileA(DeviceName(drive).c_str(), access, shareMode, nullptr, win32::OPEN_EXISTING, flags,
                              nullptr);
}

bool PositionAt(win32::HANDLE device, std::uint32_t sector)
{
    ByteOffset offset = SectorOffset(sector);
    win32::LONG high = offset.high;
    // The low half is a multiple of 512, so this value can only mean failure.
    return win32::SetFilePointer(device, offset.low, &high, win32::FILE_BEGIN) != win32::INVALID_SET_FILE_POINTER;
}

}  // namespace

ReadEnd ReadUnit(ReadKind kind, std::uint8_t drive, std::uint32_t sector, std::uint8_t* destination)
{
    const std::uint32_t unitBytes = kind == ReadKind::Sector ? SectorSize : BlockSize;
    win32::HANDLE device = OpenDrive(drive, win32::GENERIC_READ, win32::FILE_SHARE_WRITE, win32::FILE_FLAG_WRITE_THROUGH);
    if (device == win32::INVALID_HANDLE_VALUE) {
        // Windows 9x has no physical-drive devices: a read that cannot open
        // one says nothing about the drive, which the sector driver still
        // reaches.
        if (!IsNT) return ReadEnd::NotMade;
        ReportUnopenedDrive(drive);
        return ReadEnd::DriveUnopened;
    }
    if (!PositionAt(device, sector)) {
        win32::CloseHandle(device);
        return ReadEnd::NotMade;
    }
    // Straight into the destination, with no copy of a Block in between. A
    // read that stops short gets zeros after the bytes that arrived, never
    // bytes of an earlier read. A failed read leaves the destination as it
    // was: the platform reaches the buffer only when the read succeeds.
    win32::DWORD bytesRead = 0;
    const bool transferred = win32::ReadFile(device, destination, unitBytes, &bytesRead, nullptr) != win32::FALSE;
    if (transferred) {
        std::memset(destination + bytesRead, 0, unitBytes - bytesRead);
    } else {
        ReportTransferFailure(kind, drive, sector, OnlyCount, win32::GetLastError());
    }
    win32::CloseHandle(device);
    if (!transferred) return ReadEnd::Failed;
    return bytesRead == unitBytes ? ReadEnd::Read : ReadEnd::Short;
}

std::string DeviceName(std::uint8_t drive) { return "\\\\.\\PhysicalDrive" + std::to_string(drive); }

ByteOffset SectorOffset(std::uint32_t sector)
{
    return ByteOffset{static_cast<win32::LONG>(sector << 9), static_cast<win32::LONG>(sector >> 23)};
}

bool ReadSectors(std::uint8_t drive, std::uint32_t sector, std::uint16_t count, std::uint8_t* destination)
{
    return count == OnlyCount && ReadUnit(ReadKind::Sector, drive, sector, destination) == ReadEnd::Read;
}

bool ReadBlock(std::uint8_t drive, std::uint32_t sector, std::uint16_t count, std::uint8_t* destination)
{
    return count == OnlyCount && ReadUnit(ReadKind::Block, drive, sector, destination) == ReadEnd::Read;
}

// Every step is checked: a write whose positioning failed would land at
// whatever position the device had, so it is not made at all.
bool WriteSectors(std::uint8_t drive, std::uint32_t sector, std::uint8_t count, const std::uint8_t* source)
{
    if (count != OnlyCount) return false;
    win32::HANDLE device = OpenDrive(drive, win32::GENERIC_WRITE, win32::FILE_SHARE_READ | win32::FILE_SHARE_WRITE,
                                     win32::FILE_ATTRIBUTE_NORMAL);
    if (device == win32::INVALID_HANDLE_VALUE) return false;
    bool written = false;
    if (PositionAt(device, sector)) {
        win32::DWORD bytesWritten = 0;
        written = win32::WriteFile(device, source, SectorSize * count, &bytesWritten, nullptr) != win32::FALSE &&
                  bytesWritten == SectorSize * count;
    }
    win32::CloseHandle(device);
    return written;
}

}  // namespace d_api
