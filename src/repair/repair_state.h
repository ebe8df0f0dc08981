#pragma once
// The values one repair hands from step to step: the chosen drive, the working
// buffers and the volume layout found on the disk. The main window owns one;
// they keep their values from one repair to the next within a run.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "disk/d_api.h"
#include "repair/drive_reader.h"

namespace repair {

struct VolumeLayout {
    std::uint32_t VolumeStart = 0;        // sector of the volume's boot sector on the drive
    std::uint32_t VolumeSectors = 0;      // length of the volume
    std::uint32_t SectorsPerCluster = 0;
    std::uint32_t ReservedSectors = 0;
    std::uint32_t SectorsPerFat = 0;
    std::uint32_t Fat1Offset = 0;         // offsets from VolumeStart, 0 for not found
    std::uint32_t Fat2Offset = 0;
    std::uint32_t DirSector = 0;          // on the drive, not relative to the volume
    std::int32_t DirClusterOffset = 0;
    std::string FatType;                  // "FAT16" or "FAT32"; empty until decided
};

struct RepairState {
    std::uint32_t SelectedDrive = 0;      // its low 8 bits are the drive number
    std::uint32_t CurSector = 0;
    // The drive number behind each line of the drive list, line 0 first; only
    // the entries below the list's line count are meaningful.
    std::array<std::uint8_t, 256> DriveNumbers{};
    d_api::TDriveParams DriveParams{};
    std::array<std::uint8_t, d_api::SectorSize> SectorBuf{};
    std::vector<std::uint8_t> BlockBuf = std::vector<std::uint8_t>(d_api::BlockSize, 0);
    VolumeLayout Layout;
    // The reads of the repair under way. Reading changes what the reader has
    // met, never a value of the state, so steps that only look at the state
    // read through it as well.
    mutable DriveReader Reader;

    std::uint8_t Drive() const { return static_cast<std::uint8_t>(SelectedDrive & 0xFF); }
};

}  // namespace repair
