#pragma once
// Raw disk access: the platform test, physical-drive transfers of one sector or
// one 800-sector block, the drive-parameter query, the partition walk and the
// request block of the Windows 9x sector driver. Plain procedures over a few
// values set once at start-up; nothing here raises an error.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/win32.h"

namespace d_api {

constexpr std::uint32_t SectorSize = 512;
constexpr std::uint32_t BlockSectors = 800;
constexpr std::uint32_t BlockSize = SectorSize * BlockSectors;  // 409,600 bytes

// The drive-parameter record, laid out as the BIOS extended drive parameters
// (EDD 2.0, 30 bytes): the Windows 9x driver writes into it as it stands.
#pragma pack(push, 1)
struct TDriveParams {
    std::uint16_t size;             // 30
    std::uint16_t flags;            // bit 2: removable medium
    std::uint32_t cylinders;
    std::uint32_t heads;
    std::uint32_t sectorsPerTrack;
    std::uint64_t totalSectors;
    std::uint16_t bytesPerSector;
    std::uint32_t parameterTable;
};

// The 20-byte request block of the Windows 9x sector driver.
struct TVxdRequest {
    std::uint8_t Drive;
    std::uint8_t spare1[3];
    std::uint32_t Lba;
    std::uint8_t SectorCount;
    std::uint8_t spare2[3];
    std::uint32_t Buffer;           // 32-bit linear address of the memory the driver fills
    std::uint32_t spare3;
};
#pragma pack(pop)
static_assert(sizeof(TDriveParams) == 30);
static_assert(sizeof(TVxdRequest) == 20);

constexpr std::uint16_t RemovableFlag = 4;
constexpr win32::DWORD VxdReadSectors = 2;
constexpr win32::DWORD VxdDriveParams = 4;

// What one walk of the partition tables found; entries 1 to 26 are used.
struct TDiskDetail {
    static constexpr int MaxPartitions = 26;
    std::uint8_t Count = 0;
    std::array<std::int64_t, MaxPartitions + 1> Sizes{};
    std::array<std::string, MaxPartitions + 1> Names{};
    std::array<std::int64_t, MaxPartitions + 1> TableSectors{};
    std::array<std::int64_t, MaxPartitions + 1> Starts{};
    std::array<std::int64_t, MaxPartitions + 1> Ends{};
};

// The two programs carry the same layer; they differ in what the start-up does
// on Windows 9x and in one word of the sector read's error text.
enum class DApiFlavour { Volmender, VolmenderFat32 };

extern bool IsNT;
extern win32::HANDLE VxdHandle;

bool IsWinNT();

// Runs once at program start. `plainMessage` shows a text in the program's
// plain message dialog. Returns false when the program must end at once (the
// FAT32-only program on Windows 9x without its sector driver).
bool DApiInit(DApiFlavour flavour, const std::function<void(const std::string&)>& plainMessage);
void DApiExitProc();

// Exit procedures: one slot; RunExitProcs empties the slot, calls what it held
// and repeats while the call put a procedure back, so the newest runs first.
using ExitProc = void (*)();
ExitProc& ExitProcSlot();
void RunExitProcs();

std::string DeviceName(std::uint8_t drive);
// The byte offset of a sector as the two 32-bit halves SetFilePointer takes.
struct ByteOffset {
    win32::LONG low;
    win32::LONG high;
};
ByteOffset SectorOffset(std::uint32_t sector);

bool ReadSectors(std::uint8_t drive, std::uint32_t sector, std::uint16_t count, std::uint8_t* destination);
bool ReadBlock(std::uint8_t drive, std::uint32_t sector, std::uint16_t count, std::uint8_t* destination);
// True only when the device was positioned at the sector and the whole sector
// was written, so a caller can tell the user about a failed write.
bool WriteSectors(std::uint8_t drive, std::uint32_t sector, std::uint8_t count, const std::uint8_t* source);
bool ReadSectorsEx(std::uint8_t drive, std::uint32_t sector, std::uint8_t count, std::uint8_t* destination);

bool GetDriveGeometryNT(std::uint8_t drive, win32::DISK_GEOMETRY& geometry);
bool GetDriveParams(std::uint8_t drive, TDriveParams& params);
// The device's exact length in bytes (Windows NT family); false when the
// device cannot be opened or does not answer.
bool GetDriveLengthNT(std::uint8_t drive, win32::GET_LENGTH_INFO& length);
// The drive's exact number of whole sectors, on either platform road; false
// when it cannot be learnt, and `sectors` is then left as it was. Unlike the
// total of GetDriveParams, the geometry's product (in 64 bits) only from a
// device that knows no length query.
bool GetDriveSectorCount(std::uint8_t drive, std::uint64_t& sectors);

void ReadPartitionList(std::uint8_t drive, TDiskDetail& detail);
// The name the walk gives a partition type code: "FAT12", "FAT16", "FAT32",
// "NTFS", "Ext2/3" or "动态磁盘"; nullptr for any other code.
const char* PartitionTypeName(std::uint8_t type);

}  // namespace d_api
