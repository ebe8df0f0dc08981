#pragma once
// What befell the repair under way besides its findings: the sectors it could
// not read, and whether it must end at once because its drive is gone or its
// window was closed. The repair's reader keeps it, and clears it when a repair
// starts and when it ends.

#include <cstdint>
#include <map>
#include <string>

namespace repair {

enum class RepairStop {
    None,
    DriveGone,     // the drive can no longer be opened (unplugged)
    WindowClosed,  // the user closed the window; the program ends after the repair
};

class RepairRun {
public:
    // Nothing unreadable, no stop.
    void Clear();

    // The repair must end at once and write nothing. The first reason stays.
    void Stop(RepairStop reason);
    bool Stopped() const { return stop_ != RepairStop::None; }
    RepairStop StopReason() const { return stop_; }

    // Sectors `first` to `first + sectors - 1` could not be read. A sector
    // counts once, however often the repair tried it.
    void NoteUnreadable(std::uint32_t first, std::uint32_t sectors);
    std::uint64_t UnreadableSectors() const;
    // True when a sector from `first` to `first + sectors - 1` could not be
    // read.
    bool AnyUnreadable(std::uint64_t first, std::uint64_t sectors) const;

    // `message` as the repair's last message: when sectors could not be read,
    // a line that says how many follows it.
    std::string LastMessage(const char* message) const;

private:
    RepairStop stop_ = RepairStop::None;
    // Runs of unreadable sectors, first sector -> one past the last; they
    // neither overlap nor touch.
    std::map<std::uint64_t, std::uint64_t> unreadable_;
};

}  // namespace repair
