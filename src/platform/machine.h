#pragma once
// What stands behind the Win32 calls of win32.h: the host, or a machine
// described in a text file (machine_selection.h). The calls themselves keep
// the handle table, the file positions and the access checks; a machine only
// opens its devices and answers the queries that are its own.
//
// Every call of win32.h, and so all disk I/O, is made on one thread: the GUI
// thread of the programs (the update download and the busy animation run on
// it too), the test's own thread in the tests. Nothing in this layer is
// locked; the only other thread it starts collects an opened browser's exit.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/machine_selection.h"
#include "platform/win32.h"

namespace platform {

// One opened device: a physical drive or the Windows 9x sector driver. Every
// operation returns 0 on success or the system error code of its failure.
class Device {
public:
    virtual ~Device() = default;
    // Asked before a handle is positioned; a device may refuse the move.
    virtual win32::DWORD CheckPosition(std::uint64_t offset) = 0;
    // Reads up to `length` bytes at `offset`; `done` is what was delivered.
    // Each device reaches `buffer` only when the read succeeds: a read that
    // fails leaves it as it was, which ReadFile promises its caller.
    virtual win32::DWORD ReadAt(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done) = 0;
    // Writes all `length` bytes at `offset` or, on failure, as few as possible.
    virtual win32::DWORD WriteAt(std::uint64_t offset, const void* buffer, win32::DWORD length,
                                 win32::DWORD& done) = 0;
    virtual win32::DWORD Control(win32::DWORD code, const void* in, win32::DWORD inSize, void* out,
                                 win32::DWORD outSize, win32::DWORD& returned) = 0;
};

struct DiskSpace {
    std::uint64_t freeBytesToCaller = 0;
    std::uint64_t totalBytes = 0;
    std::uint64_t totalFreeBytes = 0;
};

class Machine {
public:
    virtual ~Machine() = default;

    virtual bool IsNtFamily() const = 0;
    // The device behind `name`, or nullptr with `error` set.
    virtual std::shared_ptr<Device> Open(const std::string& name, win32::DWORD desiredAccess, win32::DWORD& error) = 0;
    // 0 when the name was deleted (here: a driver unloaded), else the error.
    virtual win32::DWORD Delete(const std::string& name) = 0;
    virtual std::optional<DiskSpace> DriveSpace(char letter, win32::DWORD& error) = 0;
    // Shows a web page; false when nothing could be started.
    virtual bool OpenPage(const std::string& address) = 0;
    virtual void TrimWorkingSet() = 0;
    // The machine's own screen size, when it fixes one.
    virtual std::optional<int> ScreenMetric(int index) const = 0;
    virtual std::string HostOverride(const std::string& host) const = 0;

    Observations& observations() { return observations_; }

private:
    Observations observations_;
};

// The machine the Win32 calls reach now (kept alive by the caller's copy).
// Chosen by the environment when none is yet; throws std::runtime_error
// "VOLMENDER_MACHINE: <why>" when the file it names cannot be read.
std::shared_ptr<Machine> CurrentMachine();

}  // namespace platform
