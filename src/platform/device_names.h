#pragma once
// The device names the programs open, recognised the way Windows compares
// them: without regard to letter case.

#include <optional>
#include <string>

namespace platform {

// N of "\\.\PhysicalDriveN" (decimal, no sign, no leading zeros), if `name` is one.
std::optional<unsigned> PhysicalDriveNumber(const std::string& name);
// "\\.\INT13EXT.VXD": opening it loads the Windows 9x sector driver.
bool IsSectorDriverFile(const std::string& name);
// "\\.\INT13EXT": deleting it unloads that driver.
bool IsSectorDriverDevice(const std::string& name);

}  // namespace platform
