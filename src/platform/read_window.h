#pragma once
// The bytes a drive's reads are served from: pieces of the drive fetched into
// memory of our own, and copied to a caller only once they arrived whole, so
// that a read that fails never reaches the caller's buffer.
//
// A read that goes on from where the one before it stood (a run: the
// sectors of a FAT search, the Blocks of a directory search) is served from
// pieces of PieceBytes fetched from there on; a source that fetches in the
// background is kept one piece ahead of the reads. Any other read fetches
// only what it asks. When a piece fails, the read is fetched again alone, and
// the rest of that piece is read only as asked, so that a bad sector fails no
// read but its own and is not read again for every read around it.
//
// What was fetched is served until the owner forgets it: after a write,
// before a query, whenever the drive may have changed under it.

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <vector>

#include "platform/win32.h"

namespace platform {

// Where the pieces come from: a descriptor of the drive.
class PieceSource {
public:
    virtual ~PieceSource() = default;
    // Begins filling `length` bytes at `into` from byte `offset`, as piece
    // `slot` (below the window's slot count). A source that cannot read in
    // the background has filled it when this returns.
    virtual void Start(unsigned slot, std::uint64_t offset, void* into, std::uint32_t length) = 0;
    // Waits until piece `slot` is filled: 0 with `got` the bytes that came
    // (fewer at the end of the drive), or the error code of the read.
    virtual win32::DWORD Finish(unsigned slot, std::uint32_t& got) = 0;
    // True when Start returns before the piece is filled.
    virtual bool ReadsAhead() const = 0;
};

class ReadWindow {
public:
    explicit ReadWindow(std::unique_ptr<PieceSource> source);
    // Waits for the pieces still being fetched: their memory is theirs.
    ~ReadWindow();
    ReadWindow(const ReadWindow&) = delete;
    ReadWindow& operator=(const ReadWindow&) = delete;

    // Brings the `length` bytes from `offset` into the window: 0 with `ready`
    // the count of them that can be copied (fewer where the drive ends), or
    // the error of a read that failed, and none are ready.
    win32::DWORD Fetch(std::uint64_t offset, std::uint32_t length, std::uint32_t& ready);
    // Copies `length` bytes from `offset` to `buffer`; the last Fetch must
    // have made them ready.
    void CopyOut(std::uint64_t offset, void* buffer, std::uint32_t length) const;
    // Nothing fetched so far is served again, and no piece is known to fail.
    void Forget();

private:
    struct FreeAligned {
        void operator()(std::uint8_t* memory) const { std::free(memory); }
    };
    using Memory = std::unique_ptr<std::uint8_t, FreeAligned>;
    enum class State { Idle, Fetching, Filled };
    struct Piece {
        std::uint8_t* bytes = nullptr;
        std::uint64_t offset = 0;  // on the drive
        std::uint32_t asked = 0;
        std::uint32_t got = 0;
        win32::DWORD error = 0;
        State state = State::Idle;
        std::uint64_t End() const { return offset + asked; }
    };

    void MoveAlong(std::uint64_t offset, std::uint32_t length);
    bool Start(unsigned slot, std::uint64_t offset, std::uint64_t length);
    std::uint8_t* MemoryFor(unsigned slot, std::uint64_t length);
    void Wait(Piece& piece, unsigned slot);
    bool Serves(std::uint64_t offset, std::uint32_t length, std::uint32_t& ready);
    win32::DWORD FetchAlone(std::uint64_t offset, std::uint32_t length, std::uint32_t& ready);
    bool MeetsFailure(std::uint64_t from, std::uint64_t to) const;
    void DropPieces();

    std::unique_ptr<PieceSource> source_;
    std::vector<Piece> pieces_;
    Memory slotMemory_;  // PieceBytes for each slot
    Memory aloneMemory_;  // for a read alone that does not fit a slot
    std::uint64_t aloneBytes_ = 0;
    std::deque<unsigned> window_;  // slots in drive order, each piece starting where the one before ends
    std::uint64_t lastStart_ = UINT64_MAX;  // the read before: where it began and ended
    std::uint64_t lastEnd_ = 0;
    std::uint64_t failedFrom_ = 0;  // a piece that failed: read only as asked there
    std::uint64_t failedTo_ = 0;
};

}  // namespace platform
