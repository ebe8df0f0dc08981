#include "ui/platform_handlers.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/win32.h"
#include "ui/dialog_service.h"

namespace ui {

void InstallPlatformHandlers()
{
    win32::SetMessageBoxHandler([](win32::HWND, const char* text, const char* caption, win32::DWORD type) {
        return Dialogs().SystemMessageBox(QString::fromUtf8(text ? text : ""),
                                          QString::fromUtf8(caption ? caption : ""), type);
    });
    win32::SetScreenSizeHandler([](int index) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen) return 0;
        const QSize size = screen->size();
        switch (index) {
        case win32::SM_CXSCREEN: return size.width();
        case win32::SM_CYSCREEN: return size.height();
        default: return 0;
        }
    });
}

}  // namespace ui
