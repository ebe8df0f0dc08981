#include "repair/sector_backup.h"

#include <cstring>
#include <optional>
#include <span>
#include <string>

#include "disk/d_api.h"
#include "platform/file_replacement.h"
#include "repair/repair_texts.h"

namespace repair {

namespace {

// The application's error box text for a backup that could not be saved.
std::string ErrorText(const std::string& path, const platform::ReplacementError& error)
{
    using platform::ReplacementFault;
    if (error.fault == ReplacementFault::NotARegularFile)
        return "Cannot create file \"" + path + "\". " + texts::NotARegularFile;
    const std::string verb = error.fault == ReplacementFault::CannotCreate ? "create" : "write";
    return "Cannot " + verb + " file \"" + path + "\". " + std::strerror(error.errorNumber);
}

// A repair whose drive is gone says so once, as it ends.
bool ToldWhenUnread(bool read, const RepairState& state, RepairHost& host)
{
    if (!read && !state.Reader.Run().Stopped()) host.ShowInformation(texts::ReadError);
    return read;
}

}  // namespace

bool ReadSectorAt(RepairState& state, RepairHost& host, std::uint32_t sector)
{
    return ToldWhenUnread(d_api::ReadSectors(state.Drive(), sector, 1, state.SectorBuf.data()), state, host);
}

BackupOutcome BackupSector(RepairState& state, RepairHost& host, std::uint32_t sector)
{
    if (!ToldWhenUnread(state.Reader.ReadSector(sector, state.SectorBuf), state, host)) {
        if (!state.Reader.Run().Stopped()) host.ShowMessage(texts::BackupImpossible);
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
        const platform::ReplacementTarget target = platform::ExamineReplacementTarget(path);
        if (target.refusal) {
            host.ShowError(ErrorText(path, target.refusal));
            return BackupOutcome::Failed;
        }
        if (target.exists && !host.AskYesNo("\"" + path + "\"" + texts::ReplaceBackupQuestion)) continue;

        platform::FileReplacement file(path);
        if (!file.Append(std::as_bytes(std::span(state.SectorBuf))) || !file.Commit()) {
            host.ShowError(ErrorText(path, file.Error()));
            return BackupOutcome::Failed;
        }
        return BackupOutcome::Saved;
    }
}

}  // namespace repair
