#include "repair/volume_placement.h"

namespace repair {

bool PartitionLiesAfterItsTableAndOnTheDrive(const d_api::TDiskDetail& detail, int k, std::uint64_t driveSectors)
{
    if (k < 1 || k > d_api::TDiskDetail::MaxPartitions) return false;
    const std::int64_t table = detail.TableSectors[k];
    const std::int64_t first = detail.Starts[k];
    const std::int64_t last = detail.Ends[k];
    // An empty entry ends before it begins, and holds no volume either.
    return table < first && first <= last && last < static_cast<std::int64_t>(driveSectors);
}

}  // namespace repair
