#pragma once
// A machine described in a text file: image files as drives, the platform
// family, the Windows 9x sector driver and injected faults.

#include <memory>
#include <string>

#include "platform/machine.h"
#include "platform/machine_description.h"

namespace platform {

std::shared_ptr<Machine> MakeDescribedMachine(MachineDescription description);

}  // namespace platform
