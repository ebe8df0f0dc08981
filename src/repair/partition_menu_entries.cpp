#include "repair/partition_menu_entries.h"

#include <algorithm>
#include <cstdio>

#include "disk/d_api.h"
#include "platform/win32.h"
#include "repair/repair_texts.h"

namespace repair {

namespace {

constexpr double SectorsPerMegabyte = 2048;
constexpr double MegabytesPerGigabyte = 1024;
// The unit changes at 1000 MB, so that no size reads as four digits of GB.
constexpr double LargestMegabyteSize = 1000;
constexpr int LettersInAlphabet = 26;
// Partition k is matched with the letter in position k + 2: C: for the first.
constexpr int FirstPartitionLetter = 2;

std::string SizeText(std::int64_t length)
{
    const double sectors = static_cast<double>(length);
    char text[64];
    if (sectors / SectorsPerMegabyte >= LargestMegabyteSize)
        std::snprintf(text, sizeof text, texts::MenuGigabytes, sectors / MegabytesPerGigabyte / SectorsPerMegabyte);
    else
        std::snprintf(text, sizeof text, texts::MenuMegabytes, sectors / SectorsPerMegabyte);
    return text;
}

d_api::TDiskDetail WalkPartitions(std::uint8_t drive)
{
    d_api::TDiskDetail detail;
    d_api::ReadPartitionList(drive, detail);
    return detail;
}

// The sectors the partition itself holds, from its first to its last: the
// walk's span of it also counts the sectors from its table to its start,
// which for a partition far from its table is most of the disk.
std::int64_t PartitionLength(const d_api::TDiskDetail& detail, int k)
{
    return detail.Ends[k] - detail.Starts[k] + 1;
}

}  // namespace

std::string PartitionMenuCaption(int k, const std::string& typeName, std::int64_t length, bool markDamaged)
{
    std::string caption = texts::MenuNumberOpen + std::to_string(k) + texts::MenuNumberClose + typeName +
                          texts::MenuSizeOpen + SizeText(length);
    if (markDamaged) caption += texts::MenuDamageMark;
    return caption;
}

bool DriveSizeKnown(int driveNumber)
{
    if (driveNumber < 1 || driveNumber > LettersInAlphabet) return false;
    const char root[] = {static_cast<char>('A' + driveNumber - 1), ':', '\\', '\0'};
    std::uint64_t freeToCaller = 0;
    std::uint64_t total = 0;
    std::uint64_t totalFree = 0;
    return win32::GetDiskFreeSpaceExA(root, &freeToCaller, &total, &totalFree) != win32::FALSE;
}

std::vector<PartitionMenuEntry> BuildPartitionMenuEntries(std::uint8_t drive)
{
    const int count = std::min<int>(WalkPartitions(drive).Count, d_api::TDiskDetail::MaxPartitions);
    std::vector<PartitionMenuEntry> entries;
    for (int k = count; k >= 1; --k) {
        const std::int64_t length = PartitionLength(WalkPartitions(drive), k);
        const std::string typeName = WalkPartitions(drive).Names[k];
        const bool damaged = !DriveSizeKnown(k + FirstPartitionLetter);
        entries.push_back({k, PartitionMenuCaption(k, typeName, length, damaged)});
    }
    return entries;
}

}  // namespace repair
