// volmender-fat32: brings back a FAT32 volume whose boot sector was destroyed.

#include <QApplication>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "platform/machine_selection.h"
#include "ui/dialog_service.h"
#include "ui/platform_handlers.h"
#include "ui/qt_dialog_service.h"
#include "volmender-fat32/start_up.h"

int main(int argc, char* argv[])
{
    // A described machine that cannot be read ends the run before anything
    // starts: the host's own disks must not stand in for the images meant.
    if (const std::optional<std::string> error = platform::UseMachineFromEnvironment()) {
        std::cerr << *error << std::endl;
        return 2;
    }
    QApplication application(argc, argv);
    ui::SetDialogs(std::make_unique<ui::QtDialogService>());
    ui::InstallPlatformHandlers();
    return volmender_fat32::RunProgram();
}
