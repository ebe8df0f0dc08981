#pragma once
// Connects the Win32 stand-in to the GUI: MessageBoxA becomes the dialog
// service's system message box, GetSystemMetrics reads the primary screen.

namespace ui {

void InstallPlatformHandlers();

}  // namespace ui
