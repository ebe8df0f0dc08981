#include "platform/read_window.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

// Large enough that a Block (409,600 bytes) lies in at most two pieces and a
// FAT search's 20,001 sectors in ten; small enough that what a run leaves
// unread at its end (up to two pieces) costs little even on a slow stick.
constexpr std::uint32_t PieceBytes = 1 << 20;
// A transfer that bypasses the page cache starts and ends on the device's
// logical sectors, into memory aligned to its pages. A run's pieces start on
// a page of the drive as well: the devices move whole pages fastest (a loop
// device copies from its file's page cache).
constexpr std::uint64_t SectorBytes = 512;
constexpr std::uint64_t PageBytes = 4096;
// The slots' memory is asked for in huge pages: a device transfer pins every
// page of its piece in memory first, and a huge page pins at once.
constexpr std::uint64_t HugePageBytes = 2 << 20;
// The two pieces a read may span, and one fetched ahead where the source
// reads in the background.
constexpr unsigned SpannedPieces = 2;
constexpr unsigned PiecesAhead = 1;

std::uint64_t AlignDown(std::uint64_t offset, std::uint64_t unit) { return offset / unit * unit; }
std::uint64_t AlignUp(std::uint64_t offset, std::uint64_t unit) { return AlignDown(offset + unit - 1, unit); }

}  // namespace

ReadWindow::ReadWindow(std::unique_ptr<PieceSource> source)
    : source_(std::move(source)), pieces_(SpannedPieces + (source_->ReadsAhead() ? PiecesAhead : 0))
{
}

ReadWindow::~ReadWindow() { DropPieces(); }

win32::DWORD ReadWindow::Fetch(std::uint64_t offset, std::uint32_t length, std::uint32_t& ready)
{
    ready = 0;
    if (length == 0) return 0;
    const bool run = offset > lastStart_ && offset <= lastEnd_;
    lastStart_ = offset;
    lastEnd_ = offset + length;
    if (run && length <= PieceBytes && !MeetsFailure(offset, offset + length)) MoveAlong(offset, length);
    if (Serves(offset, length, ready)) return 0;
    return FetchAlone(offset, length, ready);
}

void ReadWindow::CopyOut(std::uint64_t offset, void* buffer, std::uint32_t length) const
{
    auto* out = static_cast<std::uint8_t*>(buffer);
    for (unsigned slot : window_) {
        const Piece& piece = pieces_[slot];
        if (length == 0) break;
        if (piece.End() <= offset) continue;
        const std::uint64_t skip = offset - piece.offset;
        const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(length, piece.got - skip));
        std::memcpy(out, piece.bytes + skip, count);
        out += count;
        offset += count;
        length -= count;
    }
}

void ReadWindow::Forget()
{
    DropPieces();
    failedFrom_ = failedTo_ = 0;
    lastStart_ = UINT64_MAX;
    lastEnd_ = 0;
}

// Lets go of the pieces the run has passed, and fetches from the window's end
// on the pieces the read needs, and more ahead of it where the source reads
// in the background.
void ReadWindow::MoveAlong(std::uint64_t offset, std::uint32_t length)
{
    while (!window_.empty() && pieces_[window_.front()].End() <= offset) {
        Wait(pieces_[window_.front()], window_.front());
        pieces_[window_.front()].state = State::Idle;
        window_.pop_front();
    }
    if (!window_.empty() && (pieces_[window_.front()].offset > offset || pieces_[window_.back()].End() < offset))
        DropPieces();
    std::uint64_t next = window_.empty() ? AlignDown(offset, PageBytes) : pieces_[window_.back()].End();
    while (window_.size() < pieces_.size() && (next < offset + length || source_->ReadsAhead()) &&
           !MeetsFailure(next, next + PieceBytes)) {
        const auto idle = std::find_if(pieces_.begin(), pieces_.end(),
                                       [](const Piece& piece) { return piece.state == State::Idle; });
        if (!Start(static_cast<unsigned>(idle - pieces_.begin()), next, PieceBytes)) break;
        next += PieceBytes;
    }
}

