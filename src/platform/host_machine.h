#pragma once
// The machine the program runs on: Linux whole-disk block devices as the
// physical drives, mounted file systems as drive letters.

#include <memory>

#include "platform/machine.h"

namespace platform {

std::shared_ptr<Machine> MakeHostMachine();

}  // namespace platform
