#pragma once
// What a test of the FAT32-only program needs: a described machine in a
// temporary folder with the disk layer started on it as this program starts
// it, scripted dialogs, and the main window.
//
//   Fat32Machine machine;
//   machine.AddLine("platform 9x").AddLine("driver int13ext");
//   machine.AddDrive(128, 2048);
//   machine.Use();                   // current machine + the program's disk start-up
//   WindowHarness harness;           // scripted dialogs, then TForm1 built
//   harness.ShowAndActivate();

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "test_machine.h"
#include "ui/scripted_dialog_service.h"
#include "volmender-fat32/tform1.h"

class Fat32Machine {
public:
    // Leaves the disk layer as a fresh process finds it: no driver handle, no
    // exit procedure chained.
    ~Fat32Machine();

    // Drive `number` backed by a sparse image of `sectors` sectors; `options`
    // are the rest of the drive line ("media=11 geometry=958/64/32").
    Fat32Machine& AddDrive(int number, std::uint64_t sectors, const std::string& options = "");
    // Any other line of the machine file ("platform 9x", "driver int13ext").
    Fat32Machine& AddLine(const std::string& line);
    // Writes the machine file and makes it the current machine.
    void Install();
    // Install, then the disk layer's start-up as this program runs it; returns
    // whether the program may go on.
    bool Use();
    std::string Image(int number) const;

private:
    test_machine::TestMachine machine_;
};

class WindowHarness {
public:
    // Installs scripted dialogs and the platform handlers, then builds the window.
    WindowHarness();

    ui::ScriptedDialogService& dialogs;
    std::unique_ptr<TForm1> form;

    // Shows the window, on screen and active, as the program's start does.
    void ShowAndActivate();
};

// A test of the window on a machine it describes first, then builds or
// starts the window on.
class WindowTest : public ::testing::Test {
protected:
    // Runs this program's disk start-up on the machine described so far and
    // builds the window, not yet shown. A start-up that stops the program
    // ends the test: there would be no window to look at.
    TForm1& Build()
    {
        if (!machine.Use()) throw std::runtime_error("the disk start-up did not let the program go on");
        harness = std::make_unique<WindowHarness>();
        return *harness->form;
    }

    // Build, then shown and active as the program's start leaves it; the
    // dialogs shown until then are forgotten, so a test sees only its own.
    TForm1& Start()
    {
        Build();
        harness->ShowAndActivate();
        harness->dialogs.Forget();
        return *harness->form;
    }

    Fat32Machine machine;
    std::unique_ptr<WindowHarness> harness;
};
