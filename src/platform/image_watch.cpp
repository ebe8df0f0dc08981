#include "platform/image_watch.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>

namespace platform {
namespace {

constexpr std::uint32_t FileChanges = IN_MODIFY | IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF;
constexpr std::uint32_t FolderChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MOVE_SELF |
                                        IN_DELETE_SELF;

std::atomic<unsigned> reports{0};
static_assert(std::atomic<unsigned>::is_always_lock_free, "counted inside a signal handler");

void CountReport(int) { reports.fetch_add(1, std::memory_order_relaxed); }

// The signal the instances raise: the last real-time one, which nothing else
// in the programs uses. Installed once; when someone else holds it already,
// no instance is made to raise it.
int ReportSignal()
{
    static const int signal = [] {
        const int candidate = SIGRTMAX;
        struct sigaction before {};
        if (::sigaction(candidate, nullptr, &before) != 0 || before.sa_handler != SIG_DFL) return 0;
        struct sigaction counting {};
        counting.sa_handler = CountReport;
        counting.sa_flags = SA_RESTART;
        sigemptyset(&counting.sa_mask);
        return ::sigaction(candidate, &counting, nullptr) == 0 ? candidate : 0;
    }();
    return signal;
}

}  // namespace

ImageWatch::ImageWatch()
{
    const int signal = ReportSignal();
    if (!signal) return;
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) return;
    if (::fcntl(fd_, F_SETOWN, ::getpid()) != 0 || ::fcntl(fd_, F_SETSIG, signal) != 0 ||
        ::fcntl(fd_, F_SETFL, O_NONBLOCK | O_ASYNC) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
    seen_ = reports.load(std::memory_order_acquire);
}

ImageWatch::~ImageWatch()
{
    if (fd_ >= 0) ::close(fd_);
}

bool ImageWatch::Watch(const std::string& path)
{
    if (fd_ < 0) return false;
    const std::string folder = std::filesystem::absolute(path).parent_path().string();
    return ::inotify_add_watch(fd_, path.c_str(), FileChanges) >= 0 &&
           ::inotify_add_watch(fd_, folder.c_str(), FolderChanges) >= 0;
}

unsigned ImageWatch::Changes()
{
    if (fd_ < 0) return ++seen_;
    const unsigned now = reports.load(std::memory_order_acquire);
    if (now == seen_) return now;
    seen_ = now;
    // Emptied, or a full queue would drop later reports and raise no signal.
    alignas(inotify_event) char events[4096];
    while (::read(fd_, events, sizeof events) > 0) {
    }
    return now;
}

}  // namespace platform
