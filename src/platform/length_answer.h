#pragma once
// The answer to IOCTL_DISK_GET_LENGTH_INFO, the same for every kind of drive
// device: the device's length in bytes, as the device itself knows it.

#include <cstdint>
#include <cstring>

#include "platform/win32.h"

namespace platform {

inline win32::DWORD AnswerLength(std::uint64_t bytes, void* out, win32::DWORD outSize, win32::DWORD& returned)
{
    returned = 0;
    if (!out || outSize < sizeof(win32::GET_LENGTH_INFO)) return win32::ERROR_INVALID_PARAMETER;
    const win32::GET_LENGTH_INFO answer{static_cast<std::int64_t>(bytes)};
    std::memcpy(out, &answer, sizeof answer);
    returned = sizeof answer;
    return 0;
}

}  // namespace platform
