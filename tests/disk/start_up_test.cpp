// The start-up of the layer on both families, in both programs, and its exit
// procedure.

#include <gtest/gtest.h>

#include "disk/d_api.h"
#include "platform/machine_selection.h"
#include "fixtures/test_machine.h"

namespace {

using d_api::DApiFlavour;

std::vector<std::string> order;
// Notes how many deletions had happened when it ran.
void EarlierExitProc() { order.push_back("earlier:" + std::to_string(platform::CurrentObservations().deletedFiles.size())); }

class StartUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        order.clear();
        d_api::ExitProcSlot() = nullptr;
    }

    void TearDown() override
    {
        if (d_api::VxdHandle != win32::INVALID_HANDLE_VALUE) win32::CloseHandle(d_api::VxdHandle);
        d_api::VxdHandle = win32::INVALID_HANDLE_VALUE;
        d_api::ExitProcSlot() = nullptr;
    }

    bool Start(DApiFlavour flavour)
    {
        machine.Install();
        return d_api::DApiInit(flavour, [this](const std::string& text) { messages.push_back(text); });
    }

    fixtures::TestMachine machine;
    fixtures::MessageBoxRecorder boxes;
    std::vector<std::string> messages;
};

TEST_F(StartUp, TheNtFamilyStartsSilentlyInBothProgramsAndDeletesNothingAtTheEnd)
{
    for (DApiFlavour flavour : {DApiFlavour::Volmender, DApiFlavour::VolmenderFat32}) {
        EXPECT_TRUE(Start(flavour));
        EXPECT_TRUE(d_api::IsNT);
        EXPECT_TRUE(d_api::IsWinNT());
        EXPECT_EQ(d_api::VxdHandle, win32::INVALID_HANDLE_VALUE);
        d_api::RunExitProcs();
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(platform::CurrentObservations().deletedFiles.empty());
}

TEST_F(StartUp, VolmenderOnWindows9xSaysItIsNotSupportedAndGoesOnWithoutTheDriver)
{
    machine.Line("platform 9x").Line("driver int13ext");
    EXPECT_TRUE(Start(DApiFlavour::Volmender));
    EXPECT_FALSE(d_api::IsNT);
    EXPECT_EQ(d_api::VxdHandle, win32::INVALID_HANDLE_VALUE);
    EXPECT_EQ(messages, std::vector<std::string>{"不支持windows98以及以下系统！"});
    d_api::RunExitProcs();
    EXPECT_TRUE(platform::CurrentObservations().deletedFiles.empty());
}

TEST_F(StartUp, TheFat32OnlyProgramLoadsTheDriverAndUnloadsItOnceAtTheEnd)
{
    machine.Line("platform 9x").Line("driver int13ext");
    d_api::ExitProcSlot() = EarlierExitProc;
    EXPECT_TRUE(Start(DApiFlavour::VolmenderFat32));
    EXPECT_NE(d_api::VxdHandle, win32::INVALID_HANDLE_VALUE);
    EXPECT_TRUE(messages.empty());

    win32::HANDLE loaded = d_api::VxdHandle;
    d_api::RunExitProcs();
    EXPECT_EQ(platform::CurrentObservations().deletedFiles, std::vector<std::string>{"\\\\.\\INT13EXT"});
    EXPECT_EQ(order, std::vector<std::string>{"earlier:1"}) << "the replaced exit procedure still runs, after";
    EXPECT_EQ(d_api::VxdHandle, loaded) << "the handle is neither closed nor reset";
    d_api::RunExitProcs();
    EXPECT_EQ(platform::CurrentObservations().deletedFiles.size(), 1u);
}

TEST_F(StartUp, TheFat32OnlyProgramStopsWhenTheDriverCannotBeLoaded)
{
    machine.Line("platform 9x");
    EXPECT_FALSE(Start(DApiFlavour::VolmenderFat32));
    EXPECT_EQ(d_api::VxdHandle, win32::INVALID_HANDLE_VALUE);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Error loading \"INT13EXT.VXD\"");
    EXPECT_EQ(boxes.Boxes()[0].text.size(), 28u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Error");
    EXPECT_EQ(boxes.Boxes()[0].type, win32::MB_OK | win32::MB_ICONWARNING);
    EXPECT_FALSE(boxes.Boxes()[0].owned);
    EXPECT_TRUE(messages.empty());
    d_api::RunExitProcs();
    EXPECT_TRUE(platform::CurrentObservations().deletedFiles.empty());
}

TEST_F(StartUp, AStartUpRunTwiceChainsItsExitProcedureOnce)
{
    d_api::ExitProcSlot() = EarlierExitProc;
    Start(DApiFlavour::Volmender);
    Start(DApiFlavour::Volmender);
    d_api::RunExitProcs();
    EXPECT_EQ(order, std::vector<std::string>{"earlier:0"});
    EXPECT_EQ(d_api::ExitProcSlot(), nullptr);
}

TEST_F(StartUp, ExitProceduresRunNewestFirstWhileEachPutsBackItsPredecessor)
{
    static d_api::ExitProc savedBySecond = nullptr;
    d_api::ExitProcSlot() = EarlierExitProc;
    savedBySecond = d_api::ExitProcSlot();
    d_api::ExitProcSlot() = [] {
        order.push_back("newest");
        d_api::ExitProcSlot() = savedBySecond;
    };
    d_api::RunExitProcs();
    EXPECT_EQ(order, (std::vector<std::string>{"newest", "earlier:0"}));
}

}  // namespace
