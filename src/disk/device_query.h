#pragma once
// One query of a physical-drive device on the Windows NT family: a handle
// opened with the access the request needs (none for the geometry, read for
// the length), one request, the handle closed again. Nothing is kept between
// queries, so a drive plugged in or removed is seen at the next one.

#include <cstdint>

#include "disk/d_api.h"

namespace d_api {

// True when the device answered `code` by filling all `size` bytes of `answer`;
// otherwise GetLastError tells why the open or the request failed.
inline bool QueryDriveDevice(std::uint8_t drive, win32::DWORD access, win32::DWORD code, void* answer,
                             win32::DWORD size)
{
    win32::HANDLE device = win32::CreateFileA(DeviceName(drive).c_str(), access,
                                              win32::FILE_SHARE_READ | win32::FILE_SHARE_WRITE, nullptr,
                                              win32::OPEN_EXISTING, 0, nullptr);
    if (device == win32::INVALID_HANDLE_VALUE) return false;
    win32::DWORD returned = 0;
    const bool answered =
        win32::DeviceIoControl(device, code, nullptr, 0, answer, size, &returned, nullptr) != win32::FALSE;
    const win32::DWORD error = win32::GetLastError();
    win32::CloseHandle(device);
    win32::SetLastError(error);
    return answered && returned == size;
}

}  // namespace d_api
