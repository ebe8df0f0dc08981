#pragma once
// The content of a described-machine file (format in machine_selection.h).

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace platform {

struct DriveGeometry {
    std::uint64_t cylinders = 0;
    win32::DWORD heads = 0;
    win32::DWORD sectorsPerTrack = 0;
};

struct DescribedDrive {
    std::string image;  // absolute path
    win32::DWORD mediaType = win32::FixedMedia;
    std::optional<DriveGeometry> geometry;  // none: derived from the image size
};

struct ReadFault {
    unsigned drive = 0;
    std::uint64_t sector = 0;
    win32::DWORD code = 0;
};

struct ShortRead {
    unsigned drive = 0;
    std::uint64_t sector = 0;
};

struct MachineDescription {
    bool ntFamily = true;
    bool sectorDriver = false;
    std::optional<int> screenWidth;
    std::optional<int> screenHeight;
    std::map<unsigned, DescribedDrive> drives;
    std::map<char, std::uint64_t> letterBytes;  // upper-case letters
    std::vector<unsigned> refusedOpens;
    std::vector<ReadFault> readFaults;
    std::vector<ShortRead> shortReads;
    std::map<unsigned, win32::DWORD> writeFaults;
    std::map<unsigned, win32::DWORD> seekFaults;
    std::map<std::string, std::string> hostOverrides;
};

// Reads the file at `path`; throws std::runtime_error naming the file and the
// line when it cannot be read or a line makes no sense. Every drive's image
// must exist.
MachineDescription ReadMachineDescription(const std::string& path);

}  // namespace platform
