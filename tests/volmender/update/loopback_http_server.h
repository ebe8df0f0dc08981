#pragma once
// A small HTTP server on 127.0.0.1 for the download tests: it listens on a
// port the system picks, reads each request head and sends a scripted answer.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace update_test {

class LoopbackHttpServer {
public:
    enum class Conduct {
        Answer,           // send the scripted answer, then close the connection
        Stall,            // read the request and then say nothing until the server stops
        AnswerThenStall,  // send the answer, then hold the connection open in silence
        AnswerThenDrip,   // send the answer, then one more byte every `pace`, without end
                          // (a zero pace: as fast as the client takes them)
    };

    explicit LoopbackHttpServer(std::string answer, Conduct conduct = Conduct::Answer,
                                std::chrono::milliseconds pace = {});
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    unsigned short Port() const { return port_; }
    // "127.0.0.1:PORT", for a described machine's host line.
    std::string Address() const;
    // The request heads received so far, in order.
    std::vector<std::string> Requests();

private:
    void Serve();
    void HandleConnection(int connection);
    bool Send(int connection, const std::string& bytes);
    void DripEndlessly(int connection);

    const std::string answer_;
    const Conduct conduct_;
    const std::chrono::milliseconds pace_;
    int listener_ = -1;
    unsigned short port_ = 0;
    std::mutex mutex_;
    std::condition_variable stopping_;
    bool stop_ = false;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace update_test
