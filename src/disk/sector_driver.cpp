// Requests to the Windows 9x sector driver: the platform-selecting one-sector
// read and the driver's half of the drive-parameter query.

#include <array>
#include <cstring>

#include "disk/d_api.h"
#include "disk/sector_driver.h"

namespace d_api {

bool SendDriverRequest(win32::DWORD code, TVxdRequest& request)
{
    win32::DWORD returned = 0;
    return win32::DeviceIoControl(VxdHandle, code, &request, sizeof request, nullptr, 0, &returned, nullptr) !=
           win32::FALSE;
}

bool ReadSectorsEx(std::uint8_t drive, std::uint32_t sector, std::uint8_t count, std::uint8_t* destination)
{
    if (IsNT) return ReadSectors(drive, sector, count, destination);
    if (count != 1) return false;

    std::array<std::uint8_t, SectorSize> transfer{};
    win32::DriverBufferMapping mapping(transfer.data(), SectorSize);
    TVxdRequest request{};
    request.Drive = drive;
    request.Lba = sector;
    request.SectorCount = count;
    request.Buffer = mapping.address();
    if (!SendDriverRequest(VxdReadSectors, request)) return false;
    std::memcpy(destination, transfer.data(), SectorSize);
    return true;
}

}  // namespace d_api
