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
// The kernel's own read-ahead is turned off for the descriptor: its window
// (megabytes on some devices) would be read past the end of every run of
// reads, and on a slow stick that costs more than the run. In its place a
// small read that finds its bytes missing from memory has the kernel fetch
// one piece from there on, so that the 20,001 single-sector reads of a FAT
// search become a few large device reads, and nothing much past a run is
// read. Large reads (Blocks) go around the page cache, a few at a time.

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/host_inventory.h"
#include "platform/win32.h"

namespace platform {

class HostDisk {
public:
    // Opens /dev/NAME for reading without waiting for a medium; nullptr with
    // `error` set when it cannot be opened.
    static std::shared_ptr<HostDisk> Open(const WholeDisk& disk, win32::DWORD& error);
    ~HostDisk();
    HostDisk(const HostDisk&) = delete;
    HostDisk& operator=(const HostDisk&) = delete;

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

    // Reads up to `length` bytes at `offset`: small reads through the page
    // cache, what is not in memory yet fetched in pieces of at least
    // PrefetchBytes; large ones straight from the device.
    win32::DWORD ReadAt(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done);

    // What the handles of this disk wrote: no read may be served from what
    // was fetched before.
    void Written();

    const WholeDisk& Identity() const { return identity_; }
    int Descriptor() const { return fd_; }
    bool Removable() const { return removable_; }
    std::uint64_t Bytes() const;

private:
    struct FreeAligned {
        void operator()(std::uint8_t* memory) const { std::free(memory); }
    };

    HostDisk(const WholeDisk& identity, int fd, bool removable) : identity_(identity), fd_(fd), removable_(removable) {}
    // The descriptor of the reads that bypass the page cache, opened at the
    // first; false where the device refuses them.
    bool OpenDirect();
    win32::DWORD ReadDirect(std::uint64_t offset, void* buffer, win32::DWORD length, win32::DWORD& done);

    WholeDisk identity_;
    int fd_;
    bool removable_;
    bool gone_ = false;
    int directFd_ = -1;
    bool directRefused_ = false;
    std::unique_ptr<std::uint8_t, FreeAligned> directBuffer_;
    std::uint64_t directBytes_ = 0;    // the aligned buffer's size
    std::uint64_t directFrom_ = 0;     // the disk offset of its first byte
    std::uint64_t directFetched_ = 0;  // how much of it the last fetch filled
};

}  // namespace platform
