#pragma once
// Where the volume of a partition lies, from one walk of the partition tables:
// it begins at the partition's own first sector (its table sector plus the
// entry's start) and is as long as the entry says. Aligned disks start their
// partitions 2048 sectors after the table, DOS-era disks 63; both are taken
// as they stand.

#include <cstdint>
#include <optional>

#include "disk/d_api.h"

namespace repair {

// Partition numbers of the walk run from 1 to this.
inline constexpr int LastPartitionNumber = d_api::TDiskDetail::MaxPartitions;

// The sector of the volume's boot sector; nothing when the partition starts
// or ends past the last 32-bit sector number, where no read or write reaches.
// A number the walk did not fill reads as an empty partition at sector 0.
std::optional<std::uint32_t> PartitionVolumeStart(const d_api::TDiskDetail& detail, int k);
// The volume's length in sectors, with the same refusal.
std::optional<std::uint32_t> PartitionVolumeSectors(const d_api::TDiskDetail& detail, int k);

}  // namespace repair
