#include "repair/sector_backup.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <span>
#include <string>

#include "disk/d_api.h"
#include "repair/repair_texts.h"

namespace repair {

namespace {

std::string SystemErrorText(int error) { return std::strerror(error); }

// Writes the file in full and flushes it to its disk before the repair goes
// on to overwrite the sector. Returns the error message, or nothing.
std::optional<std::string> SaveSectorFile(const std::string& path, std::span<const std::uint8_t> sector)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return "Cannot create file \"" + path + "\". " + SystemErrorText(errno);

    std::size_t written = 0;
    int error = 0;
    while (written < sector.size()) {
        const ssize_t n = ::write(fd, sector.data() + written, sector.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0) return std::nullopt;

    // A truncated backup would pass for a good one later; leave none.
    ::unlink(path.c_str());
    return "Cannot write file \"" + path + "\". " + SystemErrorText(error);
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
    const std::optional<std::string> chosen = host.AskSaveFileName();
    if (!chosen) return BackupOutcome::NothingSaved;

    // The suffix is appended every time, also to a name that already ends in it.
    const std::string path = *chosen + ".dat";
    if (const auto error = SaveSectorFile(path, state.SectorBuf)) {
        host.ShowError(*error);
        return BackupOutcome::Failed;
    }
    return BackupOutcome::Saved;
}

}  // namespace repair
