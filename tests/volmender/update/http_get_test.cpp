#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "loopback_http_server.h"
#include "volmender/update/http_get.h"

namespace {

using update_test::LoopbackHttpServer;

// A small cap stands for the real one, which is too big to send in a test.
constexpr std::size_t kLimit = 1000;

std::string UrlOf(const LoopbackHttpServer& server) {
    return "http://" + server.Address() + "/update/volmender1.23.rar";
}

// The body put together from its pieces, or nothing when the GET failed.
std::optional<std::string> Get(const LoopbackHttpServer& server) {
    update::TransferLimits limits = update::kUpdateLimits;
    limits.maxBodyBytes = kLimit;
    std::string body;
    const bool got = update::HttpGet(
        UrlOf(server), [&body](std::string_view piece) { return body.append(piece), true; }, limits);
    return got ? std::optional(body) : std::nullopt;
}

TEST(HttpGet, BodyUpToTheLimitIsKept) {
    const std::string body(kLimit, 'a');
    LoopbackHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + body);
    const auto received = Get(server);
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(*received, body);
}

TEST(HttpGet, BodyOverTheLimitIsRefused) {
    const std::string body(2 * kLimit, 'a');
    {
        LoopbackHttpServer declared("HTTP/1.1 200 OK\r\nContent-Length: 2000\r\n\r\n" + body);
        EXPECT_FALSE(Get(declared).has_value());
    }
    {
        // No length given: only counting the bytes as they come can stop it.
        LoopbackHttpServer streamed("HTTP/1.0 200 OK\r\n\r\n" + body);
        EXPECT_FALSE(Get(streamed).has_value());
    }
    {
        // Nor does an endless body get past the cap.
        LoopbackHttpServer endless("HTTP/1.0 200 OK\r\n\r\n", LoopbackHttpServer::Conduct::AnswerThenDrip);
        EXPECT_FALSE(Get(endless).has_value());
    }
}

TEST(HttpGet, BodyOfAnErrorStatusIsNotPassedOn) {
    LoopbackHttpServer server("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found");
    bool passedOn = false;
    EXPECT_FALSE(update::HttpGet(
        UrlOf(server), [&passedOn](std::string_view) { return passedOn = true; }, update::kUpdateLimits));
    EXPECT_FALSE(passedOn);
}

}  // namespace
