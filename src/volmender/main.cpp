// The start of volmender: the application object, the dialogs, the raw disk
// layer, then the main window and its message loop.

#include <QApplication>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "disk/d_api.h"
#include "platform/machine_selection.h"
#include "ui/dialog_service.h"
#include "ui/platform_handlers.h"
#include "ui/qt_dialog_service.h"
#include "ui/web_engine_browser.h"
#include "volmender/tform1.h"
#include "volmender/update/update_download.h"

int main(int argc, char* argv[])
{
    // A described machine that cannot be read ends the run before anything
    // starts: the host's own disks must not stand in for the images meant.
    if (const std::optional<std::string> error = platform::UseMachineFromEnvironment()) {
        std::cerr << *error << std::endl;
        return 2;
    }
    ui::PrepareWebEngine();
    QApplication application(argc, argv);
    ui::SetDialogs(std::make_unique<ui::QtDialogService>());
    ui::InstallPlatformHandlers();

    const bool goOn = d_api::DApiInit(d_api::DApiFlavour::Volmender, [](const std::string& text) {
        ui::Dialogs().ShowMessage(QString::fromStdString(text));
    });
    int result = 0;
    if (goOn) {
        TForm1 Form1({ui::WebEngineBrowsers(), [](const std::string& url, const std::string& localName) {
                          return update::DownloadFile(url, localName);
                      }});
        if (!Form1.ProgramEnded()) {
            Form1.show();
            result = application.exec();
        }
    }
    d_api::RunExitProcs();
    return result;
}
