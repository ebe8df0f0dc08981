#pragma once
// The FAT type of the volume just analysed, which selects the boot-sector
// image: decided from the first ordinary link in the FAT and checked against
// the FAT-start signature that the FAT search saw.

#include <string>

#include "repair/analysis.h"
#include "repair/repair_state.h"

namespace repair {

// Runs DetectFatType on the sectors from the first copy's start to the second
// copy's, in ascending order, until one decides; when none does, FatType keeps
// the type of an earlier repair (or stays empty). Then FollowFatStartSignature;
// copies that start as different types get FAT32, which the layout facts then
// judge.
void ProbeFatType(Analysis& analysis, VolumeLayout& layout);

// The first link misjudges a FAT32 volume whose first link points to a
// cluster of 65,536 or more (its high word is not 0), and a type kept from an
// earlier repair may belong to another volume; the FAT's own first entry
// (F8 FF FF 0F or F8 FF FF FF) cannot be mistaken. When that signature is
// known it decides, otherwise `fatType` stays as the probe left it.
void FollowFatStartSignature(FatStartKind signature, std::string& fatType);

}  // namespace repair
