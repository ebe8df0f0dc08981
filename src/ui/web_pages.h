#pragma once
// Opens a web page in the system's browser, maximised, on behalf of a window.
// A page that cannot be opened is not reported.

class QWidget;

namespace ui {

void OpenInInternetExplorer(QWidget* window, const char* address);

}  // namespace ui
