#pragma once
// The two programs repair by the same roads; the FAT32-only program keeps no
// backup, decides no FAT type, admits only FAT32 partitions and always writes
// the FAT32 boot sector. These rules, with the analysis constants, make the
// difference.

#include <span>
#include <string_view>

#include "repair/analysis_profile.h"
#include "repair/repair_texts.h"

namespace repair {

struct RoadsProfile {
    const AnalysisProfile* analysis;
    // The sector about to be overwritten is offered for a backup file.
    bool backsUpSector;
    // The FAT type is decided from the first FAT copy, and the image follows
    // it; otherwise the FAT32 image is always written.
    bool decidesFatType;
    // Partition type names that the partition road admits, compared exactly
    // and one after the other; anything else is refused with typeRefusal.
    std::span<const std::string_view> admittedTypes;
    const char* typeRefusal;
};

inline constexpr std::string_view FatTypeNames[] = {"FAT32", "FAT16"};
inline constexpr std::string_view Fat32TypeName[] = {"FAT32"};

// volmender: FAT16 and FAT32, with a backup of the overwritten sector.
inline constexpr RoadsProfile VolmenderRoads{
    .analysis = &VolmenderProfile,
    .backsUpSector = true,
    .decidesFatType = true,
    .admittedTypes = FatTypeNames,
    .typeRefusal = texts::NotFatRefused,
};

// volmender-fat32: FAT32 only, without a backup. Its analysis refuses a
// layout that may not be written (AnalyseFat answers false).
inline constexpr RoadsProfile Fat32OnlyRoads{
    .analysis = &Fat32OnlyProfile,
    .backsUpSector = false,
    .decidesFatType = false,
    .admittedTypes = Fat32TypeName,
    .typeRefusal = texts::NotFat32Refused,
};

}  // namespace repair
