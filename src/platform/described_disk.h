#pragma once
// One drive of a described machine as one handle or one driver request sees
// it: its kept image with the machine's injected faults applied to it.

#include <cstdint>
#include <memory>

#include "platform/kept_image.h"
#include "platform/machine_description.h"
#include "platform/win32.h"

namespace platform {

class DescribedDisk {
public:
    // `number` must be one of `machine`'s drives and `image` its image.
    DescribedDisk(const MachineDescription& machine, unsigned number, std::shared_ptr<KeptImage> image);

    // A read delivers what the image holds up to its end, or up to where a
    // short-read sector begins; a read covering a faulty sector fails.
    win32::DWORD Read(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done) const;
    // A write lands whole inside the image or not at all.
    win32::DWORD Write(std::uint64_t offset, const void* buffer, win32::DWORD length, win32::DWORD& done) const;
    win32::DWORD PositionFault() const;

    std::uint64_t ImageBytes() const { return image_->Bytes(); }
    DriveGeometry Geometry() const;
    win32::DWORD MediaType() const { return drive_.mediaType; }

private:
    const MachineDescription& machine_;
    unsigned number_;
    const DescribedDrive& drive_;
    std::shared_ptr<KeptImage> image_;
};

}  // namespace platform
