#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <vector>

#include "fixtures/test_machine.h"
#include "loopback_http_server.h"
#include "platform/machine_selection.h"
#include "ui/web_addresses.h"
#include "volmender/update/update_download.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using update_test::LoopbackHttpServer;

// The new file beside the archive while it is being written.
const std::string kTemporaryPrefix = "volmender1.23.rar.part-";

// Short bounds, so that a silent or slow server costs a test a second or two;
// each test of a bound sets the one it checks.
constexpr update::TransferLimits kTestLimits{
    .connect = 2s, .overall = 30s, .minBytesPerSecond = 1, .slowPeriod = 1s, .maxBodyBytes = 1 << 20};

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
        fs::create_directory(dir_.File("cwd"));
        fs::current_path(dir_.File("cwd"));
    }
    void TearDown() override {
        platform::UseMachineFromEnvironment();
        fs::current_path(previous_);
    }

    // Sends the update host's connections to `server`.
    void PointUpdateHostAt(const LoopbackHttpServer& server) {
        fixtures::DescribedMachine machine;
        machine.hosts[web_addresses::UpdateHost] = server.Address();
        fixtures::InstallMachine(dir_, machine);
    }

    // The download as the program makes it at start-up, within `limits`.
    static bool DownloadNextVersion(const update::TransferLimits& limits = kTestLimits) {
        const std::string next = update::NextVersion("1.22");
        return update::DownloadFile(update::UpdateUrl(next), update::UpdateFileName(next), limits);
    }

    // Whether a new file beside the archive holds `bytes` bytes now.
    static bool TemporaryHolds(std::uintmax_t bytes) {
        std::error_code error;
        for (fs::directory_iterator entry(".", error), end; !error && entry != end; entry.increment(error)) {
            std::error_code gone;  // the download may remove it meanwhile
            if (entry->path().filename().string().starts_with(kTemporaryPrefix) &&
                fs::file_size(entry->path(), gone) == bytes)
                return true;
        }
        return false;
    }

    static std::vector<std::string> FilesHere() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(fs::current_path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    fixtures::TempDir dir_;
    fs::path previous_;
};

TEST_F(DownloadFileTest, SavesTheBodyExactlyAfterTheUpdateRequest) {
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

// Servers that never end their answer: each is cut off by one bound alone,
// the others set so wide that without it the test would hang.
TEST_F(DownloadFileTest, ServerThatNeverEndsIsCutOffAndLeavesNothing) {
    struct Case {
        const char* name;
        std::string head;
        std::chrono::milliseconds pace;
        update::TransferLimits limits;
    };
    const Case cases[] = {
        {"TwoBytesASecondIsBelowTheMinimumSpeed", "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n", 500ms,
         {.connect = 2s, .overall = 1h, .minBytesPerSecond = 100, .slowPeriod = 1s, .maxBodyBytes = 1 << 20}},
        {"EndlessBodyFastEnoughRunsIntoTheDeadline", "HTTP/1.0 200 OK\r\n\r\n", 5ms,
         {.connect = 2s, .overall = 500ms, .minBytesPerSecond = 1, .slowPeriod = 1h, .maxBodyBytes = 1 << 20}},
        {"EndlessFloodStopsAtTheCap", "HTTP/1.0 200 OK\r\n\r\n", 0ms,
         {.connect = 2s, .overall = 1h, .minBytesPerSecond = 1, .slowPeriod = 1h, .maxBodyBytes = 1 << 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackHttpServer server(c.head, LoopbackHttpServer::Conduct::AnswerThenDrip, c.pace);
        PointUpdateHostAt(server);
        EXPECT_FALSE(DownloadNextVersion(c.limits));
        EXPECT_TRUE(FilesHere().empty());
    }
}

// The body must not be held in memory: the part that came is on the disk
// while the rest is awaited.
TEST_F(DownloadFileTest, BodyGoesToTheDiskAsItArrives) {
    const std::string firstHalf(100000, 'a');
    LoopbackHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: 200000\r\n\r\n" + firstHalf,
                              LoopbackHttpServer::Conduct::AnswerThenStall);
    PointUpdateHostAt(server);

    // The speed is measured over the last seconds, which the part that came
    // keeps high for a while: the deadline ends the wait sooner.
    update::TransferLimits limits = kTestLimits;
    limits.overall = 2s;
    auto download = std::async(std::launch::async, [&limits] { return DownloadNextVersion(limits); });
    bool seenOnDisk = false;
    while (download.wait_for(10ms) == std::future_status::timeout)
        seenOnDisk = seenOnDisk || TemporaryHolds(firstHalf.size());
    EXPECT_TRUE(seenOnDisk);
    EXPECT_FALSE(download.get());
    EXPECT_TRUE(FilesHere().empty());
}

// A run killed mid-download leaves its new file; the next check removes it,
// but not the one that another copy of the program is writing now.
TEST_F(DownloadFileTest, NewFileOfAKilledRunIsRemovedAtTheNextCheck) {
    const pid_t ended = fork();
    ASSERT_GE(ended, 0);
    if (ended == 0) _exit(0);
    ASSERT_EQ(waitpid(ended, nullptr, 0), ended);
    std::ofstream(kTemporaryPrefix + std::to_string(ended) + "-0") << "killed mid-write";
    // A process id is used again: the run that left this had ours.
    std::ofstream(kTemporaryPrefix + std::to_string(getpid()) + "-1") << "killed mid-write";
    const std::string stillWriting = kTemporaryPrefix + std::to_string(getppid()) + "-0";
    std::ofstream(stillWriting) << "being written";

    LoopbackHttpServer server(Answer("HTTP/1.1 404 Not Found", ""));
    PointUpdateHostAt(server);
    EXPECT_FALSE(DownloadNextVersion());
    EXPECT_EQ(FilesHere(), std::vector<std::string>{stillWriting});
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

// A link keeps, and the file it names takes the archive; a pipe under the
// name is refused, never written into nor replaced.
TEST_F(DownloadFileTest, LinkKeepsItsFileAndAPipeIsLeftAlone) {
    LoopbackHttpServer server(Answer("HTTP/1.1 200 OK", "archive"));
    PointUpdateHostAt(server);
    fs::create_directory("elsewhere");
    std::ofstream("elsewhere/kept.rar") << "earlier copy";
    fs::create_symlink("elsewhere/kept.rar", "volmender1.23.rar");
    ASSERT_TRUE(DownloadNextVersion());
    EXPECT_TRUE(fs::is_symlink("volmender1.23.rar"));
    EXPECT_EQ(ReadWhole("elsewhere/kept.rar"), "archive");

    fs::remove("volmender1.23.rar");
    ASSERT_EQ(mkfifo("volmender1.23.rar", 0600), 0);
    EXPECT_FALSE(DownloadNextVersion());
    EXPECT_TRUE(fs::is_fifo("volmender1.23.rar"));
    EXPECT_EQ(server.Requests().size(), 1u);
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
