#pragma once
// The start of the FAT32-only program, once the application object and its
// dialogs exist.

namespace volmender_fat32 {

// Starts the raw disk layer, which on Windows 9x loads the sector driver; when
// that fails the program ends at once, without a window. Otherwise the main
// window opens and is served until it is closed. The exit procedures run in
// both cases. Returns the process's exit code.
int RunProgram();

}  // namespace volmender_fat32
