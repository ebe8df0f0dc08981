#include "repair/drive_choice.h"

namespace repair {

std::vector<d_api::TDriveParams> ListDrives(RepairState& state)
{
    std::vector<d_api::TDriveParams> answering;
    for (int drive = 0; drive <= 255; ++drive) {
        d_api::TDriveParams params{};
        if (!d_api::GetDriveParams(static_cast<std::uint8_t>(drive), params)) continue;
        state.DriveNumbers[answering.size()] = static_cast<std::uint8_t>(drive);
        answering.push_back(params);
    }
    return answering;
}

void SelectDrive(RepairState& state, std::uint32_t drive)
{
    state.SelectedDrive = drive;
    d_api::GetDriveParams(state.Drive(), state.DriveParams);
    state.CurSector = 0;
}

void ChooseDrive(RepairState& state, std::size_t line)
{
    if (line < state.DriveNumbers.size()) SelectDrive(state, state.DriveNumbers[line]);
}

bool ReadFirstSector(RepairState& state)
{
    return d_api::ReadSectors(state.Drive(), state.CurSector, 1, state.SectorBuf.data());
}

}  // namespace repair
