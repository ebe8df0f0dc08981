#include "repair/repair_run.h"

#include <algorithm>

namespace repair {

namespace {

constexpr const char* UnreadableBefore = "\n共有";
constexpr const char* UnreadableAfter = "个扇区无法读取！";

}  // namespace

void RepairRun::Clear()
{
    stop_ = RepairStop::None;
    unreadable_.clear();
}

void RepairRun::Stop(RepairStop reason)
{
    if (stop_ == RepairStop::None) stop_ = reason;
}

// The directory search reads Blocks that overlap one another and the FAT
// search reads again sectors the directory search has read: a sector is
// counted once, so runs that overlap or touch are merged into one.
void RepairRun::NoteUnreadable(std::uint32_t first, std::uint32_t sectors)
{
    if (sectors == 0) return;
    std::uint64_t begin = first;
    std::uint64_t end = begin + sectors;
    auto run = unreadable_.upper_bound(begin);
    if (run != unreadable_.begin() && std::prev(run)->second >= begin) --run;
    while (run != unreadable_.end() && run->first <= end) {
        begin = std::min(begin, run->first);
        end = std::max(end, run->second);
        run = unreadable_.erase(run);
    }
    unreadable_.emplace(begin, end);
}

std::uint64_t RepairRun::UnreadableSectors() const
{
    std::uint64_t total = 0;
    for (const auto& [begin, end] : unreadable_) total += end - begin;
    return total;
}

bool RepairRun::AnyUnreadable(std::uint64_t first, std::uint64_t sectors) const
{
    if (sectors == 0) return false;
    const auto after = unreadable_.upper_bound(first);
    if (after != unreadable_.begin() && std::prev(after)->second > first) return true;
    return after != unreadable_.end() && after->first < first + sectors;
}

std::string RepairRun::LastMessage(const char* message) const
{
    const std::uint64_t unreadable = UnreadableSectors();
    if (unreadable == 0) return message;
    return message + (UnreadableBefore + std::to_string(unreadable)) + UnreadableAfter;
}

}  // namespace repair
