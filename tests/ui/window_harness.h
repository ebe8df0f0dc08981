#pragma once
// What a test of either program's main window needs: a described machine on
// which the disk layer starts as that program starts it, scripted dialogs and
// the platform handlers installed before the window is built, and the window.
// Each program's harness (form_harness.h, fat32_harness.h) only builds its form.

#include <gtest/gtest.h>

#include <QWidget>
#include <memory>
#include <stdexcept>

#include "disk/d_api.h"
#include "fixtures/test_machine.h"
#include "ui/platform_handlers.h"
#include "ui/scripted_dialog_service.h"

namespace ui_testing {

// Shows `window` on screen and active, as the programs' start does.
void ShowAndActivate(QWidget& window);

// A described machine for one program. On leaving it, the disk layer is left
// as a fresh process finds it: no driver handle, no exit procedure chained.
class ProgramMachine : public fixtures::TestMachine {
public:
    explicit ProgramMachine(d_api::DApiFlavour flavour) : flavour_(flavour) {}
    ~ProgramMachine();

    // Install, then the disk layer's start-up as the program runs it; returns
    // whether the program may go on.
    bool Use();

private:
    d_api::DApiFlavour flavour_;
};

// The dialogs and handlers of a window test; the program's harness builds `form`.
template <typename Form>
struct WindowHarness {
    WindowHarness() : dialogs(ui::UseScriptedDialogs()) { ui::InstallPlatformHandlers(); }

    ui::ScriptedDialogService& dialogs;
    std::unique_ptr<Form> form;

    void ShowAndActivate() { ui_testing::ShowAndActivate(*form); }
};

// A test of the window on a machine it describes first (drives, faults,
// platform), then builds or starts the window on.
template <typename Harness>
class WindowTest : public ::testing::Test {
protected:
    explicit WindowTest(d_api::DApiFlavour flavour) : machine(flavour) {}

    // Runs the disk start-up on the machine described so far and builds the
    // window, not yet shown. A start-up that stops the program ends the test:
    // the program would show no window either.
    auto& Build()
    {
        if (!machine.Use()) throw std::runtime_error("the disk start-up did not let the program go on");
        harness = std::make_unique<Harness>();
        return *harness->form;
    }

    // Build, then shown and active as the program's start leaves it; the
    // dialogs shown until then are forgotten, so a test sees only its own.
    auto& Start()
    {
        Build();
        harness->ShowAndActivate();
        harness->dialogs.Forget();
        return *harness->form;
    }

    ProgramMachine machine;
    std::unique_ptr<Harness> harness;
};

}  // namespace ui_testing
