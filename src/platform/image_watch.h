#pragma once
// Tells the kept images of a described machine whether anything may have
// happened to their files since they were last looked at, without a system
// call per question: a transfer opens its drive thousands of times in a
// repair, and looking the path up again each time cost most of a small one;
// and a read must not be served from bytes fetched before a change.
//
// The kernel reports every change to a watched image (written, cut, its links
// counted anew by a delete or a rename over it) and every name added to or
// taken from its folder to an inotify instance, which raises a signal as each
// report arrives; the signal only counts. The signal comes before the system
// call that made the change returns when this process made it, and at once
// otherwise. Where the instance or the signal cannot be had, every question
// is answered "maybe", and the images are looked at on every open as before.

#include <string>

namespace platform {

class ImageWatch {
public:
    ImageWatch();
    ~ImageWatch();
    ImageWatch(const ImageWatch&) = delete;
    ImageWatch& operator=(const ImageWatch&) = delete;

    // Watches the file at `path` and its folder; false when it cannot, and
    // that file must then be looked at on every open.
    bool Watch(const std::string& path);
    // A count that moves on whenever a report may have come: anything may
    // have changed since a look that saw another count.
    unsigned Changes();

private:
    int fd_ = -1;
    unsigned seen_ = 0;  // the count when the reports were last emptied, or of the answers without a watch
};

}  // namespace platform
