#pragma once
// Sending one request block to the Windows 9x sector driver held in VxdHandle.

#include "disk/d_api.h"

namespace d_api {

// True when the driver took the request; it answers only through the memory
// the block's Buffer addresses.
bool SendDriverRequest(win32::DWORD code, TVxdRequest& request);

}  // namespace d_api
