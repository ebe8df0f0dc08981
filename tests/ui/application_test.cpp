// The application title and the application's error box.

#include <gtest/gtest.h>

#include <stdexcept>

#include "ui/application_title.h"
#include "ui/error_guard.h"
#include "ui/scripted_dialog_service.h"

namespace {

TEST(ApplicationTitle, IsTheFileNameCutAtItsFirstFullStopWithTheRestLowerCased)
{
    EXPECT_EQ(ui::ApplicationTitle("/usr/bin/volmender"), "volmender");
    EXPECT_EQ(ui::ApplicationTitle("C:/Tools/VOLMENDER.EXE"), "Volmender");
    EXPECT_EQ(ui::ApplicationTitle("/opt/VolMender.v1.22.bin"), "Volmender");
    EXPECT_EQ(ui::ApplicationTitle("/opt/dir.with.dots/Repair"), "Repair");
    EXPECT_EQ(ui::ApplicationTitle("volmender-fat32"), "volmender-fat32");
}

TEST(ApplicationTitle, IsEmptyForANameThatStartsWithAFullStop)
{
    EXPECT_EQ(ui::ApplicationTitle("/home/user/.hidden"), "");
}

TEST(ApplicationTitle, OfTheRunningProgramIsItsExecutableName)
{
    EXPECT_EQ(ui::ApplicationTitle(), "ui_tests");
}

TEST(ErrorBox, AppendsAFullStopUnlessTheMessageEndsInOne)
{
    EXPECT_EQ(ui::ErrorBoxText("'1,22' is not a valid floating point value"),
              "'1,22' is not a valid floating point value.");
    EXPECT_EQ(ui::ErrorBoxText("Cannot create file \"/x.dat\". Access denied."),
              "Cannot create file \"/x.dat\". Access denied.");
    EXPECT_EQ(ui::ErrorBoxText("磁盘错误！"), "磁盘错误！.");
}

TEST(ErrorGuard, ShowsTheEscapingErrorAndSkipsTheRemainingSteps)
{
    auto& dialogs = ui::UseScriptedDialogs();
    std::vector<int> stepsRun;
    const bool finished = ui::RunGuarded([&] {
        stepsRun.push_back(1);
        throw std::runtime_error("step two failed");
        stepsRun.push_back(3);
    });
    EXPECT_FALSE(finished);
    EXPECT_EQ(stepsRun, std::vector<int>{1});
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].kind, ui::DialogKind::Error);
    EXPECT_EQ(dialogs.Shown()[0].caption, "ui_tests");
    EXPECT_EQ(dialogs.Shown()[0].text, "step two failed.");
}

TEST(ErrorGuard, ShowsNothingWhenAllStepsRun)
{
    auto& dialogs = ui::UseScriptedDialogs();
    int steps = 0;
    EXPECT_TRUE(ui::RunGuarded([&] { steps = 2; }));
    EXPECT_EQ(steps, 2);
    EXPECT_TRUE(dialogs.Shown().empty());
}

}  // namespace
