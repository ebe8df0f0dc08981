#pragma once
// The Windows error code that stands for a Linux errno value.

#include "platform/win32.h"

namespace platform {

// `transferFault` is the code for an I/O error: ERROR_READ_FAULT on a read,
// ERROR_WRITE_FAULT on a write.
win32::DWORD SystemErrorFromErrno(int error, win32::DWORD transferFault = win32::ERROR_READ_FAULT);

}  // namespace platform
