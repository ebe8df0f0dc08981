// The scripted dialog service and the connection of MessageBoxA to it.

#include <gtest/gtest.h>

#include "platform/win32.h"
#include "ui/platform_handlers.h"
#include "ui/scripted_dialog_service.h"

namespace {

TEST(ScriptedDialogs, RecordEachKindWithTheCaptionAPersonWouldRead)
{
    auto& dialogs = ui::UseScriptedDialogs();
    dialogs.ShowMessage("请备份将要被覆盖的扇区！");
    dialogs.ShowInformation("读盘错误!");
    EXPECT_EQ(dialogs.SystemMessageBox("错误：23", "读盘错误", win32::MB_OK), win32::IDOK);
    dialogs.ShowError("Cannot create file");

    const auto& shown = dialogs.Shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].kind, ui::DialogKind::Message);
    EXPECT_EQ(shown[0].caption, "ui_tests");
    EXPECT_EQ(shown[1].kind, ui::DialogKind::Information);
    EXPECT_EQ(shown[1].caption, "Information");
    EXPECT_EQ(shown[2].kind, ui::DialogKind::SystemBox);
    EXPECT_EQ(shown[2].caption, "读盘错误");
    EXPECT_EQ(shown[3].kind, ui::DialogKind::Error);
    EXPECT_EQ(shown[3].text, "Cannot create file.");
    EXPECT_EQ(dialogs.Texts(ui::DialogKind::Information), std::vector<QString>{"读盘错误!"});
}

TEST(ScriptedDialogs, OnlyTheProgramsOwnMessageDialogsHandTheFocusBack)
{
    auto& dialogs = ui::UseScriptedDialogs();
    int activations = 0;
    dialogs.SetOwnDialogClosedHandler([&] { ++activations; });
    dialogs.ShowMessage("a");
    dialogs.ShowInformation("b");
    EXPECT_EQ(activations, 2);
    dialogs.SystemMessageBox("c", "d", win32::MB_OK);
    dialogs.ShowError("e");
    EXPECT_EQ(activations, 2);
}

TEST(ScriptedDialogs, SaveDialogsAnswerFromTheQueueThenCancel)
{
    auto& dialogs = ui::UseScriptedDialogs();
    dialogs.QueueSaveAnswer(QString("/tmp/first"));
    dialogs.QueueSaveAnswer(std::nullopt);
    dialogs.QueueSaveAnswer(QString("/tmp/third"));
    EXPECT_EQ(dialogs.AskSaveFileName(), QString("/tmp/first"));
    EXPECT_EQ(dialogs.AskSaveFileName(), std::nullopt);
    EXPECT_EQ(dialogs.AskSaveFileName(), QString("/tmp/third"));
    EXPECT_EQ(dialogs.AskSaveFileName(), std::nullopt);
    EXPECT_EQ(dialogs.Texts(ui::DialogKind::SaveFile), (std::vector<QString>{"/tmp/first", "", "/tmp/third", ""}));
}

TEST(PlatformHandlers, MessageBoxAReachesTheSystemBoxOfTheDialogService)
{
    auto& dialogs = ui::UseScriptedDialogs();
    ui::InstallPlatformHandlers();
    EXPECT_EQ(win32::MessageBoxA(nullptr, "错误：23\n磁盘:0 LBA:0 块:1", "读盘错误", win32::MB_OK), win32::IDOK);
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].kind, ui::DialogKind::SystemBox);
    EXPECT_EQ(dialogs.Shown()[0].caption, "读盘错误");
    EXPECT_EQ(dialogs.Shown()[0].text, "错误：23\n磁盘:0 LBA:0 块:1");
}

}  // namespace
