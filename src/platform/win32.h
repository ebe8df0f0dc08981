#pragma once
// The subset of the Win32 interface that the disk layer and the windows call,
// declared here with the values Windows gives its constants. Behind every call
// stands the current Machine (machine.h): the host's own disks, or a machine
// described in a small text file whose path is in VOLMENDER_MACHINE.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace win32 {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
using HANDLE = void*;
using HWND = void*;
using SIZE_T = std::size_t;

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

// CreateFileA
constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD FILE_SHARE_READ = 1;
constexpr DWORD FILE_SHARE_WRITE = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_FLAG_WRITE_THROUGH = 0x80000000;
constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000;

// SetFilePointer
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;

// DeviceIoControl
constexpr DWORD IOCTL_DISK_GET_DRIVE_GEOMETRY = 0x70000;
constexpr DWORD IOCTL_DISK_GET_LENGTH_INFO = 0x0007405C;

// GetVersionExA
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

// MessageBoxA
constexpr DWORD MB_OK = 0x00;
constexpr DWORD MB_ICONERROR = 0x10;
constexpr DWORD MB_ICONWARNING = 0x30;
constexpr DWORD MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;

// ShellExecuteA
constexpr int SW_SHOWMAXIMIZED = 3;

// GetSystemMetrics
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;

// System error codes the machines report.
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_NOT_READY = 21;
constexpr DWORD ERROR_CRC = 23;
constexpr DWORD ERROR_SECTOR_NOT_FOUND = 27;
constexpr DWORD ERROR_WRITE_FAULT = 29;
constexpr DWORD ERROR_READ_FAULT = 30;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_NEGATIVE_SEEK = 131;
constexpr DWORD ERROR_INVALID_FUNCTION = 1;

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148);

// MEDIA_TYPE values of DISK_GEOMETRY that the drive-parameter query names.
constexpr DWORD Unknown = 0;
constexpr DWORD F5_1Pt2_512 = 1;
constexpr DWORD F5_160_512 = 10;
constexpr DWORD RemovableMedia = 11;
constexpr DWORD FixedMedia = 12;
constexpr DWORD F3_120M_512 = 13;
constexpr DWORD F8_256_128 = 22;
constexpr DWORD F3_200Mb_512 = 23;

#pragma pack(push, 4)
struct DISK_GEOMETRY {
    std::int64_t Cylinders;
    DWORD MediaType;
    DWORD TracksPerCylinder;
    DWORD SectorsPerTrack;
    DWORD BytesPerSector;
};
#pragma pack(pop)
static_assert(sizeof(DISK_GEOMETRY) == 24);

// The answer of IOCTL_DISK_GET_LENGTH_INFO: the device's exact length in
// bytes, where the geometry's product may fall short by up to a cylinder.
struct GET_LENGTH_INFO {
    std::int64_t Length;
};
static_assert(sizeof(GET_LENGTH_INFO) == 8);

HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode, void* securityAttributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
DWORD SetFilePointer(HANDLE file, LONG distanceLow, LONG* distanceHigh, DWORD moveMethod);
BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void* overlapped);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, void* overlapped);
BOOL CloseHandle(HANDLE object);
BOOL DeviceIoControl(HANDLE device, DWORD controlCode, void* inBuffer, DWORD inSize, void* outBuffer,
                     DWORD outSize, DWORD* bytesReturned, void* overlapped);
DWORD GetLastError();
void SetLastError(DWORD error);
BOOL GetVersionExA(OSVERSIONINFOA* info);
BOOL DeleteFileA(const char* fileName);
int MessageBoxA(HWND owner, const char* text, const char* caption, DWORD type);
BOOL GetDiskFreeSpaceExA(const char* rootPath, std::uint64_t* freeBytesToCaller, std::uint64_t* totalBytes,
                         std::uint64_t* totalFreeBytes);
// Returns a value above 32 on success, as Windows does.
std::intptr_t ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* directory, int showCommand);
HANDLE GetCurrentProcess();
BOOL SetProcessWorkingSetSize(HANDLE process, SIZE_T minimum, SIZE_T maximum);
int GetSystemMetrics(int index);

// Message boxes are drawn by the GUI layer: it installs the function that shows
// them. Without one, the text goes to standard error and the box answers IDOK.
using MessageBoxHandler = std::function<int(HWND owner, const char* text, const char* caption, DWORD type)>;
void SetMessageBoxHandler(MessageBoxHandler handler);

// The screen size comes from the GUI layer too (a described machine may fix it).
using ScreenSizeHandler = std::function<int(int index)>;
void SetScreenSizeHandler(ScreenSizeHandler handler);

// The Windows 9x sector driver takes 32-bit linear addresses in its request
// block. A process here has 64-bit pointers, so a buffer handed to the driver
// is first given a 32-bit address in the driver's own table; the mapping holds
// for the lifetime of this object, and the driver refuses addresses it does
// not know or writes that would pass the mapped length.
class DriverBufferMapping {
public:
    DriverBufferMapping(void* buffer, DWORD length);
    ~DriverBufferMapping();
    DriverBufferMapping(const DriverBufferMapping&) = delete;
    DriverBufferMapping& operator=(const DriverBufferMapping&) = delete;
    DWORD address() const { return address_; }

private:
    DWORD address_;
};

}  // namespace win32