// False when the memory for the piece cannot be had.
bool ReadWindow::Start(unsigned slot, std::uint64_t offset, std::uint64_t length)
{
    Piece& piece = pieces_[slot];
    piece.bytes = length > UINT32_MAX ? nullptr : MemoryFor(slot, length);
    if (!piece.bytes) return false;
    piece.offset = offset;
    piece.asked = static_cast<std::uint32_t>(length);
    piece.got = 0;
    piece.error = 0;
    piece.state = State::Fetching;
    source_->Start(slot, offset, piece.bytes, piece.asked);
    window_.push_back(slot);
    return true;
}

std::uint8_t* ReadWindow::MemoryFor(unsigned slot, std::uint64_t length)
{
    if (length > PieceBytes) {
        if (aloneBytes_ < length) {
            aloneBytes_ = AlignUp(length, PageBytes);
            aloneMemory_.reset(static_cast<std::uint8_t*>(std::aligned_alloc(PageBytes, aloneBytes_)));
            if (!aloneMemory_) aloneBytes_ = 0;
        }
        return aloneMemory_.get();
    }
    if (!slotMemory_) {
        const std::uint64_t bytes = AlignUp(pieces_.size() * std::uint64_t{PieceBytes}, HugePageBytes);
        slotMemory_.reset(static_cast<std::uint8_t*>(std::aligned_alloc(HugePageBytes, bytes)));
        if (!slotMemory_) return nullptr;
        ::madvise(slotMemory_.get(), bytes, MADV_HUGEPAGE);
    }
    return slotMemory_.get() + std::uint64_t{slot} * PieceBytes;
}

void ReadWindow::Wait(Piece& piece, unsigned slot)
{
    if (piece.state != State::Fetching) return;
    piece.error = source_->Finish(slot, piece.got);
    piece.state = State::Filled;
}

// True when the pieces held hold the whole read, waiting for those of them
// still on their way; false where they do not reach it, or one failed (its
// span is then read only as asked) or came back short.
bool ReadWindow::Serves(std::uint64_t offset, std::uint32_t length, std::uint32_t& ready)
{
    const std::uint64_t end = offset + length;
    std::uint64_t reached = offset;
    for (unsigned slot : window_) {
        Piece& piece = pieces_[slot];
        if (piece.End() <= reached) continue;
        if (piece.offset > reached) return false;
        Wait(piece, slot);
        if (piece.error) {
            failedFrom_ = piece.offset;
            failedTo_ = piece.End();
            return false;
        }
        reached = piece.offset + piece.got;
        if (reached >= end || piece.got < piece.asked) break;
    }
    if (reached < end) return false;
    ready = length;
    return true;
}

// Reads what was asked and nothing more: what it delivers, up to where the
// drive ends, or its error.
win32::DWORD ReadWindow::FetchAlone(std::uint64_t offset, std::uint32_t length, std::uint32_t& ready)
{
    DropPieces();
    const std::uint64_t from = AlignDown(offset, SectorBytes);
    if (!Start(0, from, AlignUp(offset + length, SectorBytes) - from)) return win32::ERROR_NOT_ENOUGH_MEMORY;
    Piece& piece = pieces_[0];
    Wait(piece, 0);
    if (const win32::DWORD error = piece.error) {
        DropPieces();
        return error;
    }
    const std::uint64_t arrived = from + piece.got;
    ready = arrived > offset ? static_cast<std::uint32_t>(std::min<std::uint64_t>(length, arrived - offset)) : 0;
    return 0;
}

bool ReadWindow::MeetsFailure(std::uint64_t from, std::uint64_t to) const
{
    return from < failedTo_ && failedFrom_ < to;
}

void ReadWindow::DropPieces()
{
    for (unsigned slot : window_) {
        Wait(pieces_[slot], slot);
        pieces_[slot].state = State::Idle;
    }
    window_.clear();
}

}  // namespace platform
