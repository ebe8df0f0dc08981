#include "repair/boot_sector_images.h"

#include <algorithm>
#include <span>

#include "platform/little_endian.h"
#include "repair/boot_sector_layout.h"

namespace repair {

namespace {

namespace bs = boot_sector;

constexpr std::array<std::uint8_t, bs::OemNameBytes> OemName{'M', 'S', 'D', 'O', 'S', '5', '.', '0'};
// The first cluster of the data area, where formatters put the FAT32 root
// directory; the image cannot know where the volume held it.
constexpr std::uint32_t Fat32RootCluster = 2;
constexpr std::uint32_t LabelMultiplier = 134775813;  // 0x08088405
constexpr std::uint32_t LabelByteRange = 255;

// The fields that both images share, up to the FAT size.
void PutCommonFields(std::span<std::uint8_t> image, std::uint8_t jumpDistance, std::uint8_t sectorsPerCluster,
                     std::uint16_t reservedSectors, std::uint16_t rootEntries, std::uint32_t volumeSectors)
{
    image[bs::JumpAt] = bs::ShortJump;
    image[bs::JumpDistanceAt] = jumpDistance;
    image[bs::JumpFillerAt] = bs::NoOperation;
    std::ranges::copy(OemName, image.begin() + bs::OemNameAt);
    platform::PutLe16(image, bs::BytesPerSectorAt, d_api::SectorSize);
    image[bs::SectorsPerClusterAt] = sectorsPerCluster;
    platform::PutLe16(image, bs::ReservedSectorsAt, reservedSectors);
    image[bs::FatCountAt] = FatCopies;
    platform::PutLe16(image, bs::RootEntriesAt, rootEntries);
    platform::PutLe16(image, bs::TotalSectors16At, 0);  // the 32-bit sector count below is always used
    image[bs::MediaAt] = bs::MediaFixedDisk;
    platform::PutLe16(image, bs::SectorsPerTrackAt, 0);  // no geometry
    platform::PutLe16(image, bs::HeadsAt, 0);
    platform::PutLe32(image, bs::HiddenSectorsAt, 0);
    platform::PutLe32(image, bs::TotalSectors32At, volumeSectors);
    platform::PutLe16(image, bs::SignatureAt, bs::Signature);
}

// Zeros over a field that is to hold nothing.
void Clear(std::span<std::uint8_t> image, std::size_t at, std::size_t bytes)
{
    std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(at), bytes, 0);
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
    PutCommonFields(image, bs::Fat16JumpDistance, sectorsPerCluster, reservedSectors, Fat16RootEntries,
                    volumeSectors);
    platform::PutLe16(image, bs::FatSectors16At, static_cast<std::uint16_t>(sectorsPerFat));
    image[bs::fat16::DriveNumberAt] = 0;
    image[bs::fat16::Reserved1At] = 0;
    image[bs::fat16::BootSignatureAt] = bs::ExtendedBootSignature;
    platform::PutLe32(image, bs::fat16::VolumeIdAt, 0);
    Clear(image, bs::fat16::VolumeLabelAt, bs::VolumeLabelBytes);
    Clear(image, bs::fat16::FileSystemTypeAt, bs::FileSystemTypeBytes);
}

void BuildFat32Image(SectorImage& image, LabelGenerator& labels, std::uint8_t sectorsPerCluster,
                     std::uint16_t reservedSectors, std::uint32_t volumeSectors, std::uint32_t sectorsPerFat)
{
    PutCommonFields(image, bs::Fat32JumpDistance, sectorsPerCluster, reservedSectors, 0, volumeSectors);
    platform::PutLe16(image, bs::FatSectors16At, 0);  // the FAT size is in the 32-bit field
    platform::PutLe32(image, bs::fat32::FatSectors32At, sectorsPerFat);
    platform::PutLe16(image, bs::fat32::ExtFlagsAt, 0);  // both FATs mirrored
    platform::PutLe16(image, bs::fat32::FsVersionAt, 0);
    platform::PutLe32(image, bs::fat32::RootClusterAt, Fat32RootCluster);
    platform::PutLe16(image, bs::fat32::FsInfoSectorAt, 0);      // no FSInfo sector
    platform::PutLe16(image, bs::fat32::BackupBootSectorAt, 0);  // no backup boot sector
    Clear(image, bs::fat32::ReservedAt, bs::fat32::ReservedBytes);
    image[bs::fat32::DriveNumberAt] = 0;
    image[bs::fat32::Reserved1At] = 0;
    image[bs::fat32::BootSignatureAt] = bs::ExtendedBootSignature;
    platform::PutLe32(image, bs::fat32::VolumeIdAt, 0);
    for (std::size_t i = 0; i < bs::VolumeLabelBytes; ++i)
        image[bs::fat32::VolumeLabelAt + i] = static_cast<std::uint8_t>(labels.Draw(LabelByteRange));
    Clear(image, bs::fat32::FileSystemTypeAt, bs::FileSystemTypeBytes);
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
