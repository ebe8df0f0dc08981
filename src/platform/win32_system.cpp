// The system calls that are not about files: the platform family, message
// boxes, drive sizes, web pages, the working set and the screen size.

#include <cctype>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/machine.h"
#include "platform/win32.h"

namespace win32 {
namespace {

constexpr DWORD VersionInfoSize = sizeof(OSVERSIONINFOA);
// GetCurrentProcess answers this pseudo-handle on Windows too.
HANDLE const CurrentProcessHandle = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
constexpr std::intptr_t ShellExecuteDone = 42;
constexpr std::intptr_t ShellExecuteNotFound = 2;

struct Handlers {
    MessageBoxHandler messageBox;
    ScreenSizeHandler screenSize;
};

Handlers& TheHandlers()
{
    static Handlers handlers;
    return handlers;
}

std::string TextOrEmpty(const char* text) { return text ? text : ""; }

}  // namespace

BOOL GetVersionExA(OSVERSIONINFOA* info)
{
    if (!info || info->dwOSVersionInfoSize != VersionInfoSize) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool nt = platform::CurrentMachine()->IsNtFamily();
    std::memset(info, 0, sizeof *info);
    info->dwOSVersionInfoSize = VersionInfoSize;
    info->dwMajorVersion = nt ? 5 : 4;
    info->dwMinorVersion = nt ? 1 : 10;
    info->dwBuildNumber = nt ? 2600 : 2222;
    info->dwPlatformId = nt ? VER_PLATFORM_WIN32_NT : VER_PLATFORM_WIN32_WINDOWS;
    return TRUE;
}

int MessageBoxA(HWND owner, const char* text, const char* caption, DWORD type)
{
    // A copy: the handler runs a modal loop, inside which another may be installed.
    MessageBoxHandler handler = TheHandlers().messageBox;
    if (handler) return handler(owner, text ? text : "", caption ? caption : "", type);
    std::cerr << TextOrEmpty(caption) << ": " << TextOrEmpty(text) << std::endl;
    return IDOK;
}

void SetMessageBoxHandler(MessageBoxHandler handler)
{
    TheHandlers().messageBox = std::move(handler);
}

void SetScreenSizeHandler(ScreenSizeHandler handler)
{
    TheHandlers().screenSize = std::move(handler);
}

int GetSystemMetrics(int index)
{
    if (std::optional<int> fixed = platform::CurrentMachine()->ScreenMetric(index)) return *fixed;
    ScreenSizeHandler handler = TheHandlers().screenSize;
    return handler ? handler(index) : 0;
}

// The root is a drive letter with its colon, as "C:\" or "C:".
BOOL GetDiskFreeSpaceExA(const char* rootPath, std::uint64_t* freeBytesToCaller, std::uint64_t* totalBytes,
                         std::uint64_t* totalFreeBytes)
{
    if (!rootPath || !std::isalpha(static_cast<unsigned char>(rootPath[0])) || rootPath[1] != ':') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(rootPath[0])));
    DWORD error = 0;
    std::optional<platform::DiskSpace> space = platform::CurrentMachine()->DriveSpace(letter, error);
    if (!space) {
        SetLastError(error);
        return FALSE;
    }
    if (freeBytesToCaller) *freeBytesToCaller = space->freeBytesToCaller;
    if (totalBytes) *totalBytes = space->totalBytes;
    if (totalFreeBytes) *totalFreeBytes = space->totalFreeBytes;
    return TRUE;
}

// The program named in `file` is the Windows browser; here the system's own
// opener shows the page in `parameters`.
std::intptr_t ShellExecuteA(HWND, const char* verb, const char* file, const char* parameters, const char*,
                            int showCommand)
{
    std::shared_ptr<platform::Machine> machine = platform::CurrentMachine();
    machine->observations().pagesOpened.push_back(TextOrEmpty(verb) + "|" + TextOrEmpty(file) + "|" +
                                                  TextOrEmpty(parameters) + "|" + std::to_string(showCommand));
    std::string page = parameters && *parameters ? parameters : TextOrEmpty(file);
    return machine->OpenPage(page) ? ShellExecuteDone : ShellExecuteNotFound;
}

HANDLE GetCurrentProcess() { return CurrentProcessHandle; }

// Both sizes -1 asks the system to give back what memory it can; no other
// working-set size is kept here.
BOOL SetProcessWorkingSetSize(HANDLE process, SIZE_T minimum, SIZE_T maximum)
{
    if (process != CurrentProcessHandle) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (minimum == static_cast<SIZE_T>(-1) && maximum == static_cast<SIZE_T>(-1)) {
        std::shared_ptr<platform::Machine> machine = platform::CurrentMachine();
        ++machine->observations().workingSetTrims;
        machine->TrimWorkingSet();
    }
    return TRUE;
}

}  // namespace win32
