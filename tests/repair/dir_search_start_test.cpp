// Where the directory search begins: a percentage of the volume, rounded half
// to even, computed exactly for every 32-bit length.

#include <gtest/gtest.h>

#include "repair/analysis_profile.h"

namespace repair {
namespace {

struct StartCase {
    std::uint32_t volumeSectors;
    std::uint32_t offset;
};

TEST(DirSearchStart, ThreePercentRoundsHalfToEven)
{
    for (const StartCase c : {StartCase{50, 2}, {150, 4}, {250, 8}, {350, 10}, {1000, 30}, {0, 0},
                              {4294967295u, 128849019}, {2000000, 60000}, {17, 1}, {16, 0}}) {
        EXPECT_EQ(DirSearchStartOffset(VolmenderProfile, c.volumeSectors), c.offset) << c.volumeSectors;
    }
}

TEST(DirSearchStart, FivePercentRoundsHalfToEven)
{
    for (const StartCase c : {StartCase{10, 0}, {30, 2}, {50, 2}, {70, 4}, {1000, 50}, {4294967295u, 214748365},
                              {11, 1}, {9, 0}}) {
        EXPECT_EQ(DirSearchStartOffset(Fat32OnlyProfile, c.volumeSectors), c.offset) << c.volumeSectors;
    }
}

// The factor 0.03 held in 80-bit extended precision, times the length, rounded
// half to even by the FPU: the exact integer rule must agree everywhere,
// including around every tie and at the top of the range.
TEST(DirSearchStart, AgreesWithExtendedPrecisionProduct)
{
    const long double threePercent = 0.03L;
    const long double fivePercent = 0.05L;
    auto check = [&](std::uint32_t v) {
        const long double r3 = __builtin_roundevenl(threePercent * v);
        const long double r5 = __builtin_roundevenl(fivePercent * v);
        ASSERT_EQ(DirSearchStartOffset(VolmenderProfile, v), static_cast<std::uint32_t>(r3)) << v;
        ASSERT_EQ(DirSearchStartOffset(Fat32OnlyProfile, v), static_cast<std::uint32_t>(r5)) << v;
    };
    for (std::uint32_t v = 0; v < 200000; ++v) check(v);
    for (std::uint32_t v = 4294967295u; v > 4294967295u - 200000; --v) check(v);
    for (std::uint64_t v = 50; v < 4294967296u; v += 999999937) check(static_cast<std::uint32_t>(v));
}

}  // namespace
}  // namespace repair
