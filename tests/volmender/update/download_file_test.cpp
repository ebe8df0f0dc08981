#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "loopback_http_server.h"
#include "platform/machine_selection.h"
#include "ui/web_addresses.h"
#include "volmender/update/update_download.h"

namespace {

namespace fs = std::filesystem;
using update_test::LoopbackHttpServer;

std::string Answer(const std::string& statusLine, const std::string& body,
                   const std::string& extraHeaders = "") {
    return statusLine + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
}

// Bytes of every value, NULs and CR LF included, so that any text-mode or
// string-terminator mistake shows.
std::string ArchiveBytes() {
    std::string bytes = "Rar!\x1a\x07";
    for (int i = 0; i < 100000; ++i) bytes.push_back(static_cast<char>((i * 131 + i / 7) & 0xff));
    return bytes;
}

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Each test runs in an empty current directory of its own, where the archive
// lands, and on a described machine whose update host is a loopback server.
class DownloadFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        char pattern[] = "/tmp/download_file_test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        fs::create_directory(root_ / "cwd");
        fs::current_path(root_ / "cwd");
    }
    void TearDown() override {
        platform::UseMachineFromEnvironment();
        fs::current_path(previous_);
        fs::remove_all(root_);
    }

    // Sends the update host's connections to `server`.
    void PointUpdateHostAt(const LoopbackHttpServer& server) {
        const fs::path machine = root_ / "machine.txt";
        std::ofstream(machine) << "host " << web_addresses::UpdateHost << " " << server.Address() << "\n";
        platform::UseDescribedMachine(machine.string());
    }

    // The download exactly as the program makes it at start-up.
    bool DownloadNextVersion() {
        const std::string next = update::NextVersion("1.22");
        return update::DownloadFile(update::UpdateUrl(next), update::UpdateFileName(next));
    }

    static std::vector<std::string> FilesHere() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(fs::current_path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    fs::path root_;
    fs::path previous_;
};

