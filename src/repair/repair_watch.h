#pragma once
// Watches the reads of one repair from its start to its end. The first
// transfer that fails is shown in the read-error box; it and every later one
// are counted in the run; a drive that can no longer be opened stops the
// repair. A bad disk would otherwise raise one modal box per failed read,
// thousands of them, and a scan of an unplugged drive would run on over
// nothing.

#include "disk/read_failures.h"
#include "repair/repair_host.h"
#include "repair/repair_run.h"

namespace repair {

class RepairWatch : private d_api::ReadFailureListener {
public:
    // Clears `run` and listens to every read until the watch ends, when `run`
    // is cleared again: outside a repair nothing stops and nothing is counted.
    RepairWatch(RepairRun& run, RepairHost& host);
    ~RepairWatch() override;
    RepairWatch(const RepairWatch&) = delete;
    RepairWatch& operator=(const RepairWatch&) = delete;

private:
    void TransferFailed(const d_api::ReadFailure& failure) override;
    void DriveUnreachable(std::uint8_t drive) override;

    RepairRun& run_;
    RepairHost& host_;
    bool boxShown_ = false;
    // Last: it starts listening once everything above is ready.
    d_api::ReadFailureListening listening_;
};

}  // namespace repair
