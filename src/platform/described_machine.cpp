#include "platform/described_machine.h"

#include <algorithm>
#include <cstring>

#include "platform/described_disk.h"
#include "platform/device_names.h"
#include "platform/length_answer.h"
#include "platform/sector_driver_device.h"

namespace platform {
namespace {

class DescribedDriveDevice : public Device {
public:
    DescribedDriveDevice(const std::shared_ptr<const MachineDescription>& machine, unsigned number,
                         std::shared_ptr<KeptImage> image)
        : machine_(machine), disk_(*machine, number, std::move(image))
    {
    }

    win32::DWORD CheckPosition(std::uint64_t) override { return disk_.PositionFault(); }

    win32::DWORD ReadAt(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done) override
    {
        return disk_.Read(offset, buffer, length, done);
    }

    win32::DWORD WriteAt(std::uint64_t offset, const void* buffer, win32::DWORD length, win32::DWORD& done) override
    {
        return disk_.Write(offset, buffer, length, done);
    }

    win32::DWORD Control(win32::DWORD code, const void*, win32::DWORD, void* out, win32::DWORD outSize,
                         win32::DWORD& returned) override
    {
        returned = 0;
        if (code == win32::IOCTL_DISK_GET_LENGTH_INFO) return AnswerLength(disk_.ImageBytes(), out, outSize, returned);
        if (code != win32::IOCTL_DISK_GET_DRIVE_GEOMETRY) return win32::ERROR_INVALID_FUNCTION;
        if (!out || outSize < sizeof(win32::DISK_GEOMETRY)) return win32::ERROR_INVALID_PARAMETER;
        DriveGeometry geometry = disk_.Geometry();
        win32::DISK_GEOMETRY answer{};
        answer.Cylinders = static_cast<std::int64_t>(geometry.cylinders);
        answer.MediaType = disk_.MediaType();
        answer.TracksPerCylinder = geometry.heads;
        answer.SectorsPerTrack = geometry.sectorsPerTrack;
        answer.BytesPerSector = 512;
        std::memcpy(out, &answer, sizeof answer);
        returned = sizeof answer;
        return 0;
    }

private:
    std::shared_ptr<const MachineDescription> machine_;  // outlives disk_, which refers to it
    DescribedDisk disk_;
};

class DescribedMachine : public Machine {
public:
    explicit DescribedMachine(MachineDescription description)
        : description_(std::make_shared<const MachineDescription>(std::move(description))),
          images_(std::make_shared<KeptImages>(description_))
    {
    }

    bool IsNtFamily() const override { return description_->ntFamily; }

    std::shared_ptr<Device> Open(const std::string& name, win32::DWORD desiredAccess, win32::DWORD& error) override
    {
        if (IsSectorDriverFile(name)) {
            if (HasSectorDriver()) return MakeSectorDriverDevice(description_, images_, observations());
            error = win32::ERROR_FILE_NOT_FOUND;
            return nullptr;
        }
        // Windows 9x has no physical-drive devices.
        std::optional<unsigned> number = PhysicalDriveNumber(name);
        if (!number || !description_->ntFamily || !description_->drives.count(*number)) {
            error = win32::ERROR_FILE_NOT_FOUND;
            return nullptr;
        }
        const auto& refused = description_->refusedOpens;
        if (std::find(refused.begin(), refused.end(), *number) != refused.end()) {
            error = win32::ERROR_ACCESS_DENIED;
            return nullptr;
        }
        std::shared_ptr<KeptImage> image = images_->Use(*number, (desiredAccess & win32::GENERIC_WRITE) != 0, error);
        if (!image) return nullptr;
        return std::make_shared<DescribedDriveDevice>(description_, *number, std::move(image));
    }

    win32::DWORD Delete(const std::string& name) override
    {
        // Nothing but the driver can be deleted: no file of the host is touched.
        return IsSectorDriverDevice(name) && HasSectorDriver() ? 0 : win32::ERROR_FILE_NOT_FOUND;
    }

    std::optional<DiskSpace> DriveSpace(char letter, win32::DWORD& error) override
    {
        auto found = description_->letterBytes.find(letter);
        if (found == description_->letterBytes.end()) {
            error = win32::ERROR_FILE_NOT_FOUND;
            return std::nullopt;
        }
        return DiskSpace{0, found->second, 0};
    }

    bool OpenPage(const std::string&) override { return true; }
    void TrimWorkingSet() override {}

    std::optional<int> ScreenMetric(int index) const override
    {
        if (index == win32::SM_CXSCREEN) return description_->screenWidth;
        if (index == win32::SM_CYSCREEN) return description_->screenHeight;
        return std::nullopt;
    }

    std::string HostOverride(const std::string& host) const override
    {
        auto found = description_->hostOverrides.find(host);
        return found == description_->hostOverrides.end() ? std::string() : found->second;
    }

private:
    bool HasSectorDriver() const { return !description_->ntFamily && description_->sectorDriver; }

    std::shared_ptr<const MachineDescription> description_;
    std::shared_ptr<KeptImages> images_;
};

}  // namespace

std::shared_ptr<Machine> MakeDescribedMachine(MachineDescription description)
{
    return std::make_shared<DescribedMachine>(std::move(description));
}

}  // namespace platform
