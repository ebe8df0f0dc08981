// The count of one repair's unreadable sectors: each counted once, however
// often the scans tried it.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "repair/repair_run.h"

namespace repair {
namespace {

struct CountCase {
    const char* name;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> failedReads;  // first sector, sectors
    std::uint64_t unreadable;
};

class UnreadableCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(UnreadableCount, EachSectorCountsOnce)
{
    RepairRun run;
    for (const auto& [first, sectors] : GetParam().failedReads) run.NoteUnreadable(first, sectors);
    EXPECT_EQ(run.UnreadableSectors(), GetParam().unreadable);
    // Whatever was noted is known unreadable; no sector past the last sector
    // number is.
    for (const auto& [first, sectors] : GetParam().failedReads) {
        EXPECT_TRUE(run.AnyUnreadable(first, sectors));
        EXPECT_TRUE(run.AnyUnreadable(first + sectors - 1, 1));
    }
    EXPECT_FALSE(run.AnyUnreadable(0x100000000u, 1));
}

INSTANTIATE_TEST_SUITE_P(
    Reads, UnreadableCount,
    ::testing::Values(CountCase{"none", {}, 0},
                      CountCase{"same_sector_twice", {{63, 1}, {63, 1}}, 1},
                      // The FAT32-only program's Blocks start 80 sectors apart.
                      CountCase{"overlapping_blocks", {{1000, 800}, {1080, 800}, {1160, 800}}, 960},
                      CountCase{"sector_inside_a_block", {{1000, 800}, {1500, 1}}, 800},
                      CountCase{"block_swallowing_sectors", {{5, 1}, {9, 1}, {0, 800}}, 800},
                      CountCase{"touching_runs", {{10, 1}, {12, 1}, {11, 1}}, 3},
                      CountCase{"apart", {{10, 1}, {2000, 800}}, 801},
                      CountCase{"last_sector_numbers", {{0xFFFFFC00u, 800}, {0xFFFFFFFFu, 1}}, 801}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace repair
