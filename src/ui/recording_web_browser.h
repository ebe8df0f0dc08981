#pragma once
// A stand-in for the embedded browser: loads nothing, records every page it
// was sent to.

#include <QStringList>

#include "ui/web_browser.h"

namespace ui {

class RecordingWebBrowser : public WebBrowser {
public:
    explicit RecordingWebBrowser(QStringList* navigations) : navigations_(navigations) {}
    void Navigate(const QString& url) override { navigations_->append(url); }

private:
    QStringList* navigations_;
};

// A factory whose browsers append to `navigations`, which must outlive them.
inline WebBrowserFactory RecordingWebBrowsers(QStringList* navigations)
{
    return [navigations](QWidget*) { return std::make_unique<RecordingWebBrowser>(navigations); };
}

}  // namespace ui
