#pragma once
// What the host offers in place of Windows' physical drives and drive letters.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A whole disk as the kernel shows it now: its name under /sys/block and its
// attach sequence number (0 where the kernel keeps none). A disk attached
// later under a name that an earlier one had gets another sequence number.
struct WholeDisk {
    std::string name;
    std::uint64_t sequence = 0;
    bool operator==(const WholeDisk&) const = default;
};

// Whole disks under /sys/block (sd*, nvme*n*, mmcblk*, vd*) in name order,
// then the loop devices that are attached to a file and writable, in name
// order. Read-only loop devices (those of installed packages, for instance)
// hold nothing to repair and are left out.
std::vector<WholeDisk> WholeDisks();

// The attach sequence number the kernel shows for `name` now; nothing when
// the disk has gone.
std::optional<std::uint64_t> DiskSequence(const std::string& name);

// The numbers of "\\.\PhysicalDriveN", kept for the whole run as Windows keeps
// a disk's number while it stays attached: disks are numbered in name order
// when first seen, a number is never given to another disk, and the number of
// a disk that went away leads nowhere. A repair chosen on one disk therefore
// never reaches another one that took its place in the list.
class DiskNumbering {
public:
    // The disk behind `number` among the disks `present` now, or nothing
    // when it has gone.
    std::optional<WholeDisk> DiskOf(unsigned number, const std::vector<WholeDisk>& present);

private:
    std::vector<WholeDisk> numbered_;  // index: the number
};

// The device node of the volume that starts at `firstSector` (512-byte
// sectors) of disk `diskName`: the partition that starts there, or the whole
// disk when none does.
std::string VolumeNode(const std::string& diskName, std::uint64_t firstSector);

// Mount points of mounted block devices in /proc/mounts order: entry 0 is
// drive C:, entry 1 drive D:, and so on.
std::vector<std::string> BlockDeviceMountPoints();

}  // namespace platform
