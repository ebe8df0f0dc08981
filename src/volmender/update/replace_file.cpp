#include "volmender/update/replace_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace update {

namespace {

// Names tried for the file beside `path` before giving up; another one exists
// only when an earlier run was killed mid-write or another copy runs now.
constexpr int kTemporaryNameTries = 100;

// Opens a file of our own next to `path` (same directory, so the rename that
// follows cannot cross file systems). O_EXCL: never write into a file that
// someone else made. Mode 0666 lets the umask decide, as for any new file.
int CreateTemporaryBeside(const std::string& path, std::string& temporaryName) {
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        temporaryName = path + ".part-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
        const int fd = open(temporaryName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool WriteAll(int fd, const std::string& bytes) {
    const char* next = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = write(fd, next, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        next += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

bool ReplaceFile(const std::string& path, const std::string& bytes) {
    std::string temporaryName;
    const int fd = CreateTemporaryBeside(path, temporaryName);
    if (fd < 0) return false;
    // fsync reports the write errors a full or failing disk holds back until then.
    const bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (written && closed && std::rename(temporaryName.c_str(), path.c_str()) == 0) return true;
    unlink(temporaryName.c_str());
    return false;
}

}  // namespace update
