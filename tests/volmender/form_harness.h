#pragma once
// What a test of the main window needs: a described machine in a temporary
// folder, scripted dialogs, a browser stand-in and a download stand-in.
//
//   DescribedMachine machine;
//   machine.AddDrive(0, 2048000, "media=11 geometry=1000/64/32");
//   machine.Use();                       // current machine + disk layer start-up
//   FormHarness harness;                 // scripted dialogs, then TForm1 built
//   harness.form->show();

#include <gtest/gtest.h>

#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "test_machine.h"
#include "ui/scripted_dialog_service.h"
#include "volmender/tform1.h"

class DescribedMachine {
public:
    // Drive `number` backed by a sparse image of `sectors` sectors; `options`
    // are the rest of the drive line ("media=11 geometry=958/64/32").
    void AddDrive(int number, std::uint64_t sectors, const std::string& options = "");
    // Any other line of the machine file ("fault read 0 0 23", "platform 9x").
    void AddLine(const std::string& line);
    // Writes the machine file, makes it the current machine and starts the
    // disk layer on it, as the program's start does.
    void Use();
    std::string Folder() const;

private:
    test_machine::TestMachine machine_;
};

// How the stand-in of the update download answers.
enum class DownloadAnswer { Fails, Succeeds, Throws };

class FormHarness {
public:
    // Installs scripted dialogs and builds the window (running its creation).
    explicit FormHarness(DownloadAnswer answer = DownloadAnswer::Fails);

    ui::ScriptedDialogService& dialogs;
    QStringList navigations;                                      // pages sent to `web`
    std::vector<std::pair<std::string, std::string>> downloads;  // (url, local name)
    // The message of the error that DownloadAnswer::Throws raises.
    static constexpr const char* DownloadError = "connection refused";
    std::unique_ptr<TForm1> form;

    // Shows the window, on screen and active, as the program's start does.
    void ShowAndActivate();
};

// A test of the window on a machine it describes first (drives, faults,
// platform), then builds or starts the window on.
class FormTest : public ::testing::Test {
protected:
    // Starts the disk layer on the machine described so far and builds the
    // window, not yet shown.
    TForm1& Build()
    {
        machine.Use();
        harness = std::make_unique<FormHarness>();
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

    DescribedMachine machine;
    std::unique_ptr<FormHarness> harness;
};
