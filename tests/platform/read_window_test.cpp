// The read window over a drive held in memory with one bad sector, its pieces
// filled at once or only when waited for.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/read_window.h"

namespace {

constexpr std::uint32_t Sector = 512, Block = 800 * Sector;
constexpr std::uint64_t DriveBytes = 8 << 20, BadSector = 6151;

std::uint8_t ByteAt(std::uint64_t offset) { return static_cast<std::uint8_t>(offset * 7 + offset / Sector); }

class MemoryDrive : public platform::PieceSource {
public:
    explicit MemoryDrive(bool background) : background_(background) {}

    void Start(unsigned slot, std::uint64_t offset, void* into, std::uint32_t length) override
    {
        if (pending_.size() <= slot) pending_.resize(slot + 1);
        pending_[slot] = {offset, static_cast<std::uint8_t*>(into), length};
        ++fetches;
        if (!background_) Fill(slot);
    }
    win32::DWORD Finish(unsigned slot, std::uint32_t& got) override
    {
        if (background_) Fill(slot);
        got = pending_[slot].got;
        return pending_[slot].error;
    }
    bool ReadsAhead() const override { return background_; }

    int fetches = 0;

private:
    struct Fetch {
        std::uint64_t offset;
        std::uint8_t* into;
        std::uint32_t length;
        std::uint32_t got = 0;
        win32::DWORD error = 0;
    };
    void Fill(unsigned slot)
    {
        Fetch& fetch = pending_[slot];
        const std::uint64_t end = std::min(fetch.offset + fetch.length, DriveBytes);
        fetch.error = fetch.offset <= BadSector * Sector && BadSector * Sector < end ? win32::ERROR_CRC : 0;
        fetch.got = fetch.error || fetch.offset >= end ? 0 : static_cast<std::uint32_t>(end - fetch.offset);
        for (std::uint32_t i = 0; i < fetch.got; ++i) fetch.into[i] = ByteAt(fetch.offset + i);
    }

    bool background_;
    std::vector<Fetch> pending_;
};

class ReadWindow : public ::testing::TestWithParam<bool> {};

// Each run of reads (sectors, Blocks, Blocks overlapping as the FAT32-only
// program steps through them) reads what the drive holds; only the reads that
// cover the bad sector fail, and nothing reaches their buffers.
TEST_P(ReadWindow, AReadFailsOnlyWhereItCoversABadSectorAndIsServedFromPiecesElsewhere)
{
    auto owned = std::make_unique<MemoryDrive>(GetParam());
    MemoryDrive& drive = *owned;
    platform::ReadWindow window(std::move(owned));
    struct Run {
        std::uint32_t length, step;
    };
    for (const Run& run : {Run{Sector, Sector}, Run{Block, Block}, Run{Block, Block / 10}}) {
        const int fetchesBefore = drive.fetches;
        int reads = 0;
        for (std::uint64_t offset = 0; offset < DriveBytes; offset += run.step, ++reads) {
            std::vector<std::uint8_t> buffer(run.length, 0xEE), expected(run.length, 0xEE);
            std::uint32_t ready = 0;
            const win32::DWORD error = window.Fetch(offset, run.length, ready);
            if (!error) window.CopyOut(offset, buffer.data(), ready);
            const std::uint64_t end = std::min(offset + run.length, DriveBytes);
            const bool bad = offset <= BadSector * Sector && BadSector * Sector < end;
            for (std::uint64_t i = offset; !bad && i < end; ++i) expected[i - offset] = ByteAt(i);
            ASSERT_EQ(error, bad ? win32::ERROR_CRC : 0) << run.length << " bytes at " << offset;
            ASSERT_EQ(ready, bad ? 0 : end - offset) << run.length << " bytes at " << offset;
            ASSERT_EQ(buffer, expected) << run.length << " bytes at " << offset;
        }
        std::printf("%u-byte reads %u bytes apart: %d reads, %d fetches\n", run.length, run.step, reads,
                    drive.fetches - fetchesBefore);
        EXPECT_LT(drive.fetches - fetchesBefore, reads) << "every read fetched on its own";
        window.Forget();
    }
}

INSTANTIATE_TEST_SUITE_P(Pieces, ReadWindow, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "FilledInTheBackground" : "FilledAtOnce"; });

}  // namespace