TEST_F(DownloadFileTest, SavesTheBodyExactlyAfterTheSpecifiedRequest) {
    const std::string archive = ArchiveBytes();
    LoopbackHttpServer server(Answer("HTTP/1.1 200 OK", archive));
    PointUpdateHostAt(server);

    ASSERT_TRUE(DownloadNextVersion());
    EXPECT_EQ(FilesHere(), std::vector<std::string>{"volmender1.23.rar"});
    EXPECT_TRUE(ReadWhole("volmender1.23.rar") == archive);

    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& request = requests[0];
    EXPECT_EQ(request.rfind("GET /update/volmender1.23.rar HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE(request.find(std::string("\r\nHost: ") + web_addresses::UpdateHost + "\r\n"), std::string::npos);
    EXPECT_NE(request.find("\r\nAccept: text/html, */*\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("\r\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"), std::string::npos);
    EXPECT_NE(request.find("\r\nContent-Type: text/html\r\n"), std::string::npos) << request;
    for (const char* absent : {"Content-Length:", "Range:", "Authorization:"})
        EXPECT_EQ(request.find(absent), std::string::npos) << absent << " sent";
}

TEST_F(DownloadFileTest, ReplacesAnEarlierCopyWhole) {
    std::ofstream("volmender1.23.rar") << std::string(300000, 'x');
    LoopbackHttpServer server(Answer("HTTP/1.1 200 OK", "new archive"));
    PointUpdateHostAt(server);

    ASSERT_TRUE(DownloadNextVersion());
    EXPECT_EQ(ReadWhole("volmender1.23.rar"), "new archive");
    EXPECT_EQ(FilesHere().size(), 1u);
}

TEST_F(DownloadFileTest, SuccessWithEmptyBodyOrErrorPageIsSaved) {
    {
        LoopbackHttpServer server(Answer("HTTP/1.1 200 OK", ""));
        PointUpdateHostAt(server);
        ASSERT_TRUE(DownloadNextVersion());
        EXPECT_TRUE(fs::exists("volmender1.23.rar"));
        EXPECT_EQ(fs::file_size("volmender1.23.rar"), 0u);
    }
    {
        // A body ended by closing the connection, with no Content-Length, is whole too.
        LoopbackHttpServer server("HTTP/1.0 200 OK\r\n\r\n<html>no such page</html>");
        PointUpdateHostAt(server);
        ASSERT_TRUE(DownloadNextVersion());
        EXPECT_EQ(ReadWhole("volmender1.23.rar"), "<html>no such page</html>");
    }
}

TEST_F(DownloadFileTest, ErrorStatusGivesFalseAndLeavesTheDirectoryAlone) {
    LoopbackHttpServer server(Answer("HTTP/1.1 404 Not Found", "<html>not found</html>"));
    PointUpdateHostAt(server);
    EXPECT_FALSE(DownloadNextVersion());
    EXPECT_TRUE(FilesHere().empty());

    std::ofstream("volmender1.23.rar") << "earlier copy";
    EXPECT_FALSE(DownloadNextVersion());
    EXPECT_EQ(FilesHere(), std::vector<std::string>{"volmender1.23.rar"});
    EXPECT_EQ(ReadWhole("volmender1.23.rar"), "earlier copy");
}

TEST_F(DownloadFileTest, RedirectionIsAFailureAndIsNotFollowed) {
    LoopbackHttpServer server(Answer("HTTP/1.1 302 Found", "moved",
                                     "Location: /update/elsewhere.rar\r\n"));
    PointUpdateHostAt(server);
    EXPECT_FALSE(DownloadNextVersion());
    EXPECT_TRUE(FilesHere().empty());
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(DownloadFileTest, BodyCutShortOfItsLengthIsAFailure) {
    LoopbackHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nonly ten b");
    PointUpdateHostAt(server);
    EXPECT_FALSE(DownloadNextVersion());
    EXPECT_TRUE(FilesHere().empty());
}

TEST_F(DownloadFileTest, SilentServerGivesFalseAfterTheReadTimeOut) {
    LoopbackHttpServer server("", LoopbackHttpServer::Conduct::Stall);
    PointUpdateHostAt(server);
    EXPECT_FALSE(DownloadNextVersion());
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_TRUE(FilesHere().empty());
}

TEST_F(DownloadFileTest, NoServerListeningGivesFalse) {
    // A port that was just free has nobody listening on it.
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length), 0);
    close(probe);

    EXPECT_FALSE(update::DownloadFile("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) +
                                          "/update/volmender1.23.rar",
                                      "volmender1.23.rar"));
    EXPECT_TRUE(FilesHere().empty());
}

TEST_F(DownloadFileTest, FileThatCannotBeCreatedGivesFalse) {
    LoopbackHttpServer server(Answer("HTTP/1.1 200 OK", "archive"));
    PointUpdateHostAt(server);
    const std::string url = update::UpdateUrl("1.23");
    EXPECT_FALSE(update::DownloadFile(url, "missing-folder/volmender1.23.rar"));
    fs::create_directory("volmender1.23.rar");  // a folder holds the name
    EXPECT_FALSE(update::DownloadFile(url, "volmender1.23.rar"));
    EXPECT_EQ(FilesHere(), std::vector<std::string>{"volmender1.23.rar"});
    EXPECT_TRUE(fs::is_directory("volmender1.23.rar"));
}

// A disk that fills up mid-write (here: a file-size limit on the process)
// leaves neither a partial archive nor a damaged earlier copy.
TEST_F(DownloadFileTest, FailedWriteLeavesNoPartialFile) {
    std::ofstream("volmender1.23.rar") << "earlier copy";
    LoopbackHttpServer server(Answer("HTTP/1.1 200 OK", ArchiveBytes()));
    PointUpdateHostAt(server);

    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool downloaded = DownloadNextVersion();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(downloaded);
    EXPECT_EQ(FilesHere(), std::vector<std::string>{"volmender1.23.rar"});
    EXPECT_EQ(ReadWhole("volmender1.23.rar"), "earlier copy");
}

TEST_F(DownloadFileTest, ProxyFromTheEnvironmentIsNotUsed) {
    LoopbackHttpServer server(Answer("HTTP/1.1 200 OK", "archive"));
    PointUpdateHostAt(server);
    setenv("http_proxy", "http://127.0.0.1:9", 1);
    const bool downloaded = DownloadNextVersion();
    unsetenv("http_proxy");
    EXPECT_TRUE(downloaded);
}

}  // namespace
