#include "fat32_harness.h"

#include <QTest>
#include <stdexcept>

#include "disk/d_api.h"
#include "ui/platform_handlers.h"

Fat32Machine::~Fat32Machine()
{
    if (d_api::VxdHandle != win32::INVALID_HANDLE_VALUE) win32::CloseHandle(d_api::VxdHandle);
    d_api::VxdHandle = win32::INVALID_HANDLE_VALUE;
    d_api::ExitProcSlot() = nullptr;
}

Fat32Machine& Fat32Machine::AddDrive(int number, std::uint64_t sectors, const std::string& options)
{
    const std::string image = "drive" + std::to_string(number) + ".img";
    machine_.MakeImage(image, sectors * 512);
    machine_.Line("drive " + std::to_string(number) + " " + image + " " + options);
    return *this;
}

Fat32Machine& Fat32Machine::AddLine(const std::string& line)
{
    machine_.Line(line);
    return *this;
}

void Fat32Machine::Install()
{
    machine_.Install();
}

bool Fat32Machine::Use()
{
    Install();
    return d_api::DApiInit(d_api::DApiFlavour::VolmenderFat32, [](const std::string&) {});
}

std::string Fat32Machine::Image(int number) const
{
    return machine_.Folder() + "/drive" + std::to_string(number) + ".img";
}

WindowHarness::WindowHarness() : dialogs(ui::UseScriptedDialogs())
{
    ui::InstallPlatformHandlers();
    form = std::make_unique<TForm1>();
}

void WindowHarness::ShowAndActivate()
{
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) throw std::runtime_error("the window did not become active");
}
