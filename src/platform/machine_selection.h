#pragma once
// Which machine the Win32 calls of win32.h reach.
//
// Unset VOLMENDER_MACHINE: the host. "\\.\PhysicalDriveN" is the N-th whole disk
// under /sys/block (sd*, nvme*n*, mmcblk*, vd*, in name order, then the loop
// devices attached to a file and writable; numbered when first seen, a disk
// keeps its number for the run and a number never passes to another disk),
// its geometry and size come from the kernel, the removable flag from
// /sys/block/X/removable. Each disk is opened once for the run (host_disk.h).
//
// VOLMENDER_MACHINE=/path/machine.txt: a described machine, a text file of lines
// (blank lines and text after '#' are ignored; image paths are relative to the
// file's folder unless absolute):
//
//   platform nt | 9x                 family reported by GetVersionExA (default nt)
//   driver int13ext                  9x only: "\\.\INT13EXT.VXD" can be loaded
//   screen WIDTH HEIGHT              answer of GetSystemMetrics (default: the GUI's)
//   drive N IMAGE [media=M] [geometry=C/H/S]
//                                    drive number N (PhysicalDriveN on nt, BIOS
//                                    number N for the 9x driver) backed by IMAGE;
//                                    M is the MEDIA_TYPE (default 12, FixedMedia);
//                                    the geometry defaults to 255 heads, 63 sectors
//                                    per track and as many whole cylinders as fit
//   letter L BYTES                   drive letter L: answers the size query with BYTES
//   fault open N                     opening drive N is refused (ERROR_ACCESS_DENIED)
//   fault read N SECTOR CODE         a read of drive N that covers SECTOR fails with
//                                    system error CODE
//   fault short N SECTOR             a read of drive N that covers SECTOR succeeds but
//                                    stops short where SECTOR begins
//   fault write N CODE               every write to drive N fails with error CODE
//   fault seek N CODE                every positioning of a handle on drive N fails
//                                    with error CODE
//   host NAME ADDRESS:PORT           HTTP connections to NAME go to ADDRESS:PORT
//                                    instead (tests point the update host at a
//                                    server of their own on 127.0.0.1)
//
// A read that runs past the end of an image delivers the bytes that exist and
// reports success with the shorter count, as a disk read past its end does.
// Nothing is ever written outside an image. Each image is opened once for the
// run; a drive whose image was deleted, replaced or cut short since no longer
// opens (kept_image.h).

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Makes the described machine in `path` the current one (tests and the demo).
// Throws std::runtime_error with a line number when the file cannot be read.
void UseDescribedMachine(const std::string& path);
// Goes back to the machine chosen by the environment (the host when unset).
// The programs call it first of all. When VOLMENDER_MACHINE names a file that
// cannot be read, returns "VOLMENDER_MACHINE: <why>" and no machine is current
// (CurrentMachine() then throws); nothing otherwise.
std::optional<std::string> UseMachineFromEnvironment();

// What the current machine was asked to do that leaves no trace on its disks,
// recorded so that tests can look at it.
struct Observations {
    std::vector<std::string> pagesOpened;       // ShellExecuteA: "verb|file|parameters|show"
    std::vector<std::string> deletedFiles;      // DeleteFileA names
    int workingSetTrims = 0;                    // SetProcessWorkingSetSize(-1, -1) calls
    std::vector<std::string> driverRequests;    // DeviceIoControl on the 9x driver: "code drive lba count"
};
Observations& CurrentObservations();

// Where the current machine sends HTTP connections for `host`: "ADDRESS:PORT"
// from a `host` line, or empty to resolve the name as usual.
std::string HostOverride(const std::string& host);

}  // namespace platform
