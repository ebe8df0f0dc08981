// The platform test, the start-up of the layer and its exit procedure.

#include "disk/d_api.h"
#include "disk/flavour.h"

namespace d_api {
namespace {

constexpr const char* NotSupportedNotice = "不支持windows98以及以下系统！";
constexpr const char* DriverFile = "\\\\.\\INT13EXT.VXD";
constexpr const char* DriverDevice = "\\\\.\\INT13EXT";
constexpr const char* DriverLoadFailure = "Error loading \"INT13EXT.VXD\"";
constexpr const char* DriverLoadCaption = "Error";

DApiFlavour flavour = DApiFlavour::Volmender;
ExitProc savedExitProc = nullptr;

}  // namespace

// The Windows NT road is the one that works before the start-up has run.
bool IsNT = true;
win32::HANDLE VxdHandle = win32::INVALID_HANDLE_VALUE;

DApiFlavour CurrentFlavour() { return flavour; }

bool IsWinNT()
{
    win32::OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    return win32::GetVersionExA(&info) != win32::FALSE && info.dwPlatformId == win32::VER_PLATFORM_WIN32_NT;
}

bool DApiInit(DApiFlavour programFlavour, const std::function<void(const std::string&)>& plainMessage)
{
    flavour = programFlavour;
    // Chaining the exit procedure a second time would make it its own successor.
    if (ExitProcSlot() != DApiExitProc) {
        savedExitProc = ExitProcSlot();
        ExitProcSlot() = DApiExitProc;
    }
    VxdHandle = win32::INVALID_HANDLE_VALUE;
    IsNT = IsWinNT();
    if (IsNT) return true;

    if (flavour == DApiFlavour::Volmender) {
        if (plainMessage) plainMessage(NotSupportedNotice);
        return true;
    }
    VxdHandle = win32::CreateFileA(DriverFile, 0, 0, nullptr, 0, win32::FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (VxdHandle != win32::INVALID_HANDLE_VALUE) return true;
    win32::MessageBoxA(nullptr, DriverLoadFailure, DriverLoadCaption, win32::MB_OK | win32::MB_ICONWARNING);
    return false;
}

// The driver's handle is left for the system to close at process end; deleting
// the device name is what unloads a dynamically loaded driver.
void DApiExitProc()
{
    ExitProcSlot() = savedExitProc;
    if (!IsNT && VxdHandle != win32::INVALID_HANDLE_VALUE) win32::DeleteFileA(DriverDevice);
}

ExitProc& ExitProcSlot()
{
    static ExitProc slot = nullptr;
    return slot;
}

void RunExitProcs()
{
    while (ExitProc procedure = ExitProcSlot()) {
        ExitProcSlot() = nullptr;
        procedure();
    }
}

}  // namespace d_api
