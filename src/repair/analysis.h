#pragma once
// The on-disk analysis of a FAT volume whose boot sector is lost: the search
// for a subdirectory's first sector, the search for the two FAT copies, the
// layout derived from them, the FAT type and the check for a boot sector that
// is still intact. It reads the disk only, sector by sector or Block by Block,
// through the RepairState's reader, on the volume it names, and writes nothing.

#include <cstdint>
#include <span>

#include "disk/d_api.h"
#include "repair/analysis_profile.h"
#include "repair/repair_host.h"
#include "repair/repair_state.h"

namespace repair {

// How the FAT search ended.
enum class FatSearchEnd {
    Scanned,         // all 20,001 sectors examined
    ThirdFatStart,   // a third FAT start was found (FAT32-only program); the repair ends
    Stopped,         // the repair was stopped (RepairRun); the offsets mean nothing
};

// What the first four bytes of a sector say about a FAT starting there.
enum class FatStartKind { None, Fat16, Fat32 };

class Analysis {
public:
    Analysis(RepairState& state, RepairHost& host, const AnalysisProfile& profile);

    // Directory search, FAT search, then SectorsPerFat and ReservedSectors.
    // Returns whether the repair may go on. volmender: always true, its repair
    // command tests the layout itself (LayoutIsUsable). FAT32-only program:
    // false after a third FAT start and for any layout that may not be
    // written; the user has then been told, and nothing more is to be shown.
    // Both programs: false when the repair was stopped, with nothing shown.
    bool AnalyseFat();

    // True once the repair must end at once (its drive is gone, its window
    // closed). Every scan of the analysis then ends at its next sector, and
    // what it leaves must not be used.
    bool Stopped() const { return state_.Reader.Run().Stopped(); }

    // Finds the first sector of a subdirectory ("." then "..") from 3 % (5 %)
    // into the volume and sets SectorsPerCluster, DirSector, DirClusterOffset.
    // Returns whether such a sector was found in this search.
    bool FindDirCluster();
    // Tests the leading sectors of one Block whose sector 0 is `firstSector`.
    // True when one holds a usable pair; the three directory values are set.
    bool FindDotEntries(std::span<const std::uint8_t> block, std::uint32_t firstSector);

    // Sets Fat1Offset and Fat2Offset from the FAT starts in the first 20,001
    // sectors of the volume.
    FatSearchEnd FindFats();
    // Reads `sector` into SectorBuf; true when it begins like a FAT.
    bool IsFatStart(std::uint32_t sector);

    // True when an intact boot sector in the first 513 sectors of the volume
    // has a reserved-sector count that leads to a FAT start.
    bool FindBootSector();

    // Reads `sector` into SectorBuf; true when its first FAT entries decide the
    // type, which is then in FatType ("FAT16" or "FAT32").
    bool DetectFatType(std::uint32_t sector);

    // What the FAT starts that the last FAT search took for the two copies
    // say about the FAT width: their kind when both copies were found and
    // agree or only one was found, None when none was found or they disagree.
    FatStartKind FatStartSignature() const;
    // True when both copies were found and start as different FAT types.
    bool FatStartsDisagree() const;

    // Which boot sectors IntactBootSectorAt takes: those the program's own
    // test passes, or those of either FAT type.
    enum class BootSectorTest { OfTheProgram, EitherFatType };
    // True when `sector` holds an intact boot sector whose reserved-sector
    // count leads to a FAT start. Reads into SectorBuf.
    bool IntactBootSectorAt(std::uint64_t sector, BootSectorTest test = BootSectorTest::OfTheProgram);

private:
    FatStartKind ReadFatStartKind(std::uint32_t sector);
    FatStartKind FirstCopyKind() const;
    void ReadIntoSectorBuf(std::uint32_t sector);
    void ReadIntoBlockBuf(std::uint32_t firstSector);
    void DeriveLayout(bool directoryFound);
    std::uint32_t FallbackFatSize(bool directoryFound) const;
    void FitClusterSizeToTheDirectory();
    std::int64_t RootSectorsAfterSecondCopy() const;

    RepairState& state_;
    RepairHost& host_;
    const AnalysisProfile& profile_;
    // Kinds of the FAT starts that the last FAT search took for the copies.
    FatStartKind firstCopyKind_ = FatStartKind::None;
    FatStartKind secondCopyKind_ = FatStartKind::None;
};

// The boot-sector test of the profile: EB ?? 90 (EB 58 90 for the FAT32-only
// program) at the start and 55 AA at the end.
bool IsBootSector(const AnalysisProfile& profile, std::span<const std::uint8_t, d_api::SectorSize> sector);
// The test of a boot sector of either FAT type: EB ?? 90 and 55 AA.
bool IsFatBootSector(std::span<const std::uint8_t, d_api::SectorSize> sector);

FatStartKind FatStartKindOf(std::span<const std::uint8_t, d_api::SectorSize> sector);

// The test before a boot sector may be written: cluster size, reserved
// sectors, volume length and FAT size all non-zero.
bool LayoutIsUsable(const VolumeLayout& layout);

// The FAT search examines the sectors from the volume start to this offset.
inline constexpr std::uint32_t LastFatSearchOffset = 20000;

}  // namespace repair
