#pragma once
// The 32-bit address space that the Windows 9x sector driver sees: the buffers
// given addresses by win32::DriverBufferMapping.

#include <cstdint>
#include <span>

#include "platform/win32.h"

namespace platform {

// The mapped memory from `address` to the end of the mapping that holds it;
// empty when the address belongs to no mapping.
std::span<std::uint8_t> DriverMemoryAt(win32::DWORD address);

}  // namespace platform
