#include "ui/web_engine_browser.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QtGlobal>

namespace ui {
namespace {

class WebEngineBrowser : public WebBrowser {
public:
    explicit WebEngineBrowser(QWidget* host) : view_(new QWebEngineView(host))
    {
        auto* layout = new QVBoxLayout(host);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view_);
    }
    void Navigate(const QString& url) override { view_->load(QUrl(url)); }

private:
    QWebEngineView* view_;  // owned by the host widget
};

}  // namespace

void PrepareWebEngine()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0) qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
}

WebBrowserFactory WebEngineBrowsers()
{
    return [](QWidget* host) { return std::make_unique<WebEngineBrowser>(host); };
}

}  // namespace ui
