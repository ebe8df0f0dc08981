#include "volmender-fat32/start_up.h"

#include <QApplication>

#include "disk/d_api.h"
#include "ui/dialog_service.h"
#include "volmender-fat32/tform1.h"

namespace volmender_fat32 {

int RunProgram()
{
    const bool started = d_api::DApiInit(d_api::DApiFlavour::VolmenderFat32, [](const std::string& text) {
        ui::Dialogs().ShowMessage(QString::fromStdString(text));
    });
    // The driver-load failure has shown its own box; the halt still ends the
    // run the ordinary way, with exit code 0.
    if (!started) {
        d_api::RunExitProcs();
        return 0;
    }
    int exitCode = 0;
    {
        TForm1 form;
        form.show();
        exitCode = QApplication::exec();
    }
    d_api::RunExitProcs();
    return exitCode;
}

}  // namespace volmender_fat32
