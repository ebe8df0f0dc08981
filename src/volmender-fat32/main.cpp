// volmender-fat32: brings back a FAT32 volume whose boot sector was destroyed.

#include <QApplication>
#include <memory>

#include "ui/dialog_service.h"
#include "ui/platform_handlers.h"
#include "ui/qt_dialog_service.h"
#include "volmender-fat32/start_up.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    ui::SetDialogs(std::make_unique<ui::QtDialogService>());
    ui::InstallPlatformHandlers();
    return volmender_fat32::RunProgram();
}
