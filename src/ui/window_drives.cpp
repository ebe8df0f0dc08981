#include "ui/window_drives.h"

#include <QComboBox>

#include "repair/drive_choice.h"
#include "repair/repair_texts.h"
#include "ui/dialog_service.h"
#include "ui/drive_list_box.h"

namespace ui {

WindowDrives::WindowDrives(repair::RepairState& state, QComboBox* dList)
    : state_(state), dList_(dList), listBox_(new DriveListBox(dList))
{
}

// The window destroys its children after its own members: nothing the drive
// list reports while it goes must reach a window whose members are gone.
WindowDrives::~WindowDrives()
{
    listBox_->disconnect();
}

// Drives that came or went since the last activation show up or drop out.
void WindowDrives::Refill()
{
    QStringList lines;
    for (const d_api::TDriveParams& params : repair::ListDrives(state_)) lines << DriveListLine(params);
    listBox_->Refill(lines);
}

bool WindowDrives::ChooseLine(int line)
{
    if (line < 0 || line >= dList_->count()) return false;
    repair::ChooseDrive(state_, static_cast<std::size_t>(line));
    driveChosen_ = true;
    listBox_->SetChosenCaption(dList_->itemText(line));
    return true;
}

void WindowDrives::ReadFirstSector()
{
    if (!repair::ReadFirstSector(state_)) Dialogs().ShowInformation(QString::fromUtf8(repair::texts::ReadError));
}

}  // namespace ui
