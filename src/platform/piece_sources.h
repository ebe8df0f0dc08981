#pragma once
// The two ways a read window's pieces come from a descriptor.

#include <memory>

#include "platform/read_window.h"

namespace platform {

// Each piece read with pread when it is asked for: an image file, or a disk
// where nothing better is to be had. `fd` stays the caller's.
std::unique_ptr<PieceSource> ReadPieces(int fd);

// Pieces read in the background by the kernel's asynchronous I/O, which a
// descriptor opened for direct transfers (O_DIRECT) allows: the device fills
// the next piece while the reads copy out of this one. Where the kernel has
// no context to give, the pieces are read as ReadPieces reads them.
std::unique_ptr<PieceSource> BackgroundPieces(int fd);

}  // namespace platform
