#include "repair/drive_extent.h"

#include <algorithm>

#include "repair/analysis.h"
#include "repair/repair_texts.h"

namespace repair {

bool LearnDriveLength(RepairState& state, RepairHost& host)
{
    std::uint64_t sectors = 0;
    if (!d_api::GetDriveSectorCount(state.Drive(), sectors)) {
        state.DriveSectors.reset();
        host.ShowInformation(texts::ReadError);
        return false;
    }
    state.DriveSectors = sectors;
    return true;
}

std::optional<std::uint32_t> WholeDriveVolumeSectors(std::uint64_t driveSectors)
{
    if (driveSectors > LastAddressableSector) return std::nullopt;
    return static_cast<std::uint32_t>(driveSectors);
}

bool InsideDrive(const RepairState& state, std::uint64_t first, std::uint64_t count)
{
    return !state.DriveSectors || (first <= *state.DriveSectors && count <= *state.DriveSectors - first);
}

bool ReadSectorInsideDrive(const RepairState& state, std::uint64_t sector,
                           std::span<std::uint8_t, d_api::SectorSize> buffer)
{
    std::ranges::fill(buffer, 0);
    if (sector > LastAddressableSector || !InsideDrive(state, sector, 1)) return false;
    return d_api::ReadSectors(state.Drive(), static_cast<std::uint32_t>(sector), 1, buffer.data());
}

}  // namespace repair
