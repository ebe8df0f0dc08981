#pragma once
// One drive of a described machine: its image file, opened for one handle or
// one driver request, with the machine's injected faults applied to it.

#include <cstdint>

#include "platform/machine_description.h"
#include "platform/win32.h"

namespace platform {

class DescribedDisk {
public:
    // `number` must be one of `machine`'s drives.
    DescribedDisk(const MachineDescription& machine, unsigned number);
    ~DescribedDisk();
    DescribedDisk(const DescribedDisk&) = delete;
    DescribedDisk& operator=(const DescribedDisk&) = delete;

    // Opens the image; 0 or the error code.
    win32::DWORD Open(bool forWriting);

    // A read delivers what the image holds up to its end, or up to where a
    // short-read sector begins; a read covering a faulty sector fails.
    win32::DWORD Read(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done) const;
    // A write lands whole inside the image or not at all.
    win32::DWORD Write(std::uint64_t offset, const void* buffer, win32::DWORD length, win32::DWORD& done) const;
    win32::DWORD PositionFault() const;

    std::uint64_t ImageBytes() const;
    DriveGeometry Geometry() const;
    win32::DWORD MediaType() const { return drive_.mediaType; }

private:
    const MachineDescription& machine_;
    unsigned number_;
    const DescribedDrive& drive_;
    int fd_ = -1;
};

}  // namespace platform
