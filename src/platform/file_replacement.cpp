#include "platform/file_replacement.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace platform {

namespace {

namespace fs = std::filesystem;

// The new file is named "<file>.part-<process id>-<attempt>": the process id
// tells a later replacement whether its writer may still be at work.
constexpr std::string_view TemporaryMark = ".part-";
// Names tried for the new file before giving up; another one exists only
// while another process writes the same name.
constexpr int TemporaryNameTries = 100;

fs::path FolderOf(const std::string& file)
{
    const fs::path parent = fs::path(file).parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

// The writer of a new file named "<prefix><pid>-<attempt>" is gone when no
// process has its id any more, or when the id is ours: this process is only
// starting to write the name, and its earlier replacements removed their new
// files, so one under its id is an earlier process's.
bool WriterIsGone(std::string_view name, std::string_view prefix)
{
    if (!name.starts_with(prefix)) return false;
    const std::string_view rest = name.substr(prefix.size());
    pid_t pid = 0;
    const auto [afterPid, error] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    if (error != std::errc() || pid <= 0 || afterPid == rest.data() + rest.size() || *afterPid != '-')
        return false;
    const std::string_view attempt(afterPid + 1, rest.data() + rest.size() - afterPid - 1);
    if (attempt.empty() || attempt.find_first_not_of("0123456789") != std::string_view::npos) return false;
    return pid == ::getpid() || (::kill(pid, 0) != 0 && errno == ESRCH);
}

// Removes the new files that replacements of `file` killed mid-write left.
void RemoveStaleTemporaries(const std::string& file)
{
    const std::string prefix = fs::path(file).filename().string() + std::string(TemporaryMark);
    std::error_code listing;
    for (fs::directory_iterator entry(FolderOf(file), listing), end; !listing && entry != end;
         entry.increment(listing)) {
        std::error_code ignored;  // a file that cannot be looked at or removed stays
        // Only plain files: a link or a folder under such a name is not ours.
        if (entry->is_symlink(ignored) || !entry->is_regular_file(ignored)) continue;
        if (WriterIsGone(entry->path().filename().string(), prefix)) fs::remove(entry->path(), ignored);
    }
}

// A new file of our own beside `file`, in its folder, so that the rename that
// follows stays on one file system. O_EXCL: never write into a file someone
// else made, nor through a link planted under the name; mode 0666 lets the
// umask decide, as for any new file.
int CreateBeside(const std::string& file, std::string& temporary)
{
    for (int attempt = 0; attempt < TemporaryNameTries; ++attempt) {
        temporary = file + std::string(TemporaryMark) + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// 0, or the error that kept the new name from reaching the disk.
int FlushFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

}  // namespace

ReplacementTarget ExamineReplacementTarget(const std::string& path)
{
    const ReplacementError notRegular{ReplacementFault::NotARegularFile, 0};
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return {false, {}, path};
    std::string file = path;
    if (S_ISLNK(info.st_mode)) {
        // What a link names must be a regular file; a dangling link is not.
        char real[PATH_MAX];
        if (::realpath(path.c_str(), real) == nullptr || ::stat(real, &info) != 0) return {true, notRegular, path};
        file = real;
    }
    // A folder cannot become a file: say so in the system's own words.
    if (S_ISDIR(info.st_mode)) return {true, {ReplacementFault::CannotCreate, EISDIR}, file};
    return {true, S_ISREG(info.st_mode) ? ReplacementError{} : notRegular, file};
}

FileReplacement::FileReplacement(const std::string& path)
{
    ReplacementTarget target = ExamineReplacementTarget(path);
    if (target.refusal) {
        error_ = target.refusal;
        return;
    }
    file_ = std::move(target.file);
    RemoveStaleTemporaries(file_);
    fd_ = CreateBeside(file_, temporary_);
    if (fd_ < 0) {
        error_ = {ReplacementFault::CannotCreate, errno};
        temporary_.clear();  // the name tried last is not ours
    }
}

FileReplacement::~FileReplacement()
{
    Discard();
}

bool FileReplacement::Append(std::span<const std::byte> bytes)
{
    while (Ready() && !bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        // Nothing written and no error: the disk takes no more, and trying
        // again would never end.
        if (written <= 0) {
            Fail(ReplacementFault::CannotWrite, written < 0 ? errno : ENOSPC);
            break;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return Ready();
}

bool FileReplacement::Commit()
{
    if (!Ready()) return false;
    // fsync reports the write errors a full or failing disk holds back until then.
    int error = ::fsync(fd_) == 0 ? 0 : errno;
    if (::close(fd_) != 0 && error == 0) error = errno;
    fd_ = -1;
    if (error == 0 && std::rename(temporary_.c_str(), file_.c_str()) != 0) error = errno;
    if (error != 0) {
        Fail(ReplacementFault::CannotWrite, error);
        return false;
    }
    temporary_.clear();
    if (const int folderError = FlushFolder(FolderOf(file_))) {
        error_ = {ReplacementFault::CannotWrite, folderError};
        return false;
    }
    return true;
}

void FileReplacement::Fail(ReplacementFault fault, int errorNumber)
{
    error_ = {fault, errorNumber};
    Discard();
}

void FileReplacement::Discard()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

}  // namespace platform
