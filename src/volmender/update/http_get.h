#pragma once
// One blocking HTTP GET with the request the update download sends.

#include <cstddef>
#include <optional>
#include <string>

namespace update {

// The largest body accepted; an update archive is a few megabytes, so anything
// near this is not one and must not eat the machine's memory.
inline constexpr std::size_t kMaxBodyBytes = std::size_t{256} << 20;

// The body of a success answer (2xx) that arrived whole, or nothing on any
// failure: no connection or no byte for a few seconds, another status
// (redirections are not followed), a body cut short or over `maxBodyBytes`.
std::optional<std::string> HttpGet(const std::string& url,
                                   std::size_t maxBodyBytes = kMaxBodyBytes);

}  // namespace update
