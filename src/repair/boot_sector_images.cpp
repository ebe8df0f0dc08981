#include "repair/boot_sector_images.h"

#include <algorithm>
#include <span>

#include "platform/little_endian.h"

namespace repair {

namespace {

constexpr std::array<std::uint8_t, 8> OemName{'M', 'S', 'D', 'O', 'S', '5', '.', '0'};
constexpr std::uint8_t MediaFixedDisk = 0xF8;
constexpr std::uint8_t ExtendedBootSignature = 0x29;
constexpr std::uint32_t LabelMultiplier = 134775813;  // 0x08088405
constexpr std::uint32_t LabelByteRange = 255;

// The fields that both images share, up to the FAT size.
void PutCommonFields(std::span<std::uint8_t> image, std::uint8_t jumpDistance, std::uint8_t sectorsPerCluster,
                     std::uint16_t reservedSectors, std::uint16_t rootEntries, std::uint32_t volumeSectors)
{
    image[0] = 0xEB;  // short jump over the parameter block
    image[1] = jumpDistance;
    image[2] = 0x90;
    std::ranges::copy(OemName, image.begin() + 3);
    platform::PutLe16(image, 11, d_api::SectorSize);
    image[13] = sectorsPerCluster;
    platform::PutLe16(image, 14, reservedSectors);
    image[16] = 2;  // two FAT copies
    platform::PutLe16(image, 17, rootEntries);
    platform::PutLe16(image, 19, 0);  // the 32-bit sector count below is always used
    image[21] = MediaFixedDisk;
    platform::PutLe16(image, 24, 0);  // no geometry
    platform::PutLe16(image, 26, 0);
    platform::PutLe32(image, 28, 0);  // no hidden sectors
    platform::PutLe32(image, 32, volumeSectors);
    image[510] = 0x55;
    image[511] = 0xAA;
}

}  // namespace

std::uint32_t LabelGenerator::Draw(std::uint32_t range)
{
    state_ = state_ * LabelMultiplier + 1;
    return static_cast<std::uint32_t>((std::uint64_t{state_} * range) >> 32);
}

void BuildFat16Image(SectorImage& image, std::uint8_t sectorsPerCluster, std::uint16_t reservedSectors,
                     std::uint32_t volumeSectors, std::uint32_t sectorsPerFat)
{
    PutCommonFields(image, 0x3C, sectorsPerCluster, reservedSectors, 512, volumeSectors);
    platform::PutLe16(image, 22, static_cast<std::uint16_t>(sectorsPerFat));
    image[36] = 0;  // drive number
    image[37] = 0;
    image[38] = ExtendedBootSignature;
    platform::PutLe32(image, 39, 0);                                  // volume serial
    std::fill(image.begin() + 43, image.begin() + 54, 0);   // label
    std::fill(image.begin() + 54, image.begin() + 62, 0);   // type text
}

void BuildFat32Image(SectorImage& image, LabelGenerator& labels, std::uint8_t sectorsPerCluster,
                     std::uint16_t reservedSectors, std::uint32_t volumeSectors, std::uint32_t sectorsPerFat)
{
    PutCommonFields(image, 0x58, sectorsPerCluster, reservedSectors, 0, volumeSectors);
    platform::PutLe16(image, 22, 0);  // the FAT size is in the 32-bit field
    platform::PutLe32(image, 36, sectorsPerFat);
    platform::PutLe16(image, 40, 0);  // both FATs mirrored
    platform::PutLe16(image, 42, 0);  // version 0.0
    platform::PutLe32(image, 44, 2);  // root directory cluster
    platform::PutLe16(image, 48, 0);  // no FSInfo sector
    platform::PutLe16(image, 50, 0);  // no backup boot sector
    std::fill(image.begin() + 52, image.begin() + 64, 0);
    image[64] = 0;  // drive number
    image[65] = 0;
    image[66] = ExtendedBootSignature;
    platform::PutLe32(image, 67, 0);  // volume serial
    for (std::size_t i = 71; i < 82; ++i) image[i] = static_cast<std::uint8_t>(labels.Draw(LabelByteRange));
    std::fill(image.begin() + 82, image.begin() + 90, 0);  // type text
}

BootSectorWriter::BootSectorWriter(const RepairState& state) : state_(state) {}

bool BootSectorWriter::WriteFat16BootSector(std::uint8_t sectorsPerCluster, std::uint16_t reservedSectors,
                                            std::uint32_t volumeSectors, std::uint32_t sectorsPerFat)
{
    BuildFat16Image(fat16Image_, sectorsPerCluster, reservedSectors, volumeSectors, sectorsPerFat);
    return WriteAtVolumeStart(fat16Image_);
}

bool BootSectorWriter::WriteFat32BootSector(std::uint8_t sectorsPerCluster, std::uint16_t reservedSectors,
                                            std::uint32_t volumeSectors, std::uint32_t sectorsPerFat)
{
    BuildFat32Image(fat32Image_, labels_, sectorsPerCluster, reservedSectors, volumeSectors, sectorsPerFat);
    return WriteAtVolumeStart(fat32Image_);
}

bool BootSectorWriter::WriteAtVolumeStart(const SectorImage& image) const
{
    return d_api::WriteSectors(state_.Drive(), state_.Layout.VolumeStart, 1, image.data());
}

}  // namespace repair
