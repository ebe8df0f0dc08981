#pragma once
// The read-error boxes of one command outside a repair. Building the partition
// menu walks the partition tables once for every field of every item, so a
// table sector that cannot be read would show its box at every walk: nine
// modal boxes for one press of the repair button. While this lives, a failed
// transfer shows the box only the first time its sector fails; a drive that
// cannot be opened says nothing, as outside any command.

#include <cstdint>
#include <set>
#include <utility>

#include "disk/read_failures.h"
#include "repair/repair_host.h"

namespace repair {

class OneBoxPerFailedSector : private d_api::ReadFailureListener {
public:
    explicit OneBoxPerFailedSector(RepairHost& host) : host_(host), listening_(*this) {}

private:
    void TransferFailed(const d_api::ReadFailure& failure) override;
    void DriveUnreachable(std::uint8_t) override {}

    RepairHost& host_;
    // Drive and first sector of each failed read whose box was shown.
    std::set<std::pair<std::uint8_t, std::uint32_t>> shown_;
    // Last: it starts listening once everything above is ready.
    d_api::ReadFailureListening listening_;
};

}  // namespace repair
