#include "ui/window_repair_host.h"

#include <QWidget>

#include "disk/read_error_text.h"
#include "platform/win32.h"
#include "ui/dialog_service.h"
#include "ui/process_messages.h"

namespace ui {

WindowRepairHost::WindowRepairHost(QWidget* busyPanel) : busyPanel_(busyPanel) {}

void WindowRepairHost::ShowBusyPanel()
{
    busyPanel_->show();
    busyPanel_->raise();
}

void WindowRepairHost::HideBusyPanel()
{
    busyPanel_->hide();
}

void WindowRepairHost::ProcessMessages()
{
    ui::ProcessMessages();
}

void WindowRepairHost::ShowMessage(const std::string& text)
{
    Dialogs().ShowMessage(QString::fromStdString(text));
}

void WindowRepairHost::ShowInformation(const std::string& text)
{
    Dialogs().ShowInformation(QString::fromStdString(text));
}

// The same box as a failed read outside a repair shows through MessageBoxA.
void WindowRepairHost::ShowReadError(const std::string& text)
{
    Dialogs().SystemMessageBox(QString::fromStdString(text), QString::fromUtf8(d_api::ReadErrorCaption),
                               win32::MB_OK);
}

void WindowRepairHost::ShowError(const std::string& text)
{
    Dialogs().ShowError(QString::fromStdString(text));
}

bool WindowRepairHost::AskYesNo(const std::string& question)
{
    return Dialogs().AskYesNo(QString::fromStdString(question));
}

// Paths are handed on as UTF-8, the file system's encoding here.
std::optional<std::string> WindowRepairHost::AskSaveFileName()
{
    const std::optional<QString> chosen = Dialogs().AskSaveFileName();
    if (!chosen) return std::nullopt;
    return chosen->toStdString();
}

}  // namespace ui
