#include "form_harness.h"

#include <stdexcept>

#include "ui/recording_web_browser.h"

FormHarness::FormHarness(DownloadAnswer answer)
{
    TForm1Services services;
    services.makeBrowser = ui::RecordingWebBrowsers(&navigations);
    services.downloadFile = [this, answer](const std::string& url, const std::string& localName) {
        downloads.emplace_back(url, localName);
        if (answer == DownloadAnswer::Throws) throw std::runtime_error(DownloadError);
        return answer == DownloadAnswer::Succeeds;
    };
    form = std::make_unique<TForm1>(std::move(services));
}
