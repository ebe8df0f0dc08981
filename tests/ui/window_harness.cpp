#include "window_harness.h"

#include <QTest>

namespace ui_testing {

void ShowAndActivate(QWidget& window)
{
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) throw std::runtime_error("the window did not become active");
}

ProgramMachine::~ProgramMachine()
{
    if (d_api::VxdHandle != win32::INVALID_HANDLE_VALUE) win32::CloseHandle(d_api::VxdHandle);
    d_api::VxdHandle = win32::INVALID_HANDLE_VALUE;
    d_api::ExitProcSlot() = nullptr;
}

bool ProgramMachine::Use()
{
    Install();
    return d_api::DApiInit(flavour_, [](const std::string&) {});
}

}  // namespace ui_testing
