#include <gtest/gtest.h>

#include <string>

#include "loopback_http_server.h"
#include "volmender/update/http_get.h"

namespace {

using update_test::LoopbackHttpServer;

// A small limit stands for the real one, which is too big to send in a test.
constexpr std::size_t kLimit = 1000;

std::string UrlOf(const LoopbackHttpServer& server) {
    return "http://" + server.Address() + "/update/volmender1.23.rar";
}

TEST(HttpGet, BodyUpToTheLimitIsKept) {
    const std::string body(kLimit, 'a');
    LoopbackHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + body);
    const auto received = update::HttpGet(UrlOf(server), kLimit);
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(*received, body);
}

TEST(HttpGet, BodyOverTheLimitIsRefused) {
    const std::string body(2 * kLimit, 'a');
    {
        LoopbackHttpServer declared("HTTP/1.1 200 OK\r\nContent-Length: 2000\r\n\r\n" + body);
        EXPECT_FALSE(update::HttpGet(UrlOf(declared), kLimit).has_value());
    }
    {
        // No length given: only counting the bytes as they come can stop it.
        LoopbackHttpServer streamed("HTTP/1.0 200 OK\r\n\r\n" + body);
        EXPECT_FALSE(update::HttpGet(UrlOf(streamed), kLimit).has_value());
    }
}

}  // namespace
