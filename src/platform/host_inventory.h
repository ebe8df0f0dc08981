#pragma once
// What the host offers in place of Windows' physical drives and drive letters.

#include <string>
#include <vector>

namespace platform {

// Whole disks under /sys/block (sd*, nvme*n*, mmcblk*, vd*) in name order:
// entry N stands for "\\.\PhysicalDriveN".
std::vector<std::string> WholeDiskNames();

// Mount points of mounted block devices in /proc/mounts order: entry 0 is
// drive C:, entry 1 drive D:, and so on.
std::vector<std::string> BlockDeviceMountPoints();

}  // namespace platform
