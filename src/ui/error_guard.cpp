#include "ui/error_guard.h"

#include <exception>

#include "ui/dialog_service.h"

namespace ui {

QString ErrorBoxText(const QString& message)
{
    if (message.endsWith(QLatin1Char('.'))) return message;
    return message + QLatin1Char('.');
}

bool RunGuarded(const std::function<void()>& body)
{
    try {
        body();
        return true;
    } catch (const std::exception& error) {
        Dialogs().ShowError(QString::fromUtf8(error.what()));
        return false;
    }
}

}  // namespace ui
