#pragma once
// Whole transfers on a file descriptor at a byte offset: the kernel may move
// fewer bytes than asked in one call, or be interrupted by a signal.

#include <cstdint>

#include "platform/win32.h"

namespace platform {

// Reads until `length` bytes arrived or the file ends; `done` counts what
// arrived. Returns 0 or the Windows error code of the failure.
win32::DWORD ReadFullyAt(int fd, std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done);
// Writes all `length` bytes; `done` counts what reached the file.
win32::DWORD WriteFullyAt(int fd, std::uint64_t offset, const void* buffer, win32::DWORD length,
                          win32::DWORD& done);

}  // namespace platform
