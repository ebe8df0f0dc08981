#include "loopback_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace update_test {

LoopbackHttpServer::LoopbackHttpServer(std::string answer, Conduct conduct, std::chrono::milliseconds pace)
    : answer_(std::move(answer)), conduct_(conduct), pace_(pace) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener_, 8) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener_ >= 0) close(listener_);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread(&LoopbackHttpServer::Serve, this);
}

LoopbackHttpServer::~LoopbackHttpServer() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    stopping_.notify_all();
    shutdown(listener_, SHUT_RDWR);  // wakes the accept below
    thread_.join();
    close(listener_);
}

std::string LoopbackHttpServer::Address() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> LoopbackHttpServer::Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
}

void LoopbackHttpServer::Serve() {
    for (;;) {
        const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) return;
        HandleConnection(connection);
        close(connection);
    }
}

void LoopbackHttpServer::HandleConnection(int connection) {
    std::string head;
    char chunk[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        const ssize_t got = recv(connection, chunk, sizeof chunk, 0);
        if (got <= 0) break;
        head.append(chunk, static_cast<size_t>(got));
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(head);
    }
    if (conduct_ != Conduct::Stall && !Send(connection, answer_)) return;
    if (conduct_ == Conduct::AnswerThenDrip) return DripEndlessly(connection);
    if (conduct_ == Conduct::Stall || conduct_ == Conduct::AnswerThenStall) {
        std::unique_lock lock(mutex_);
        stopping_.wait(lock, [this] { return stop_; });
    }
}

bool LoopbackHttpServer::Send(int connection, const std::string& bytes) {
    // MSG_NOSIGNAL: a client that gave up must not kill the test with SIGPIPE.
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t put = send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (put <= 0) return false;
        sent += static_cast<size_t>(put);
    }
    return true;
}

// Until the client gives up or the server stops.
void LoopbackHttpServer::DripEndlessly(int connection) {
    const std::string drop = pace_.count() == 0 ? std::string(64 * 1024, 'x') : std::string(1, 'x');
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            if (stopping_.wait_for(lock, pace_, [this] { return stop_; })) return;
        }
        if (!Send(connection, drop)) return;
    }
}

}  // namespace update_test
