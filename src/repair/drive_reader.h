#pragma once
// The reads of one repair. Every step of a repair reads the chosen drive
// through the state's reader: the intact-boot-sector check, the backup, the
// directory and FAT searches, the type probe and the disk's evidence for a
// layout. The reader knows the drive's exact length and reads nothing past it
// (there a read can only fail, and a search over a length that a damaged
// table made up would run for minutes over nothing). It reads a Block whose
// transfer failed again sector by sector, so that only the sectors that fail
// on their own are lost, and keeps the set of sectors that could not be read.
// A sector of that set is not asked for again in the same repair, nor is a
// Block over it: on a failing disk each such read fails only after the
// drive's own retries, and the Blocks of the directory search overlap.
// It shows the first failed transfer of the repair in the read-error box (a
// bad disk would otherwise raise one modal box per failed read, thousands of
// them), and stops the repair when its drive can no longer be opened, so that
// a scan of an unplugged drive does not run on over nothing.
//
// Outside a repair it hears nothing and keeps nothing: a read through it then
// fails as any read does, with a box of its own.

#include <cstdint>
#include <optional>
#include <span>

#include "disk/d_api.h"
#include "disk/read_failures.h"
#include "disk/unit_read.h"
#include "repair/repair_host.h"
#include "repair/repair_run.h"

namespace repair {

// Sector numbers are 32 bits wide; nothing past this one can be addressed.
inline constexpr std::uint64_t LastAddressableSector = 0xFFFFFFFFu;

class DriveReader : private d_api::ReadFailureListener {
public:
    DriveReader() = default;
    DriveReader(const DriveReader&) = delete;
    DriveReader& operator=(const DriveReader&) = delete;

    // A repair of `drive` starts: nothing unreadable, no stop, the length
    // unknown. Until End, every failed read is heard here, also those of the
    // partition walks; the first failed transfer is shown through `host`.
    void Begin(std::uint8_t drive, RepairHost& host);
    // The repair has ended; what it met is forgotten.
    void End();

    // Learns the drive's exact length into DriveSectors; false, with the
    // length unknown, when the platform cannot tell it.
    bool LearnLength();
    // The drive's exact length in sectors; no read goes past it. Unknown
    // before LearnLength.
    std::optional<std::uint64_t> DriveSectors;
    // True when `count` sectors from `first` all lie on the drive; always
    // true while its length is not known.
    bool Inside(std::uint64_t first, std::uint64_t count) const;

    // Reads one sector into `buffer`; true when it was read. Otherwise the
    // buffer holds zeros: the sector lies past the drive's end or could not
    // be read, or, when the read stopped short, zeros follow the bytes that
    // came. Nothing of an earlier read stays behind.
    bool ReadSector(std::uint64_t sector, std::span<std::uint8_t, d_api::SectorSize> buffer);
    // Reads the Block that starts at `first` into `block`. Its sectors that
    // could not be read, those past the drive's end and those after a read
    // that stopped short hold zeros.
    void ReadBlock(std::uint32_t first, std::span<std::uint8_t, d_api::BlockSize> block);

    // The repair must end at once and write nothing.
    void Stop(RepairStop reason) { run_.Stop(reason); }
    // What the repair met: the sectors it could not read, a reason to stop.
    const RepairRun& Run() const { return run_; }

private:
    d_api::ReadEnd ReadOnce(d_api::ReadKind kind, std::uint32_t first, std::uint8_t* destination);
    void TransferFailed(const d_api::ReadFailure& failure) override;
    void DriveUnreachable(std::uint8_t drive) override;

    std::uint8_t drive_ = 0;
    RepairHost* host_ = nullptr;  // from Begin to End
    RepairRun run_;
    bool boxShown_ = false;
    // A read of the reader's own is under way: it counts its failures itself.
    bool ownRead_ = false;
    std::optional<d_api::ReadFailureListening> listening_;
};

}  // namespace repair
