#include "platform/piece_sources.h"

#include <linux/aio_abi.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <deque>
#include <vector>

#include "platform/file_transfers.h"
#include "platform/system_errors.h"

namespace platform {
namespace {

// Requests in flight at once over every window; one more is read at once.
constexpr long SharedRequests = 32;

// What became of the piece of each slot.
struct Outcome {
    bool pending = false;  // still being read in the background
    std::uint32_t got = 0;
    win32::DWORD error = 0;
};

class ForegroundPieces : public PieceSource {
public:
    explicit ForegroundPieces(int fd) : fd_(fd) {}

    void Start(unsigned slot, std::uint64_t offset, void* into, std::uint32_t length) override
    {
        if (outcomes_.size() <= slot) outcomes_.resize(slot + 1);
        outcomes_[slot].error = ReadFullyAt(fd_, offset, into, length, outcomes_[slot].got);
    }
    win32::DWORD Finish(unsigned slot, std::uint32_t& got) override
    {
        got = outcomes_[slot].got;
        return outcomes_[slot].error;
    }
    bool ReadsAhead() const override { return false; }

private:
    int fd_;
    std::vector<Outcome> outcomes_;
};

// One context for the run, shared by every disk's window: the kernel waits
// for a grace period of its RCU (tens of milliseconds) before it lets one go,
// and a repair's last close would wait with it. 0 where it has none to give.
aio_context_t SharedContext()
{
    static const aio_context_t context = [] {
        aio_context_t made = 0;
        return ::syscall(SYS_io_setup, SharedRequests, &made) == 0 ? made : aio_context_t{0};
    }();
    return context;
}

class AsynchronousPieces : public PieceSource {
public:
    AsynchronousPieces(int fd, aio_context_t context) : fd_(fd), context_(context) {}

    void Start(unsigned slot, std::uint64_t offset, void* into, std::uint32_t length) override
    {
        if (outcomes_.size() <= slot) outcomes_.resize(slot + 1);
        Outcome& outcome = outcomes_[slot];
        iocb request{};
        request.aio_data = reinterpret_cast<std::uintptr_t>(&outcome);
        request.aio_lio_opcode = IOCB_CMD_PREAD;
        request.aio_fildes = static_cast<std::uint32_t>(fd_);
        request.aio_buf = reinterpret_cast<std::uintptr_t>(into);
        request.aio_nbytes = length;
        request.aio_offset = static_cast<std::int64_t>(offset);
        iocb* requests[] = {&request};
        outcome.pending = ::syscall(SYS_io_submit, context_, 1, requests) == 1;
        // A request the kernel does not take (its queue full) is read at once.
        if (!outcome.pending) outcome.error = ReadFullyAt(fd_, offset, into, length, outcome.got);
    }

    win32::DWORD Finish(unsigned slot, std::uint32_t& got) override
    {
        while (outcomes_[slot].pending) Collect();
        got = outcomes_[slot].got;
        return outcomes_[slot].error;
    }

    bool ReadsAhead() const override { return true; }

private:
    // Takes what has arrived for any window: each request names its outcome,
    // which stays until the window has waited for it. Only a signal
    // interrupts the wait, which is then taken up again.
    void Collect()
    {
        io_event events[SharedRequests];
        const long count = ::syscall(SYS_io_getevents, context_, 1, SharedRequests, events, nullptr);
        for (long i = 0; i < count; ++i) {
            auto& outcome = *reinterpret_cast<Outcome*>(static_cast<std::uintptr_t>(events[i].data));
            outcome.pending = false;
            outcome.got = events[i].res > 0 ? static_cast<std::uint32_t>(events[i].res) : 0;
            outcome.error = events[i].res < 0 ? SystemErrorFromErrno(static_cast<int>(-events[i].res)) : 0;
        }
    }

    int fd_;
    aio_context_t context_;
    std::deque<Outcome> outcomes_;  // by slot; they stay where they are as slots are added
};

}  // namespace

std::unique_ptr<PieceSource> ReadPieces(int fd) { return std::make_unique<ForegroundPieces>(fd); }

std::unique_ptr<PieceSource> BackgroundPieces(int fd)
{
    const aio_context_t context = SharedContext();
    if (!context) return ReadPieces(fd);
    return std::make_unique<AsynchronousPieces>(fd, context);
}

}  // namespace platform
