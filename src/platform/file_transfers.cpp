#include "platform/file_transfers.h"

#include <unistd.h>

#include <cerrno>

#include "platform/system_errors.h"

namespace platform {

win32::DWORD ReadFullyAt(int fd, std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done)
{
    done = 0;
    auto* bytes = static_cast<char*>(buffer);
    while (done < length) {
        ssize_t got = ::pread(fd, bytes + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return SystemErrorFromErrno(errno);
        if (got == 0) break;  // the end of the file or disk
        done += static_cast<win32::DWORD>(got);
    }
    return 0;
}

win32::DWORD WriteFullyAt(int fd, std::uint64_t offset, const void* buffer, win32::DWORD length,
                          win32::DWORD& done)
{
    done = 0;
    const auto* bytes = static_cast<const char*>(buffer);
    while (done < length) {
        ssize_t put = ::pwrite(fd, bytes + done, length - done, static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return SystemErrorFromErrno(put < 0 ? errno : EIO, win32::ERROR_WRITE_FAULT);
        done += static_cast<win32::DWORD>(put);
    }
    return 0;
}

}  // namespace platform
