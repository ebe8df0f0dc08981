// The drive's exact length in sectors. The geometry's product of cylinders,
// heads and sectors per track is a whole number of cylinders and falls short
// of the device by up to one cylinder (16,065 sectors under 255 heads and 63
// sectors per track), so a volume sized by it would lose its last clusters:
// it serves only where the device knows no length query.

#include "disk/d_api.h"
#include "disk/device_query.h"

namespace d_api {
namespace {

bool LengthQueryUnsupported()
{
    const win32::DWORD error = win32::GetLastError();
    return error == win32::ERROR_INVALID_FUNCTION || error == win32::ERROR_NOT_SUPPORTED;
}

}  // namespace

// The length request needs a handle with read access; the geometry's does not.
bool GetDriveLengthNT(std::uint8_t drive, win32::GET_LENGTH_INFO& length)
{
    return QueryDriveDevice(drive, win32::GENERIC_READ, win32::IOCTL_DISK_GET_LENGTH_INFO, &length, sizeof length) &&
           length.Length >= 0;
}

// On Windows 9x the sector driver's drive parameters carry the BIOS's own
// count of the drive's sectors, which is the exact length there; its
// cylinders, heads and sectors per track play no part in it.
bool GetDriveSectorCount(std::uint8_t drive, std::uint64_t& sectors)
{
    if (!IsNT) {
        TDriveParams params{};
        if (!GetDriveParams(drive, params)) return false;
        sectors = params.totalSectors;
        return true;
    }
    win32::GET_LENGTH_INFO length{};
    if (GetDriveLengthNT(drive, length)) {
        sectors = static_cast<std::uint64_t>(length.Length) / SectorSize;
        return true;
    }
    win32::DISK_GEOMETRY geometry{};
    if (!LengthQueryUnsupported() || !GetDriveGeometryNT(drive, geometry) || geometry.Cylinders < 0) return false;
    sectors = static_cast<std::uint64_t>(geometry.Cylinders) * geometry.TracksPerCylinder * geometry.SectorsPerTrack;
    return true;
}

}  // namespace d_api
