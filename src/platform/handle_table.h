#pragma once
// The open handles of the process. A handle keeps its device, the machine the
// device belongs to, the access it was opened with and its file position.

#include <cstdint>
#include <memory>

#include "platform/machine.h"
#include "platform/win32.h"

namespace platform {

struct OpenHandle {
    std::shared_ptr<Machine> machine;
    std::shared_ptr<Device> device;
    win32::DWORD access = 0;
    std::uint64_t position = 0;
};

win32::HANDLE AddHandle(std::shared_ptr<OpenHandle> entry);
// nullptr for a handle that is not open.
std::shared_ptr<OpenHandle> FindHandle(win32::HANDLE handle);
bool RemoveHandle(win32::HANDLE handle);

}  // namespace platform
