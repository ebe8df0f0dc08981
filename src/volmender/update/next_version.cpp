#include "volmender/update/update_download.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <system_error>

namespace update {

namespace {

// The step between two releases.
constexpr long double kVersionStep = 0.01L;
// General format keeps this many significant digits, so that the binary error
// of the sum ("1.22" + 0.01 is 1.2299999999999999999...) rounds away.
constexpr int kSignificantDigits = 15;

long double ParseVersion(const std::string& version) {
    // from_chars never looks at the locale: a version reads the same under a
    // locale whose decimal separator is a comma.
    long double value = 0;
    const char* end = version.data() + version.size();
    auto [stop, error] = std::from_chars(version.data(), end, value);
    if (version.empty() || error != std::errc() || stop != end || !std::isfinite(value))
        throw std::invalid_argument("'" + version + "' is not a valid floating point value");
    return value;
}

}  // namespace

std::string NextVersion(const std::string& version) {
    const long double next = ParseVersion(version) + kVersionStep;
    char text[64];
    auto [stop, error] = std::to_chars(text, text + sizeof text, next,
                                       std::chars_format::general, kSignificantDigits);
    if (error != std::errc())  // cannot happen for a finite value in 64 characters
        throw std::runtime_error("version " + version + " cannot be written back");
    return std::string(text, stop);
}

}  // namespace update
