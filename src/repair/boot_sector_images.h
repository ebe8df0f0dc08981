#pragma once
// The FAT16 and FAT32 boot sectors that a repair writes at the volume start,
// built from the layout that the analysis found. Only the fields below are
// ever set; every other byte of an image stays 0, so it carries no boot code.

#include <array>
#include <cstdint>

#include "disk/d_api.h"
#include "repair/repair_state.h"

namespace repair {

using SectorImage = std::array<std::uint8_t, d_api::SectorSize>;

// The root directory that the FAT16 image declares: 512 entries, as FAT16
// formatters give a hard disk.
inline constexpr std::uint16_t Fat16RootEntries = 512;
// Both images declare two FAT copies, the number the search finds.
inline constexpr std::uint8_t FatCopies = 2;

// Source of the FAT32 volume-label bytes: a linear congruential sequence
// starting from 0 in every run, so the first label of a run is always the same.
class LabelGenerator {
public:
    // A value from 0 to range − 1.
    std::uint32_t Draw(std::uint32_t range);

private:
    std::uint32_t state_ = 0;
};

void BuildFat16Image(SectorImage& image, std::uint8_t sectorsPerCluster, std::uint16_t reservedSectors,
                     std::uint32_t volumeSectors, std::uint32_t sectorsPerFat);
void BuildFat32Image(SectorImage& image, LabelGenerator& labels, std::uint8_t sectorsPerCluster,
                     std::uint16_t reservedSectors, std::uint32_t volumeSectors, std::uint32_t sectorsPerFat);

// Keeps the two images and the label sequence for the whole run and writes an
// image as one sector at VolumeStart of SelectedDrive.
class BootSectorWriter {
public:
    explicit BootSectorWriter(const RepairState& state);

    // Each returns whether the whole sector reached the disk; a repair must
    // not report success when it did not.
    bool WriteFat16BootSector(std::uint8_t sectorsPerCluster, std::uint16_t reservedSectors,
                              std::uint32_t volumeSectors, std::uint32_t sectorsPerFat);
    bool WriteFat32BootSector(std::uint8_t sectorsPerCluster, std::uint16_t reservedSectors,
                              std::uint32_t volumeSectors, std::uint32_t sectorsPerFat);

    const SectorImage& Fat16Image() const { return fat16Image_; }
    const SectorImage& Fat32Image() const { return fat32Image_; }

private:
    bool WriteAtVolumeStart(const SectorImage& image) const;

    const RepairState& state_;
    SectorImage fat16Image_{};
    SectorImage fat32Image_{};
    LabelGenerator labels_;
};

}  // namespace repair
