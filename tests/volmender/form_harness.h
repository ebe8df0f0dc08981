#pragma once
// What a test of volmender's main window needs beyond the shared window
// harness: the browser and the update download it is built with, as
// stand-ins that record.
//
//   class MyTest : public FormTest {};
//   machine.AddDrive(0, 2048000, "media=11 geometry=1000/64/32");
//   TForm1& form = Start();

#include <QStringList>
#include <string>
#include <utility>
#include <vector>

#include "volmender/tform1.h"
#include "window_harness.h"

// How the stand-in of the update download answers.
enum class DownloadAnswer { Fails, Succeeds, Throws };

class FormHarness : public ui_testing::WindowHarness<TForm1> {
public:
    // Installs scripted dialogs and builds the window (running its creation).
    explicit FormHarness(DownloadAnswer answer = DownloadAnswer::Fails);

    QStringList navigations;                                      // pages sent to `web`
    std::vector<std::pair<std::string, std::string>> downloads;  // (url, local name)
    // The message of the error that DownloadAnswer::Throws raises.
    static constexpr const char* DownloadError = "connection refused";
};

class FormTest : public ui_testing::WindowTest<FormHarness> {
protected:
    FormTest() : WindowTest(d_api::DApiFlavour::Volmender) {}
};
