#pragma once
// The image files behind a described machine's drives, each opened once for
// the run and shared by every handle and driver request on its drive, so that
// a transfer costs no open and close of its own.
//
// A kept descriptor would go on reading a file that has since been deleted or
// replaced, which a drive whose image is gone must not do. So every new use
// (every CreateFileA) looks the path up once more: it must still name the
// file first opened, no shorter than it was then, or the use fails as the
// open of a missing image does. Reads then come from a mapping of the file
// and cost no system call, which keeps a transfer at that one look-up. A
// handle already open when its image is truncated is not protected: it must
// not read past the new end (the mapping would fault), which no transfer of
// the programs does, as each opens, reads and closes at once.

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/machine_description.h"
#include "platform/win32.h"

namespace platform {

class KeptImage {
public:
    explicit KeptImage(std::string path) : path_(std::move(path)) {}
    ~KeptImage();
    KeptImage(const KeptImage&) = delete;
    KeptImage& operator=(const KeptImage&) = delete;

    // Opens the image at the first call; at every later one checks that the
    // path still names it, no shorter than it was. 0 or the error code.
    win32::DWORD Check(bool forWriting);

    // Delivers what lies inside the size first seen; `done` is the count.
    void Read(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done) const;
    // Writes all `length` bytes inside that size and flushes them to the
    // file, or writes nothing outside it.
    win32::DWORD Write(std::uint64_t offset, const void* buffer, win32::DWORD length, win32::DWORD& done) const;

    // The size when first opened: the drive's size for the whole run.
    std::uint64_t Bytes() const { return bytes_; }

private:
    win32::DWORD OpenFirstTime();

    std::string path_;
    int fd_ = -1;
    win32::DWORD writeRefusal_ = 0;  // why the image could not be opened for writing
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::uint64_t bytes_ = 0;
    const std::uint8_t* mapping_ = nullptr;
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
    std::mutex lock_;
    std::map<unsigned, std::shared_ptr<KeptImage>> images_;
};

}  // namespace platform
