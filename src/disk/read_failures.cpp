#include "disk/read_failures.h"

#include "disk/flavour.h"

namespace d_api {
namespace {

// Only the GUI thread reads from the drives, so one slot serves.
ReadFailureListener* listening = nullptr;

}  // namespace

ReadFailureListening::ReadFailureListening(ReadFailureListener& listener) : previous_(listening)
{
    listening = &listener;
}

ReadFailureListening::~ReadFailureListening()
{
    listening = previous_;
}

void ReportTransferFailure(ReadKind kind, std::uint8_t drive, std::uint32_t sector, std::uint16_t count,
                           win32::DWORD error)
{
    std::string text = ReadErrorText(kind, CurrentFlavour(), error, drive, sector, count);
    if (!listening) {
        win32::MessageBoxA(nullptr, text.c_str(), ReadErrorCaption, win32::MB_OK);
        return;
    }
    const std::uint32_t unitSectors = kind == ReadKind::Sector ? 1 : BlockSectors;
    listening->TransferFailed({drive, sector, unitSectors * count, std::move(text)});
}

void ReportUnopenedDrive(std::uint8_t drive)
{
    if (listening) listening->DriveUnreachable(drive);
}

}  // namespace d_api
