#include "platform/system_errors.h"

#include <cerrno>

namespace platform {

win32::DWORD SystemErrorFromErrno(int error, win32::DWORD transferFault)
{
    switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return win32::ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
        return win32::ERROR_ACCESS_DENIED;
    case ENOMEDIUM:
        return win32::ERROR_NOT_READY;
    case EINVAL:
        return win32::ERROR_INVALID_PARAMETER;
    case ENOSPC:
        return win32::ERROR_SECTOR_NOT_FOUND;
    case EBADF:
        return win32::ERROR_INVALID_HANDLE;
    case EIO:
    default:
        return transferFault;
    }
}

}  // namespace platform
