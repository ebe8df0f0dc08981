// The file and device calls: each finds its handle, checks what Windows
// checks, and hands the transfer to the handle's device.

#include "platform/handle_table.h"
#include "platform/machine.h"
#include "platform/win32.h"

namespace win32 {
namespace {

thread_local DWORD lastError = 0;

BOOL Fail(DWORD error)
{
    lastError = error;
    return FALSE;
}

DWORD FailPosition(DWORD error)
{
    lastError = error;
    return INVALID_SET_FILE_POINTER;
}

// A control code carries the access its handle needs in bits 14 and 15, as
// Windows checks it: none (the geometry), read (the length), write, or both.
bool HasAccessFor(DWORD controlCode, DWORD handleAccess)
{
    constexpr DWORD ReadAccess = 1, WriteAccess = 2;
    const DWORD needed = (controlCode >> 14) & 3;
    return (!(needed & ReadAccess) || (handleAccess & GENERIC_READ)) &&
           (!(needed & WriteAccess) || (handleAccess & GENERIC_WRITE));
}

}  // namespace

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD error) { lastError = error; }

HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD, void*, DWORD, DWORD, HANDLE)
{
    if (!fileName) {
        lastError = ERROR_INVALID_PARAMETER;
        return INVALID_HANDLE_VALUE;
    }
    std::shared_ptr<platform::Machine> machine = platform::CurrentMachine();
    DWORD error = 0;
    std::shared_ptr<platform::Device> device = machine->Open(fileName, desiredAccess, error);
    if (!device) {
        lastError = error ? error : ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    auto entry = std::make_shared<platform::OpenHandle>();
    entry->machine = std::move(machine);
    entry->device = std::move(device);
    entry->access = desiredAccess;
    lastError = 0;
    return platform::AddHandle(std::move(entry));
}

DWORD SetFilePointer(HANDLE file, LONG distanceLow, LONG* distanceHigh, DWORD moveMethod)
{
    std::shared_ptr<platform::OpenHandle> entry = platform::FindHandle(file);
    if (!entry) return FailPosition(ERROR_INVALID_HANDLE);
    if (moveMethod != FILE_BEGIN) return FailPosition(ERROR_INVALID_PARAMETER);
    // Without a high half the low half is a signed distance, as on Windows.
    std::int64_t offset = distanceHigh ? static_cast<std::int64_t>(static_cast<std::uint64_t>(*distanceHigh) << 32 |
                                                                   static_cast<std::uint32_t>(distanceLow))
                                       : distanceLow;
    if (offset < 0) return FailPosition(ERROR_NEGATIVE_SEEK);
    if (DWORD error = entry->device->CheckPosition(static_cast<std::uint64_t>(offset))) return FailPosition(error);
    entry->position = static_cast<std::uint64_t>(offset);
    if (distanceHigh) *distanceHigh = static_cast<LONG>(offset >> 32);
    lastError = 0;
    return static_cast<DWORD>(offset);
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void* overlapped)
{
    if (bytesRead) *bytesRead = 0;
    std::shared_ptr<platform::OpenHandle> entry = platform::FindHandle(file);
    if (!entry) return Fail(ERROR_INVALID_HANDLE);
    if (overlapped || (!buffer && bytesToRead)) return Fail(ERROR_INVALID_PARAMETER);
    if (!(entry->access & GENERIC_READ)) return Fail(ERROR_ACCESS_DENIED);
    DWORD done = 0;
    if (DWORD error = entry->device->ReadAt(entry->position, buffer, bytesToRead, done)) return Fail(error);
    entry->position += done;
    if (bytesRead) *bytesRead = done;
    return TRUE;
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, void* overlapped)
{
    if (bytesWritten) *bytesWritten = 0;
    std::shared_ptr<platform::OpenHandle> entry = platform::FindHandle(file);
    if (!entry) return Fail(ERROR_INVALID_HANDLE);
    if (overlapped || (!buffer && bytesToWrite)) return Fail(ERROR_INVALID_PARAMETER);
    if (!(entry->access & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED);
    DWORD done = 0;
    DWORD error = entry->device->WriteAt(entry->position, buffer, bytesToWrite, done);
    entry->position += done;
    if (bytesWritten) *bytesWritten = done;
    if (error) return Fail(error);
    return TRUE;
}

BOOL CloseHandle(HANDLE object)
{
    return platform::RemoveHandle(object) ? TRUE : Fail(ERROR_INVALID_HANDLE);
}

BOOL DeviceIoControl(HANDLE device, DWORD controlCode, void* inBuffer, DWORD inSize, void* outBuffer, DWORD outSize,
                     DWORD* bytesReturned, void* overlapped)
{
    if (bytesReturned) *bytesReturned = 0;
    std::shared_ptr<platform::OpenHandle> entry = platform::FindHandle(device);
    if (!entry) return Fail(ERROR_INVALID_HANDLE);
    if (overlapped) return Fail(ERROR_INVALID_PARAMETER);
    if (!HasAccessFor(controlCode, entry->access)) return Fail(ERROR_ACCESS_DENIED);
    DWORD returned = 0;
    DWORD error = entry->device->Control(controlCode, inBuffer, inSize, outBuffer, outSize, returned);
    if (bytesReturned) *bytesReturned = returned;
    return error ? Fail(error) : TRUE;
}

BOOL DeleteFileA(const char* fileName)
{
    if (!fileName) return Fail(ERROR_INVALID_PARAMETER);
    std::shared_ptr<platform::Machine> machine = platform::CurrentMachine();
    machine->observations().deletedFiles.push_back(fileName);
    DWORD error = machine->Delete(fileName);
    return error ? Fail(error) : TRUE;
}

}  // namespace win32
