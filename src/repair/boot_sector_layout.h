#pragma once
// The FAT boot sector as the published FAT layout has it: the BIOS parameter
// block that FAT16 and FAT32 share, then the tail of one or the other. Every
// offset is a byte offset in the 512-byte sector; numbers wider than a byte
// are little-endian (platform/little_endian.h reads and writes them).

#include <cstddef>
#include <cstdint>

#include "disk/d_api.h"

namespace repair::boot_sector {

// The common BIOS parameter block.
inline constexpr std::size_t JumpAt = 0;               // 3 bytes: EB, jump distance, 90 (see below)
inline constexpr std::size_t JumpDistanceAt = 1;       // 8-bit: bytes skipped after the two-byte jump
inline constexpr std::size_t JumpFillerAt = 2;         // 8-bit: the no-operation after the jump
inline constexpr std::size_t OemNameAt = 3;            // 8 bytes: name of the system that formatted, text
inline constexpr std::size_t OemNameBytes = 8;
inline constexpr std::size_t BytesPerSectorAt = 11;    // 16-bit: bytes per sector
inline constexpr std::size_t SectorsPerClusterAt = 13; // 8-bit: sectors per cluster, a power of two
inline constexpr std::size_t ReservedSectorsAt = 14;   // 16-bit: sectors before the first FAT copy, this one included
inline constexpr std::size_t FatCountAt = 16;          // 8-bit: number of FAT copies
inline constexpr std::size_t RootEntriesAt = 17;       // 16-bit: 32-byte entries of the FAT16 root directory; 0 on FAT32
inline constexpr std::size_t TotalSectors16At = 19;    // 16-bit: volume length in sectors; 0 when the 32-bit field holds it
inline constexpr std::size_t MediaAt = 21;             // 8-bit: media descriptor, repeated in the low byte of FAT entry 0
inline constexpr std::size_t FatSectors16At = 22;      // 16-bit: sectors per FAT copy on FAT16; 0 on FAT32
inline constexpr std::size_t SectorsPerTrackAt = 24;   // 16-bit: BIOS geometry, sectors per track; 0 for none
inline constexpr std::size_t HeadsAt = 26;             // 16-bit: BIOS geometry, heads; 0 for none
inline constexpr std::size_t HiddenSectorsAt = 28;     // 32-bit: sectors on the disk before the volume
inline constexpr std::size_t TotalSectors32At = 32;    // 32-bit: volume length in sectors, when the 16-bit field is 0
inline constexpr std::size_t TailAt = 36;              // where the FAT16 or the FAT32 tail begins

// The FAT16 tail: the extended boot record directly.
namespace fat16 {
inline constexpr std::size_t DriveNumberAt = 36;       // 8-bit: BIOS drive number
inline constexpr std::size_t Reserved1At = 37;         // 8-bit: unused, 0
inline constexpr std::size_t BootSignatureAt = 38;     // 8-bit: ExtendedBootSignature when the three fields below are valid
inline constexpr std::size_t VolumeIdAt = 39;          // 32-bit: volume serial number
inline constexpr std::size_t VolumeLabelAt = 43;       // 11 bytes: volume label, text
inline constexpr std::size_t FileSystemTypeAt = 54;    // 8 bytes: type text, for people only
inline constexpr std::size_t BootCodeAt = 62;          // 448 bytes up to the signature: boot code
}  // namespace fat16

// The FAT32 tail: the FAT32 fields, then the same extended boot record.
namespace fat32 {
inline constexpr std::size_t FatSectors32At = 36;      // 32-bit: sectors per FAT copy
inline constexpr std::size_t ExtFlagsAt = 40;          // 16-bit: 0 when every FAT copy is kept up to date
inline constexpr std::size_t FsVersionAt = 42;         // 16-bit: file-system version, 0.0
inline constexpr std::size_t RootClusterAt = 44;       // 32-bit: first cluster of the root directory
inline constexpr std::size_t FsInfoSectorAt = 48;      // 16-bit: sector of the FSInfo sector in the reserved area; 0 for none
inline constexpr std::size_t BackupBootSectorAt = 50;  // 16-bit: sector of the boot sector's copy; 0 for none
inline constexpr std::size_t ReservedAt = 52;          // 12 bytes: unused, 0
inline constexpr std::size_t ReservedBytes = 12;
inline constexpr std::size_t DriveNumberAt = 64;       // as in the FAT16 tail, 28 bytes further on
inline constexpr std::size_t Reserved1At = 65;
inline constexpr std::size_t BootSignatureAt = 66;
inline constexpr std::size_t VolumeIdAt = 67;
inline constexpr std::size_t VolumeLabelAt = 71;
inline constexpr std::size_t FileSystemTypeAt = 82;
inline constexpr std::size_t BootCodeAt = 90;          // 420 bytes up to the signature: boot code
}  // namespace fat32

inline constexpr std::size_t VolumeLabelBytes = 11;
inline constexpr std::size_t FileSystemTypeBytes = 8;
inline constexpr std::size_t SignatureAt = 510;        // 16-bit: Signature, the sector's last two bytes

// What marks a sector as a boot sector. Every boot sector begins with a jump
// over its parameter block to its boot code, in the two-byte x86 short form
// followed by a no-operation; systems take that shape, with the signature at
// the end, as the sign that the sector holds a parameter block at all.
inline constexpr std::uint8_t ShortJump = 0xEB;
inline constexpr std::uint8_t NoOperation = 0x90;
// The distance jumps over the tail to the boot code, so it tells the tails
// apart: FAT16 to offset 62, FAT32 to offset 90.
inline constexpr std::uint8_t Fat16JumpDistance = fat16::BootCodeAt - (JumpAt + 2);
inline constexpr std::uint8_t Fat32JumpDistance = fat32::BootCodeAt - (JumpAt + 2);
// Bytes 55 AA: the BIOS starts no sector that does not end with them.
inline constexpr std::uint16_t Signature = 0xAA55;
// In the boot-signature field: a volume serial, label and type text follow.
inline constexpr std::uint8_t ExtendedBootSignature = 0x29;
// Media descriptor of a fixed disk, which every hard-disk and USB volume carries.
inline constexpr std::uint8_t MediaFixedDisk = 0xF8;

static_assert(SignatureAt + 2 == d_api::SectorSize);
static_assert(TailAt == 36 && fat32::DriveNumberAt == 64);
static_assert(fat16::BootCodeAt - fat16::DriveNumberAt == fat32::BootCodeAt - fat32::DriveNumberAt,
              "both tails end with the same extended boot record");
static_assert(fat32::VolumeLabelAt - fat32::DriveNumberAt == fat16::VolumeLabelAt - fat16::DriveNumberAt);
static_assert(fat16::FileSystemTypeAt + FileSystemTypeBytes == fat16::BootCodeAt);
static_assert(fat32::FileSystemTypeAt + FileSystemTypeBytes == fat32::BootCodeAt);
static_assert(fat32::ReservedAt + fat32::ReservedBytes == fat32::DriveNumberAt);
static_assert(Fat16JumpDistance == 0x3C && Fat32JumpDistance == 0x58);

}  // namespace repair::boot_sector
