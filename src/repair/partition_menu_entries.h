#pragma once
// The items of the partition menu of a fixed drive, as text: one per
// partition, the last partition first, each with its number and caption. The
// window turns them into menu items.

#include <cstdint>
#include <string>
#include <vector>

namespace repair {

struct PartitionMenuEntry {
    int number;           // the partition number k, the item's tag
    std::string caption;  // UTF-8
};

// "<" k "分区> " TYPE " (" SIZE, SIZE being the partition's own `length` in
// sectors as "%.2f MB)" below 1000 MB and "%.2f GB)" from there on (a
// megabyte is 2048 sectors, a gigabyte 1024 megabytes), then " 分区可能损坏"
// when `markDamaged`. The decimal separator is the locale's.
std::string PartitionMenuCaption(int k, const std::string& typeName, std::int64_t length, bool markDamaged);

// Asks the size of the volume whose root is the letter in position
// `driveNumber` of the alphabet (1 is A:, 3 is C:). False when the platform
// cannot tell it, and for numbers that name no letter.
bool DriveSizeKnown(int driveNumber);

// Walks the partition tables of `drive` and makes the entries from the last
// partition to the first. Item k carries the damage mark when the size of
// the letter matched with it (C: for partition 1, D: for 2, ...) is unknown,
// whichever drive the menu is for. Every value comes from a walk of its own,
// as the tables may change under a running program.
std::vector<PartitionMenuEntry> BuildPartitionMenuEntries(std::uint8_t drive);

}  // namespace repair
