#include "platform/kept_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_transfers.h"
#include "platform/piece_sources.h"
#include "platform/system_errors.h"

namespace platform {

KeptImage::~KeptImage()
{
    window_.reset();
    if (fd_ >= 0) ::close(fd_);
}

win32::DWORD KeptImage::OpenFirstTime()
{
    fd_ = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
        // An image that may only be read still serves every read.
        writeRefusal_ = SystemErrorFromErrno(errno);
        fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) return SystemErrorFromErrno(errno);
    }
    struct stat status {};
    if (::fstat(fd_, &status) != 0) return SystemErrorFromErrno(errno);
    device_ = status.st_dev;
    inode_ = status.st_ino;
    bytes_ = static_cast<std::uint64_t>(status.st_size);
    window_.emplace(ReadPieces(fd_));
    return 0;
}

win32::DWORD KeptImage::LookAgain()
{
    struct stat status {};
    if (::stat(path_.c_str(), &status) != 0) return SystemErrorFromErrno(errno);
    if (status.st_dev != device_ || status.st_ino != inode_ || static_cast<std::uint64_t>(status.st_size) < bytes_)
        return win32::ERROR_FILE_NOT_FOUND;
    return 0;
}

win32::DWORD KeptImage::Check(bool forWriting)
{
    const unsigned changes = watch_->Changes();
    if (fd_ < 0) {
        // Watched before it is opened, so that no change falls between the two.
        watched_ = watch_->Watch(path_);
        if (win32::DWORD error = OpenFirstTime()) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = -1;
            return error;
        }
    } else if (changes != lookedAt_ || !watched_) {
        if (win32::DWORD error = LookAgain()) return error;
    }
    lookedAt_ = changes;
    return forWriting ? writeRefusal_ : 0;
}

win32::DWORD KeptImage::Read(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done)
{
    done = 0;
    if (offset >= bytes_) return 0;
    const auto wanted = static_cast<win32::DWORD>(std::min<std::uint64_t>(length, bytes_ - offset));
    // What was fetched before the file may have changed is not served after.
    const unsigned changes = watch_->Changes();
    if (changes != fetchedAt_ || !watched_) window_->Forget();
    fetchedAt_ = changes;
    std::uint32_t ready = 0;
    if (win32::DWORD error = window_->Fetch(offset, wanted, ready)) return error;
    if (ready < wanted) return win32::ERROR_READ_FAULT;  // the file was cut shorter
    window_->CopyOut(offset, buffer, wanted);
    done = wanted;
    return 0;
}

win32::DWORD KeptImage::Write(std::uint64_t offset, const void* buffer, win32::DWORD length, win32::DWORD& done)
{
    done = 0;
    if (offset > bytes_ || length > bytes_ - offset) return win32::ERROR_SECTOR_NOT_FOUND;
    window_->Forget();
    if (win32::DWORD error = WriteFullyAt(fd_, offset, buffer, length, done)) return error;
    // The sector must be in the file before the user is told it was written.
    return ::fdatasync(fd_) == 0 ? 0 : SystemErrorFromErrno(errno, win32::ERROR_WRITE_FAULT);
}

std::shared_ptr<KeptImage> KeptImages::Use(unsigned number, bool forWriting, win32::DWORD& error)
{
    std::shared_ptr<KeptImage>& image = images_[number];
    if (!image) image = std::make_shared<KeptImage>(machine_->drives.at(number).image, watch_);
    error = image->Check(forWriting);
    return error ? nullptr : image;
}

}  // namespace platform
