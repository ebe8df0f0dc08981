#include "repair/drive_reader.h"

#include <algorithm>

namespace repair {

void DriveReader::Begin(std::uint8_t drive, RepairHost& host)
{
    drive_ = drive;
    host_ = &host;
    run_.Clear();
    boxShown_ = false;
    DriveSectors.reset();
    listening_.emplace(static_cast<d_api::ReadFailureListener&>(*this));
}

void DriveReader::End()
{
    listening_.reset();
    host_ = nullptr;
    run_.Clear();
    DriveSectors.reset();
}

bool DriveReader::LearnLength()
{
    std::uint64_t sectors = 0;
    if (!d_api::GetDriveSectorCount(drive_, sectors)) {
        DriveSectors.reset();
        return false;
    }
    DriveSectors = sectors;
    return true;
}

bool DriveReader::Inside(std::uint64_t first, std::uint64_t count) const
{
    return !DriveSectors || (first <= *DriveSectors && count <= *DriveSectors - first);
}

bool DriveReader::ReadSector(std::uint64_t sector, std::span<std::uint8_t, d_api::SectorSize> buffer)
{
    if (sector <= LastAddressableSector && Inside(sector, 1) && !run_.AnyUnreadable(sector, 1)) {
        const auto first = static_cast<std::uint32_t>(sector);
        switch (ReadOnce(d_api::ReadKind::Sector, first, buffer.data())) {
        case d_api::ReadEnd::Read: return true;
        case d_api::ReadEnd::Short: return false;
        case d_api::ReadEnd::Failed:
        case d_api::ReadEnd::NotMade: run_.NoteUnreadable(first, 1); break;
        // The drive is gone, and the repair stops: no sector of it counts.
        case d_api::ReadEnd::DriveUnopened: break;
        }
    }
    std::ranges::fill(buffer, 0);
    return false;
}

// Only what a read leaves behind from an earlier one is cleared: a Block that
// was read, or that stopped short (the transfer fills the rest with zeros), is
// left as it came.
void DriveReader::ReadBlock(std::uint32_t first, std::span<std::uint8_t, d_api::BlockSize> block)
{
    if (Inside(first, d_api::BlockSectors) && !run_.AnyUnreadable(first, d_api::BlockSectors)) {
        switch (ReadOnce(d_api::ReadKind::Block, first, block.data())) {
        case d_api::ReadEnd::Read:
        case d_api::ReadEnd::Short: return;
        // Without a transfer, sector by sector would fare no better.
        case d_api::ReadEnd::NotMade: run_.NoteUnreadable(first, d_api::BlockSectors); [[fallthrough]];
        case d_api::ReadEnd::DriveUnopened: std::ranges::fill(block, 0); return;
        case d_api::ReadEnd::Failed: break;
        }
    }
    // A Block whose transfer failed, that holds a sector known unreadable, or
    // that reaches past the drive's end, is read sector by sector: the
    // sectors that read are kept, and only those that fail on their own are
    // lost.
    for (std::uint32_t s = 0; s < d_api::BlockSectors; ++s) {
        const auto sector = block.subspan(s * d_api::SectorSize).first<d_api::SectorSize>();
        if (run_.Stopped())
            std::ranges::fill(sector, 0);
        else
            ReadSector(std::uint64_t{first} + s, sector);
    }
}

d_api::ReadEnd DriveReader::ReadOnce(d_api::ReadKind kind, std::uint32_t first, std::uint8_t* destination)
{
    ownRead_ = true;
    const d_api::ReadEnd end = d_api::ReadUnit(kind, drive_, first, destination);
    ownRead_ = false;
    return end;
}

void DriveReader::TransferFailed(const d_api::ReadFailure& failure)
{
    // Other reads of the repair (the partition walks) are counted as they
    // fail; the reader's own count only the sectors that fail on their own.
    if (!ownRead_) run_.NoteUnreadable(failure.firstSector, failure.sectors);
    if (boxShown_) return;
    // Set before the box opens: the box serves the window's events while it
    // waits for the user.
    boxShown_ = true;
    host_->ShowReadError(failure.boxText);
}

void DriveReader::DriveUnreachable(std::uint8_t)
{
    run_.Stop(RepairStop::DriveGone);
}

}  // namespace repair
