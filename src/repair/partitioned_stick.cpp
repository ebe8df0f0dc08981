#include "repair/partitioned_stick.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "disk/partition_table_layout.h"
#include "platform/little_endian.h"
#include "repair/drive_reader.h"
#include "repair/roads_profile.h"

namespace repair {

namespace table = d_api::partition_table;

bool PartitionTableLeadsToAnIntactBootSector(Analysis& analysis, const RepairState& state)
{
    std::array<std::uint8_t, d_api::SectorSize> sector{};
    if (!state.Reader.ReadSector(0, sector) || platform::Le16(sector, table::SignatureAt) != table::Signature)
        return false;
    for (int index = 0; index < table::Entries; ++index) {
        const std::size_t entry = table::EntryAt(index);
        const char* name = d_api::PartitionTypeName(sector[entry + table::TypeAt]);
        if (name == nullptr || std::ranges::find(FatTypeNames, std::string_view(name)) == std::end(FatTypeNames))
            continue;
        // A healthy FAT16 partition needs no new boot sector either, also
        // where the program repairs only FAT32 volumes.
        if (analysis.IntactBootSectorAt(platform::Le32(sector, entry + table::FirstSectorAt),
                                        Analysis::BootSectorTest::EitherFatType))
            return true;
    }
    return false;
}

}  // namespace repair
