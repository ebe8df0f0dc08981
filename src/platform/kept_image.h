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
// tells when to look). Reads are one pread on the kept descriptor, straight
// into the caller's buffer; an image cut shorter under an open handle makes
// the read that no longer finds its bytes fail.

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/image_watch.h"
#include "platform/machine_description.h"
#include "platform/win32.h"

namespace platform {

class KeptImage {
public:
    explicit KeptImage(std::string path) : path_(std::move(path)) {}
    ~KeptImage();
    KeptImage(const KeptImage&) = delete;
    KeptImage& operator=(const KeptImage&) = delete;

    // Opens the image at the first call and has `watch` follow it; at a later
    // one, when `mayHaveChanged`, checks that the path still names it, no
    // shorter than it was. 0 or the error code.
    win32::DWORD Check(bool forWriting, bool mayHaveChanged, ImageWatch& watch);

    // Delivers what lies inside the size first seen; `done` is the count. A
    // read inside that size that finds fewer bytes fails with
    // ERROR_READ_FAULT; what it may have put in `buffer` is then undefined.
    win32::DWORD Read(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done) const;
    // Writes all `length` bytes inside that size and flushes them to the
    // file, or writes nothing outside it.
    win32::DWORD Write(std::uint64_t offset, const void* buffer, win32::DWORD length, win32::DWORD& done) const;

    // The size when first opened: the drive's size for the whole run.
    std::uint64_t Bytes() const { return bytes_; }

private:
    win32::DWORD OpenFirstTime();
    win32::DWORD LookAgain();

    std::string path_;
    int fd_ = -1;
    win32::DWORD writeRefusal_ = 0;  // why the image could not be opened for writing
    bool watched_ = false;           // false: the path is looked up at every use
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::uint64_t bytes_ = 0;
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
    ImageWatch watch_;
    std::map<unsigned, std::shared_ptr<KeptImage>> images_;
    std::map<unsigned, bool> mayHaveChanged_;  // by drive: since its image was last looked at
};

}  // namespace platform
