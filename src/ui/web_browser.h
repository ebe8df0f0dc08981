#pragma once
// The embedded web browser of the main window, behind a small layer so that
// the window does not depend on a particular engine and tests can do without one.

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace ui {

class WebBrowser {
public:
    virtual ~WebBrowser() = default;
    // Loads the page at `url`.
    virtual void Navigate(const QString& url) = 0;
};

// Puts a browser into `host` (the layout's placeholder) and returns it.
using WebBrowserFactory = std::function<std::unique_ptr<WebBrowser>(QWidget* host)>;

}  // namespace ui
