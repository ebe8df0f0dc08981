#include "volmender/update/replace_file.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace update {

namespace {

// The new file is named "<path>.part-<process id>-<attempt>": the process id
// tells a later run whether its writer may still be at work.
const std::string kTemporaryMark = ".part-";
// Names tried for the file beside `path` before giving up; another one exists
// only when another copy of the program writes it now.
constexpr int kTemporaryNameTries = 100;

std::string TemporaryPrefix(const std::string& path) {
    return std::filesystem::path(path).filename().string() + kTemporaryMark;
}

// Opens a file of our own next to `path` (same directory, so the rename that
// follows cannot cross file systems). O_EXCL: never write into a file that
// someone else made. Mode 0666 lets the umask decide, as for any new file.
int CreateTemporaryBeside(const std::string& path, std::string& temporaryName) {
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        temporaryName = path + kTemporaryMark + std::to_string(getpid()) + "-" + std::to_string(attempt);
        const int fd = open(temporaryName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The writer of a temporary name "<prefix><pid>-<attempt>" is gone when no
// process has its id any more, or when the id is ours: this run has not
// started writing yet, so a file under its id is an earlier run's.
bool WriterIsGone(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix)) return false;
    const std::string_view rest = name.substr(prefix.size());
    pid_t pid = 0;
    const auto [afterPid, error] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    if (error != std::errc() || pid <= 0 || afterPid == rest.data() + rest.size() || *afterPid != '-')
        return false;
    const std::string_view attempt(afterPid + 1, rest.data() + rest.size() - afterPid - 1);
    if (attempt.empty() || attempt.find_first_not_of("0123456789") != std::string_view::npos) return false;
    return pid == getpid() || (kill(pid, 0) != 0 && errno == ESRCH);
}

}  // namespace

FileReplacement::FileReplacement(std::string path) : path_(std::move(path)) {
    fd_ = CreateTemporaryBeside(path_, temporaryName_);
}

FileReplacement::~FileReplacement() {
    Discard();
}

bool FileReplacement::Append(std::string_view bytes) {
    while (Ready() && !bytes.empty()) {
        const ssize_t written = write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            Discard();
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return Ready();
}

bool FileReplacement::Commit() {
    if (!Ready()) return false;
    // fsync reports the write errors a full or failing disk holds back until then.
    const bool written = fsync(fd_) == 0;
    const bool closed = close(fd_) == 0;
    fd_ = -1;
    if (written && closed && std::rename(temporaryName_.c_str(), path_.c_str()) == 0) {
        temporaryName_.clear();
        return true;
    }
    Discard();
    return false;
}

void FileReplacement::Discard() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (!temporaryName_.empty()) unlink(temporaryName_.c_str());
    temporaryName_.clear();
}

void RemoveStaleTemporaries(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(path).has_parent_path() ? fs::path(path).parent_path() : fs::path(".");
    const std::string prefix = TemporaryPrefix(path);
    std::error_code listing;
    for (fs::directory_iterator entry(folder, listing), end; !listing && entry != end; entry.increment(listing)) {
        std::error_code ignored;  // a file that cannot be looked at or removed stays
        // Only plain files: a link or a folder under such a name is not ours.
        if (entry->is_symlink(ignored) || !entry->is_regular_file(ignored)) continue;
        if (WriterIsGone(entry->path().filename().string(), prefix)) fs::remove(entry->path(), ignored);
    }
}

}  // namespace update
