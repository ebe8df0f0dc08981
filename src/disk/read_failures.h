#pragma once
// Who hears of a read that failed. Outside a repair it is the user: every
// failed transfer shows the read-error box, and a drive that cannot be opened
// says nothing. A repair reads thousands of sectors and listens instead: it
// shows the first failure, counts the rest, and learns at once when its
// drive can no longer be opened.

#include <cstdint>
#include <string>

#include "disk/read_error_text.h"
#include "platform/win32.h"

namespace d_api {

struct ReadFailure {
    std::uint8_t drive = 0;
    std::uint32_t firstSector = 0;
    std::uint32_t sectors = 0;  // the sectors the read asked for: 1, or 800 for a Block
    std::string boxText;        // what the read-error box would have said
};

class ReadFailureListener {
public:
    virtual ~ReadFailureListener() = default;
    // The transfer itself failed on a drive that could be opened.
    virtual void TransferFailed(const ReadFailure& failure) = 0;
    // The drive could not be opened for a read on the Windows NT family: it
    // was unplugged, or its device is refused to us now.
    virtual void DriveUnreachable(std::uint8_t drive) = 0;
};

// While it lives, failed reads go to `listener` instead of the user. Scopes
// nest: when one ends, the listener before it hears the failures again.
class ReadFailureListening {
public:
    explicit ReadFailureListening(ReadFailureListener& listener);
    ~ReadFailureListening();
    ReadFailureListening(const ReadFailureListening&) = delete;
    ReadFailureListening& operator=(const ReadFailureListening&) = delete;

private:
    ReadFailureListener* previous_;
};

// Used by the transfers. A failed transfer goes to the listener, or without
// one to the read-error box; a drive that could not be opened goes to the
// listener only.
void ReportTransferFailure(ReadKind kind, std::uint8_t drive, std::uint32_t sector, std::uint16_t count,
                           win32::DWORD error);
void ReportUnopenedDrive(std::uint8_t drive);

}  // namespace d_api
