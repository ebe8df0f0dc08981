// Whether a drive answers, whether its medium is removable and how many
// sectors it has: the geometry of the physical-drive device on the Windows NT
// family, the extended drive parameters from the sector driver on Windows 9x.

#include "disk/d_api.h"
#include "disk/device_query.h"
#include "disk/sector_driver.h"
#include "platform/media_types.h"

namespace d_api {
namespace {

constexpr std::uint16_t RecordSize = sizeof(TDriveParams);
// BIOS drive 1 is the second floppy drive, never asked for.
constexpr std::uint8_t UnaskedDrive = 1;
constexpr std::uint8_t FirstHardDisk = 128;

bool GetDriveParamsNT(std::uint8_t drive, TDriveParams& params)
{
    win32::DISK_GEOMETRY geometry{};
    if (!GetDriveGeometryNT(drive, geometry)) return false;
    params.size = RecordSize;
    params.flags = platform::IsRemovableMediaType(geometry.MediaType) ? RemovableFlag : 0;
    params.cylinders = static_cast<std::uint32_t>(geometry.Cylinders);
    params.heads = geometry.TracksPerCylinder;
    params.sectorsPerTrack = geometry.SectorsPerTrack;
    // Formed in 32 bits: the product wraps on disks past 2^32 sectors.
    std::uint32_t total = params.cylinders * params.heads * params.sectorsPerTrack;
    params.totalSectors = total;
    params.bytesPerSector = static_cast<std::uint16_t>(geometry.BytesPerSector);
    params.parameterTable = 0;
    return true;
}

bool GetDriveParams9x(std::uint8_t drive, TDriveParams& params)
{
    params.size = RecordSize;
    if (drive == UnaskedDrive) return false;
    win32::DriverBufferMapping mapping(&params, sizeof params);
    TVxdRequest request{};
    request.Drive = drive;
    request.Buffer = mapping.address();
    bool answered = SendDriverRequest(VxdDriveParams, request);
    if (drive < FirstHardDisk) params.flags |= RemovableFlag;
    return answered;
}

}  // namespace

bool GetDriveGeometryNT(std::uint8_t drive, win32::DISK_GEOMETRY& geometry)
{
    return QueryDriveDevice(drive, 0, win32::IOCTL_DISK_GET_DRIVE_GEOMETRY, &geometry, sizeof geometry);
}

bool GetDriveParams(std::uint8_t drive, TDriveParams& params)
{
    return IsNT ? GetDriveParamsNT(drive, params) : GetDriveParams9x(drive, params);
}

}  // namespace d_api
