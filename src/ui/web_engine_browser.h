#pragma once
// The embedded browser the programs ship with: a Qt WebEngine view.

#include "ui/web_browser.h"

namespace ui {

// Chromium's sandbox refuses to start for root, and headless machines have no
// GPU: when the program runs as root it tells the engine to do without both.
// Must run in main() before the QApplication is created.
void PrepareWebEngine();

// Browsers that fill their host widget with a QWebEngineView.
WebBrowserFactory WebEngineBrowsers();

}  // namespace ui
