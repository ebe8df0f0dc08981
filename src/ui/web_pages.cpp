#include "ui/web_pages.h"

#include <QWidget>

#include "platform/win32.h"

namespace ui {

void OpenInInternetExplorer(QWidget* window, const char* address)
{
    win32::ShellExecuteA(reinterpret_cast<win32::HWND>(window->winId()), "open", "IEXPLORE.EXE", address, nullptr,
                         win32::SW_SHOWMAXIMIZED);
}

}  // namespace ui
