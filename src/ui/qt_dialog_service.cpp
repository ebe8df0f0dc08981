#include "ui/qt_dialog_service.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "platform/win32.h"
#include "ui/application_title.h"
#include "ui/error_guard.h"
#include "ui/form_activation.h"

namespace ui {
namespace {

enum class BoxKind { ProgramDialog, SystemBox };

// A modal box with one OK button and no owner window, so that it opens
// centred on the screen and blocks the whole program until it is closed.
void ShowBox(BoxKind kind, QMessageBox::Icon icon, const QString& caption, const QString& text)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok);
    if (kind == BoxKind::SystemBox) MarkAsSystemBox(&box);
    box.exec();
}

QMessageBox::Icon IconOfStyle(unsigned style)
{
    switch (style & 0xF0u) {
    case win32::MB_ICONERROR: return QMessageBox::Critical;
    case 0x20u: return QMessageBox::Question;
    case win32::MB_ICONWARNING: return QMessageBox::Warning;
    case win32::MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

}  // namespace

void QtDialogService::ShowMessage(const QString& text)
{
    ShowBox(BoxKind::ProgramDialog, QMessageBox::NoIcon, ApplicationTitle(), text);
}

void QtDialogService::ShowInformation(const QString& text)
{
    ShowBox(BoxKind::ProgramDialog, QMessageBox::Information, QStringLiteral("Information"), text);
}

int QtDialogService::SystemMessageBox(const QString& text, const QString& caption, unsigned style)
{
    // The programs only ever ask for the single OK button (MB_OK).
    ShowBox(BoxKind::SystemBox, IconOfStyle(style), caption, text);
    return win32::IDOK;
}

void QtDialogService::ShowError(const QString& message)
{
    ShowBox(BoxKind::SystemBox, QMessageBox::Critical, ApplicationTitle(), ErrorBoxText(message));
}

bool QtDialogService::AskYesNo(const QString& question)
{
    // No is the default button: Enter alone must not replace a file.
    QMessageBox box(QMessageBox::Question, ApplicationTitle(), question, QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtDialogService::AskSaveFileName()
{
    // No filter and no default extension; the caller decides what to do with
    // an existing file, so the dialog asks no question about it.
    const QString chosen = QFileDialog::getSaveFileName(QApplication::activeWindow(), QString(), lastSaveName_,
                                                        QString(), nullptr, QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty()) return std::nullopt;
    lastSaveName_ = chosen;
    return chosen;
}

}  // namespace ui
