#pragma once
// The line of the drive list that stands for one drive.

#include <QString>

#include "disk/d_api.h"

namespace volmender {

// "U盘 (" for a removable drive, "硬盘 (" for a fixed one, then the size with
// two decimals: "958.00 MB)" below 1000 MB, "74.53 GB)" from there on.
QString DriveListLine(const d_api::TDriveParams& params);

}  // namespace volmender
