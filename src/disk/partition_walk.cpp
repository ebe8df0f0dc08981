// The walk over a drive's partition tables: the master boot record, then each
// table from the sector after the end of the partition that the previous
// table's first entry describes.

#include <array>
#include <cstdint>

#include "disk/d_api.h"
#include "disk/partition_table_layout.h"
#include "platform/little_endian.h"

namespace d_api {
namespace {

constexpr std::uint64_t LastAddressableSector = UINT32_MAX;

}  // namespace

const char* PartitionTypeName(std::uint8_t type)
{
    switch (type) {
    case 0x01:
        return "FAT12";
    case 0x04:
    case 0x06:
    case 0x0E:
        return "FAT16";
    case 0x07:
    case 0x87:
        return "NTFS";
    case 0x0B:
    case 0x0C:
        return "FAT32";
    case 0x42:
        return "动态磁盘";
    case 0x83:
        return "Ext2/3";
    default:
        return nullptr;
    }
}

namespace {

std::uint8_t EntryType(const std::array<std::uint8_t, SectorSize>& table, int entry)
{
    return table[partition_table::EntryAt(entry) + partition_table::TypeAt];
}

// The walk goes on only while entries 2 to 4 hold something and the sector
// carries the table signature.
bool EndsWalk(const std::array<std::uint8_t, SectorSize>& table)
{
    bool restEmpty = EntryType(table, 1) == 0 && EntryType(table, 2) == 0 && EntryType(table, 3) == 0;
    std::uint16_t signature = platform::Le16(table, partition_table::SignatureAt);
    return restEmpty || signature != partition_table::Signature;
}

}  // namespace

// A table that cannot be read ends the walk before its pass records anything,
// so every counted entry comes from a sector really read from this drive. A
// position past the last 32-bit sector cannot be read either.
void ReadPartitionList(std::uint8_t drive, TDiskDetail& detail)
{
    std::array<std::uint8_t, SectorSize> table{};
    std::uint64_t position = 0;
    std::uint64_t previous = 0;
    for (int pass = 1; pass <= TDiskDetail::MaxPartitions; ++pass) {
        if (position > LastAddressableSector ||
            !ReadSectorsEx(drive, static_cast<std::uint32_t>(position), 1, table.data())) {
            detail.Count = static_cast<std::uint8_t>(pass - 1);
            return;
        }
        // Only the first entry describes a partition; the others only decide
        // whether the walk goes on.
        constexpr std::size_t first = partition_table::EntryAt(0);
        std::uint32_t start = platform::Le32(table, first + partition_table::FirstSectorAt);
        std::uint32_t length = platform::Le32(table, first + partition_table::SectorCountAt);
        if (const char* name = PartitionTypeName(table[first + partition_table::TypeAt])) detail.Names[pass] = name;
        detail.TableSectors[pass] = static_cast<std::int64_t>(position);
        position += std::uint64_t(start) + length;
        detail.Sizes[pass] = static_cast<std::int64_t>(position - previous);
        previous = position;
        detail.Starts[pass] = detail.TableSectors[pass] + start;
        detail.Ends[pass] = detail.TableSectors[pass] + detail.Sizes[pass] - 1;
        if (EndsWalk(table)) {
            detail.Count = static_cast<std::uint8_t>(pass);
            return;
        }
    }
}

}  // namespace d_api
