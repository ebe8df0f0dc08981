#pragma once
// One blocking HTTP GET with the request the update download sends; the body
// is handed on piece by piece as it arrives, so it never has to fit in memory.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace update {

// The bounds of one transfer; running into any of them is a failure.
struct TransferLimits {
    // Time to set up the connection.
    std::chrono::milliseconds connect;
    // The whole exchange, connection included.
    std::chrono::milliseconds overall;
    // A transfer slower than `minBytesPerSecond` for `slowPeriod` on end is
    // given up; a silent server is the slowest of all.
    long minBytesPerSecond;
    std::chrono::seconds slowPeriod;
    // The largest body accepted.
    std::size_t maxBodyBytes;
};

// The check runs before the main window shows: neither a dead nor a slow or
// endless server may hold the start up for more than a minute. An update
// archive is a few megabytes, so a body near the cap is not one and must not
// fill the disk.
inline constexpr TransferLimits kUpdateLimits{
    .connect = std::chrono::seconds(5),
    .overall = std::chrono::seconds(60),
    .minBytesPerSecond = 1024,
    .slowPeriod = std::chrono::seconds(5),
    .maxBodyBytes = std::size_t{256} << 20,
};

// Receives the next piece of a success body; false stops the transfer.
using BodyReceiver = std::function<bool(std::string_view piece)>;

// True when a success answer (2xx) arrived with its whole body, every piece of
// which went to `receive` in order. False on any failure: no connection, a
// bound of `limits` reached, another status (redirections are not followed;
// such a body never reaches `receive`), a body cut short or over the cap, or
// `receive` refusing a piece. After a false, what `receive` got is no body.
bool HttpGet(const std::string& url, const BodyReceiver& receive, const TransferLimits& limits);

}  // namespace update
