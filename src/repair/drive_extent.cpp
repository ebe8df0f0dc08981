#include "repair/drive_extent.h"

#include "repair/repair_texts.h"

namespace repair {

bool LearnDriveLength(RepairState& state, RepairHost& host)
{
    if (state.Reader.LearnLength()) return true;
    host.ShowInformation(texts::ReadError);
    return false;
}

std::optional<std::uint32_t> WholeDriveVolumeSectors(std::uint64_t driveSectors)
{
    if (driveSectors > LastAddressableSector) return std::nullopt;
    return static_cast<std::uint32_t>(driveSectors);
}

}  // namespace repair
