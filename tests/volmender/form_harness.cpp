#include "form_harness.h"

#include <QTest>
#include <stdexcept>

#include "disk/d_api.h"
#include "ui/platform_handlers.h"
#include "ui/recording_web_browser.h"

void DescribedMachine::AddDrive(int number, std::uint64_t sectors, const std::string& options)
{
    const std::string image = "drive" + std::to_string(number) + ".img";
    machine_.MakeImage(image, sectors * 512);
    machine_.Line("drive " + std::to_string(number) + " " + image + " " + options);
}

void DescribedMachine::AddLine(const std::string& line)
{
    machine_.Line(line);
}

void DescribedMachine::Use()
{
    machine_.Install();
    d_api::DApiInit(d_api::DApiFlavour::Volmender, [](const std::string&) {});
}

std::string DescribedMachine::Folder() const
{
    return machine_.Folder();
}

FormHarness::FormHarness(DownloadAnswer answer) : dialogs(ui::UseScriptedDialogs())
{
    ui::InstallPlatformHandlers();
    TForm1Services services;
    services.makeBrowser = ui::RecordingWebBrowsers(&navigations);
    services.downloadFile = [this, answer](const std::string& url, const std::string& localName) {
        downloads.emplace_back(url, localName);
        if (answer == DownloadAnswer::Throws) throw std::runtime_error(DownloadError);
        return answer == DownloadAnswer::Succeeds;
    };
    form = std::make_unique<TForm1>(std::move(services));
}

void FormHarness::ShowAndActivate()
{
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) throw std::runtime_error("the window did not become active");
}
