#pragma once
// One whole disk of the host, opened once for the run and shared by every
// handle on its drive number. The kernel drops a block device's page cache at
// its last close; with the descriptor kept, what one transfer read is still in
// memory for the next.
//
// A kept descriptor must never let a transfer reach another disk than the one
// numbered. A descriptor stays bound to the disk it opened: once that disk is
// unplugged, reads through it fail or find no sectors, even when another disk
// takes its name. A loop device, though, stays the same device when it is
// attached to another file (which the kernel refuses while we hold it open),
// and a card reader when its card is changed; both take a new sequence
// number. A new handle costs no system call: a transfer that fails or comes
// back short asks /sys/block whether the disk is still there, a query (the
// drive list, the length at a repair's start) asks the descriptor for its
// sequence number and size, and a write checks its own descriptor.
//
// Reads bypass the page cache: they are served from a read window of the
// disk's own (read_window.h), whose pieces the device transfers straight into
// it, in the background, while the reads copy out of the piece before. The
// page cache of a block device is a poor place for them: the kernel fills it
// a page at a time, and drops it at the last close of the device. What the
// window holds is forgotten at every query, so a new repair reads the disk
// afresh, and at every write.

#include <cstdint>
#include <memory>

#include "platform/host_inventory.h"
#include "platform/read_window.h"
#include "platform/win32.h"

namespace platform {

class HostDisk {
public:
    // Opens /dev/NAME for reading without waiting for a medium, for direct
    // transfers where the device allows them; nullptr with `error` set when
    // it cannot be opened.
    static std::shared_ptr<HostDisk> Open(const WholeDisk& disk, win32::DWORD& error);
    ~HostDisk();
    HostDisk(const HostDisk&) = delete;
    HostDisk& operator=(const HostDisk&) = delete;

    // Asked by every query, which then reads the disk afresh:
    // 0 while the descriptor still reaches the disk numbered (and, when
    // `needsMedium`, that disk holds a medium); ERROR_FILE_NOT_FOUND once the
    // disk has gone, for good; ERROR_NOT_READY without a medium.
    win32::DWORD Check(bool needsMedium);
    // After a failed or short transfer: true when the disk has gone, which
    // then holds for good.
    bool VanishedAfterFailure();
    bool Gone() const { return gone_; }
    // True when `fd`, opened on this disk's node, reaches another disk than
    // the one first opened: its sequence number differs.
    bool ReachesAnotherDisk(int fd) const;

    // Reads up to `length` bytes at `offset` (fewer where the disk ends).
    // `buffer` is reached only by a read that succeeds; a read that fails,
    // or comes back short because the disk has gone, leaves it as it was.
    win32::DWORD ReadAt(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done);

    // What the handles of this disk wrote: no read may be served from what
    // was fetched before.
    void Written() { window_.Forget(); }

    const WholeDisk& Identity() const { return identity_; }
    int Descriptor() const { return fd_; }
    bool Removable() const { return removable_; }
    std::uint64_t Bytes() const;

private:
    HostDisk(const WholeDisk& identity, int fd, bool removable, std::unique_ptr<PieceSource> pieces)
        : identity_(identity), fd_(fd), removable_(removable), window_(std::move(pieces))
    {
    }

    WholeDisk identity_;
    int fd_;
    bool removable_;
    bool gone_ = false;
    ReadWindow window_;  // its pieces come through fd_
};

}  // namespace platform
