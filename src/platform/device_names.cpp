#include "platform/device_names.h"

#include <algorithm>
#include <string_view>

namespace platform {
namespace {

// Device names are ASCII, and Windows compares them without regard to case;
// folded here by hand, as the locale's tolower costs a call per letter on
// every transfer.
char FoldedCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldedCase(x) == FoldedCase(y); });
}

}  // namespace

std::optional<unsigned> PhysicalDriveNumber(const std::string& name)
{
    constexpr std::string_view prefix = "\\\\.\\PhysicalDrive";
    if (name.size() <= prefix.size() || !SameText(std::string_view(name).substr(0, prefix.size()), prefix))
        return std::nullopt;
    std::string_view digits = std::string_view(name).substr(prefix.size());
    if (digits.size() > 9 || (digits.size() > 1 && digits.front() == '0'))
        return std::nullopt;
    unsigned number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    return number;
}

bool IsSectorDriverFile(const std::string& name) { return SameText(name, "\\\\.\\INT13EXT.VXD"); }

bool IsSectorDriverDevice(const std::string& name) { return SameText(name, "\\\\.\\INT13EXT"); }

}  // namespace platform
