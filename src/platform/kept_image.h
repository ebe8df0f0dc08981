#pragma once
// The image files behind a described machine's drives, each opened once for
// the run and shared by every handle and driver request on its drive, so that
// a transfer costs no open and close of its own.
//
// A kept descriptor would go on reading a file that has since been deleted or
// replaced, which a drive whose image is gone must not do. So a new use (a
// CreateFileA) after the image's file or folder changed looks the path up
// once more: it must still name the file first opened, no shorter than it was
// then, or the use fails as the open of a missing image does (image_watch.h
// tells when to look). Reads are served from a read window filled by pread
// on the kept descriptor, as the host's disks are, and copied to the caller
// only when they arrived whole; the window is forgotten whenever the image
// may have changed, so an image cut shorter under an open handle makes the
// read that no longer finds its bytes fail.

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/image_watch.h"
#include "platform/machine_description.h"
#include "platform/read_window.h"
#include "platform/win32.h"

namespace platform {

class KeptImage {
public:
    // `watch` follows every image of the machine.
    KeptImage(std::string path, std::shared_ptr<ImageWatch> watch) : path_(std::move(path)), watch_(std::move(watch)) {}
    ~KeptImage();
    KeptImage(const KeptImage&) = delete;
    KeptImage& operator=(const KeptImage&) = delete;

    // Opens the image at the first call and has the watch follow it; at a
    // later one, when the watch saw a change since the last, checks that the
    // path still names it, no shorter than it was. 0 or the error code.
    win32::DWORD Check(bool forWriting);

    // Delivers what lies inside the size first seen; `done` is the count. A
    // read inside that size that finds fewer bytes fails with
    // ERROR_READ_FAULT; a read that fails leaves `buffer` as it was.
    win32::DWORD Read(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done);
    // Writes all `length` bytes inside that size and flushes them to the
    // file, or writes nothing outside it.
    win32::DWORD Write(std::uint64_t offset, const void* buffer, win32::DWORD length, win32::DWORD& done);

    // The size when first opened: the drive's size for the whole run.
    std::uint64_t Bytes() const { return bytes_; }

private:
    win32::DWORD OpenFirstTime();
    win32::DWORD LookAgain();

    std::string path_;
    std::shared_ptr<ImageWatch> watch_;
    int fd_ = -1;
    win32::DWORD writeRefusal_ = 0;  // why the image could not be opened for writing
    bool watched_ = false;           // false: the path is looked up at every use
    unsigned lookedAt_ = 0;          // the watch's count when the path was last looked up
    unsigned fetchedAt_ = 0;         // the watch's count when the window was last found current
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::uint64_t bytes_ = 0;
    std::optional<ReadWindow> window_;  // while the image is open
};

// The kept images of one described machine, by drive number.
class KeptImages {
public:
    explicit KeptImages(std::shared_ptr<const MachineDescription> machine) : machine_(std::move(machine)) {}

    // The checked image of drive `number`, which must be one of the
    // machine's drives; nullptr with `error` set when the check fails.
    std::shared_ptr<KeptImage> Use(unsigned number, bool forWriting, win32::DWORD& error);

private:
    std::shared_ptr<const MachineDescription> machine_;
    std::shared_ptr<ImageWatch> watch_ = std::make_shared<ImageWatch>();
    std::map<unsigned, std::shared_ptr<KeptImage>> images_;
};

}  // namespace platform
