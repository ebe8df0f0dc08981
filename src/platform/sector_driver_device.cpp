#include "platform/sector_driver_device.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "platform/described_disk.h"
#include "platform/driver_memory.h"
#include "platform/little_endian.h"
#include "platform/media_types.h"

namespace platform {
namespace {

constexpr win32::DWORD RequestBytes = 20;
constexpr win32::DWORD ReadSectorsCode = 2;
constexpr win32::DWORD DriveParamsCode = 4;
constexpr win32::DWORD SectorBytes = 512;
constexpr std::size_t ParamsBytes = 30;
constexpr std::uint16_t RemovableFlag = 4;

struct Request {
    unsigned drive;
    std::uint32_t lba;
    unsigned sectorCount;
    std::uint32_t buffer;
};

class SectorDriverDevice : public Device {
public:
    SectorDriverDevice(std::shared_ptr<const MachineDescription> machine, std::shared_ptr<KeptImages> images,
                       Observations& observations)
        : machine_(std::move(machine)), images_(std::move(images)), observations_(observations)
    {
    }

    win32::DWORD CheckPosition(std::uint64_t) override { return win32::ERROR_INVALID_FUNCTION; }
    win32::DWORD ReadAt(std::uint64_t, void*, win32::DWORD, win32::DWORD& done) override
    {
        done = 0;
        return win32::ERROR_INVALID_FUNCTION;
    }
    win32::DWORD WriteAt(std::uint64_t, const void*, win32::DWORD, win32::DWORD& done) override
    {
        done = 0;
        return win32::ERROR_INVALID_FUNCTION;
    }

    win32::DWORD Control(win32::DWORD code, const void* in, win32::DWORD inSize, void*, win32::DWORD,
                         win32::DWORD& returned) override
    {
        returned = 0;
        if (code != ReadSectorsCode && code != DriveParamsCode) return win32::ERROR_INVALID_FUNCTION;
        if (!in || inSize != RequestBytes) return win32::ERROR_INVALID_PARAMETER;
        std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(in), RequestBytes);
        Request request{bytes[0], Le32(bytes, 4), bytes[8], Le32(bytes, 12)};
        observations_.driverRequests.push_back(std::to_string(code) + " " + std::to_string(request.drive) + " " +
                                               std::to_string(request.lba) + " " +
                                               std::to_string(request.sectorCount));
        if (!machine_->drives.count(request.drive)) return win32::ERROR_NOT_READY;
        win32::DWORD error = 0;
        std::shared_ptr<KeptImage> image = images_->Use(request.drive, false, error);
        if (!image) return error;
        DescribedDisk disk(*machine_, request.drive, std::move(image));
        return code == ReadSectorsCode ? ReadSectors(disk, request) : FillDriveParams(disk, request);
    }

private:
    // The sectors land straight in the caller's memory, and only when every
    // one of them lies inside the mapping.
    static win32::DWORD ReadSectors(const DescribedDisk& disk, const Request& request)
    {
        std::span<std::uint8_t> memory = DriverMemoryAt(request.buffer);
        win32::DWORD length = request.sectorCount * SectorBytes;
        if (memory.size() < length) return win32::ERROR_INVALID_PARAMETER;
        win32::DWORD done = 0;
        if (win32::DWORD error = disk.Read(std::uint64_t(request.lba) * SectorBytes, memory.data(), length, done))
            return error;
        return done == length ? 0 : win32::ERROR_SECTOR_NOT_FOUND;
    }

    // Writes at most as many bytes as the record's size word announces.
    static win32::DWORD FillDriveParams(const DescribedDisk& disk, const Request& request)
    {
        std::span<std::uint8_t> memory = DriverMemoryAt(request.buffer);
        if (memory.size() < 2) return win32::ERROR_INVALID_PARAMETER;
        std::size_t announced = Le16(memory, 0);
        std::size_t length = std::min({announced, ParamsBytes, memory.size()});

        DriveGeometry geometry = disk.Geometry();
        std::array<std::uint8_t, ParamsBytes> record{};
        PutLe16(record, 0, ParamsBytes);
        PutLe16(record, 2, IsRemovableMediaType(disk.MediaType()) ? RemovableFlag : 0);
        PutLe32(record, 4, static_cast<std::uint32_t>(geometry.cylinders));
        PutLe32(record, 8, geometry.heads);
        PutLe32(record, 12, geometry.sectorsPerTrack);
        PutLe64(record, 16, disk.ImageBytes() / SectorBytes);
        PutLe16(record, 24, SectorBytes);
        std::memcpy(memory.data(), record.data(), length);
        return 0;
    }

    std::shared_ptr<const MachineDescription> machine_;
    std::shared_ptr<KeptImages> images_;
    Observations& observations_;
};

}  // namespace

std::shared_ptr<Device> MakeSectorDriverDevice(std::shared_ptr<const MachineDescription> machine,
                                               std::shared_ptr<KeptImages> images, Observations& observations)
{
    return std::make_shared<SectorDriverDevice>(std::move(machine), std::move(images), observations);
}

}  // namespace platform
