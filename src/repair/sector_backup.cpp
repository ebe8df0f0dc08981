#include "repair/sector_backup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>

#include "disk/d_api.h"
#include "repair/repair_texts.h"

namespace repair {

namespace {

// Names tried for the new file beside the backup before giving up; another
// one exists only when an earlier run was killed while saving.
constexpr int TemporaryNameTries = 100;

std::string SystemErrorText(int error) { return std::strerror(error); }

std::string CannotCreate(const std::string& path, const std::string& reason)
{
    return "Cannot create file \"" + path + "\". " + reason;
}

std::string CannotWrite(const std::string& path, int error)
{
    return "Cannot write file \"" + path + "\". " + SystemErrorText(error);
}

// What stands under a chosen name now.
struct Target {
    bool exists = false;
    bool regular = false;
    // The file to replace: the name itself, or the file a link names, so
    // that the link stays as the user made it.
    std::string file;
};

Target Examine(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return {false, false, path};
    if (!S_ISLNK(info.st_mode)) return {true, S_ISREG(info.st_mode), path};
    // A link: what it names must be a regular file (a dangling link is not).
    char real[PATH_MAX];
    if (::realpath(path.c_str(), real) == nullptr || ::stat(real, &info) != 0) return {true, false, path};
    return {true, S_ISREG(info.st_mode), real};
}

std::string FolderOf(const std::string& file)
{
    const std::size_t slash = file.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

// A new file of our own beside `file`, in its folder, so that the rename that
// follows stays on one file system. O_EXCL: never write into a file someone
// else made; mode 0666 lets the umask decide, as for any new file.
int CreateBeside(const std::string& file, std::string& temporary)
{
    for (int attempt = 0; attempt < TemporaryNameTries; ++attempt) {
        temporary = file + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// 0, or the error that kept the bytes from reaching the disk in full.
int WriteAndFlush(int fd, std::span<const std::uint8_t> bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : ENOSPC;
        written += static_cast<std::size_t>(n);
    }
    // fsync reports the write errors a full or failing disk holds back until then.
    return ::fsync(fd) == 0 ? 0 : errno;
}

// The new name must be on disk too before the repair overwrites the sector.
int FlushFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

// Saves the sector as `target`: the bytes go to a new file beside it, which
// takes the name only once all of them are on disk, so a failure at any point
// leaves an earlier file of that name as it was. Returns the error message,
// or nothing.
std::optional<std::string> SaveSectorFile(const std::string& path, const Target& target,
                                          std::span<const std::uint8_t> sector)
{
    std::string temporary;
    const int fd = CreateBeside(target.file, temporary);
    if (fd < 0) return CannotCreate(path, SystemErrorText(errno));
    int error = WriteAndFlush(fd, sector);
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && std::rename(temporary.c_str(), target.file.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return CannotWrite(path, error);
    }
    if (const int folderError = FlushFolder(FolderOf(target.file))) return CannotWrite(path, folderError);
    return std::nullopt;
}

}  // namespace

bool ReadSectorAt(RepairState& state, RepairHost& host, std::uint32_t sector)
{
    if (d_api::ReadSectors(state.Drive(), sector, 1, state.SectorBuf.data())) return true;
    // A repair whose drive is gone says so once, as it ends.
    if (!state.Run.Stopped()) host.ShowInformation(texts::ReadError);
    return false;
}

BackupOutcome BackupSector(RepairState& state, RepairHost& host, std::uint32_t sector)
{
    if (!ReadSectorAt(state, host, sector)) {
        if (!state.Run.Stopped()) host.ShowMessage(texts::BackupImpossible);
        return BackupOutcome::NothingSaved;
    }
    host.ShowMessage(texts::PleaseBackUp);
    for (;;) {
        const std::optional<std::string> chosen = host.AskSaveFileName();
        if (!chosen) return BackupOutcome::NothingSaved;

        // The suffix is appended every time, also to a name that already ends
        // in it; so the dialog never sees the file that is to be replaced, and
        // the question is asked here.
        const std::string path = *chosen + ".dat";
        const Target target = Examine(path);
        // A device or a pipe would take the bytes somewhere else, or block
        // the program for ever.
        if (target.exists && !target.regular) {
            host.ShowError(CannotCreate(path, texts::NotARegularFile));
            return BackupOutcome::Failed;
        }
        if (target.exists && !host.AskYesNo("\"" + path + "\"" + texts::ReplaceBackupQuestion)) continue;

        if (const auto error = SaveSectorFile(path, target, state.SectorBuf)) {
            host.ShowError(*error);
            return BackupOutcome::Failed;
        }
        return BackupOutcome::Saved;
    }
}

}  // namespace repair
