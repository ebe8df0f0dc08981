#include "repair/partition_volume.h"

#include "repair/analysis.h"

namespace repair {

namespace {

bool Addressable(std::int64_t sector)
{
    return sector <= static_cast<std::int64_t>(LastAddressableSector);
}

// The partition's first and last sector both within 32-bit sector numbers.
// An empty entry ends one sector before it starts, which is no obstacle.
bool WithinReach(const d_api::TDiskDetail& detail, int k)
{
    return Addressable(detail.Starts[k]) && Addressable(detail.Ends[k]);
}

}  // namespace

std::optional<std::uint32_t> PartitionVolumeStart(const d_api::TDiskDetail& detail, int k)
{
    if (k < 1 || k > LastPartitionNumber || !WithinReach(detail, k)) return std::nullopt;
    return static_cast<std::uint32_t>(detail.Starts[k]);
}

std::optional<std::uint32_t> PartitionVolumeSectors(const d_api::TDiskDetail& detail, int k)
{
    if (k < 1 || k > LastPartitionNumber || !WithinReach(detail, k)) return std::nullopt;
    // The span runs from the table sector; the entry's own start lies inside it.
    const std::int64_t entryStart = detail.Starts[k] - detail.TableSectors[k];
    return static_cast<std::uint32_t>(detail.Sizes[k] - entryStart);
}

}  // namespace repair
