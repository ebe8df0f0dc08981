#pragma once
// The Windows 9x sector driver of a described machine. It answers two request
// codes with a 20-byte request block as its input: 2 reads sectors of a BIOS
// drive into the memory at the block's 32-bit buffer address, 4 fills the
// 30-byte extended drive-parameter record at that address.

#include <memory>

#include "platform/kept_image.h"
#include "platform/machine.h"
#include "platform/machine_description.h"

namespace platform {

// `images` are the machine's drives, shared with its physical-drive devices.
std::shared_ptr<Device> MakeSectorDriverDevice(std::shared_ptr<const MachineDescription> machine,
                                               std::shared_ptr<KeptImages> images, Observations& observations);

}  // namespace platform
