#include "repair/analysis_profile.h"

namespace repair {

namespace {

std::uint64_t DivideRoundingHalfToEven(std::uint64_t numerator, std::uint64_t denominator)
{
    const std::uint64_t quotient = numerator / denominator;
    const std::uint64_t twiceRemainder = 2 * (numerator % denominator);
    if (twiceRemainder > denominator) return quotient + 1;
    if (twiceRemainder == denominator && quotient % 2 == 1) return quotient + 1;
    return quotient;
}

}  // namespace

std::uint32_t DirSearchStartOffset(const AnalysisProfile& profile, std::uint32_t volumeSectors)
{
    // At most 5 % of a 32-bit count, so the result always fits in 32 bits.
    return static_cast<std::uint32_t>(
        DivideRoundingHalfToEven(std::uint64_t{volumeSectors} * profile.dirSearchStartPercent, 100));
}

}  // namespace repair
