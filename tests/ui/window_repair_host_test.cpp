// The window side of a repair: the busy panel and the program's dialogs, with
// the texts of the repair code (UTF-8) shown as written.

#include <gtest/gtest.h>

#include <QWidget>

#include "ui/scripted_dialog_service.h"
#include "ui/window_repair_host.h"

namespace {

TEST(WindowRepairHost, ShowsAndHidesTheBusyPanel)
{
    QWidget window;
    auto* panel = new QWidget(&window);
    panel->hide();
    window.show();
    ui::WindowRepairHost host(panel);
    host.ShowBusyPanel();
    EXPECT_TRUE(panel->isVisible());
    host.HideBusyPanel();
    EXPECT_TRUE(panel->isHidden());
}

TEST(WindowRepairHost, TextsReachTheDialogsUnchanged)
{
    ui::ScriptedDialogService& dialogs = ui::UseScriptedDialogs();
    QWidget panel;
    ui::WindowRepairHost host(&panel);
    host.ShowMessage("文件系统修复成功，请重新插入U盘或重新启动Windows！");
    host.ShowInformation("读盘错误!");
    EXPECT_EQ(dialogs.Texts(ui::DialogKind::Message),
              std::vector<QString>{QStringLiteral("文件系统修复成功，请重新插入U盘或重新启动Windows！")});
    EXPECT_EQ(dialogs.Texts(ui::DialogKind::Information), std::vector<QString>{QStringLiteral("读盘错误!")});
    host.ShowReadError("错误：23\r\n磁盘:0 LBA:100 块:1");
    ASSERT_EQ(dialogs.Texts(ui::DialogKind::SystemBox).size(), 1u);
    EXPECT_EQ(dialogs.Shown().back().caption, QStringLiteral("读盘错误"));
    EXPECT_EQ(dialogs.Shown().back().text, QStringLiteral("错误：23\r\n磁盘:0 LBA:100 块:1"));

    dialogs.QueueSaveAnswer(QStringLiteral("/tmp/扇区"));
    dialogs.QueueSaveAnswer(std::nullopt);
    EXPECT_EQ(host.AskSaveFileName(), std::optional<std::string>("/tmp/扇区"));
    EXPECT_EQ(host.AskSaveFileName(), std::nullopt);

    dialogs.QueueQuestionAnswer(true);
    EXPECT_TRUE(host.AskYesNo("\"/tmp/扇区.dat\" 已存在，是否替换该文件？"));
    EXPECT_FALSE(host.AskYesNo("\"/tmp/扇区.dat\" 已存在，是否替换该文件？"));  // No when unscripted
    EXPECT_EQ(dialogs.Texts(ui::DialogKind::Question).front(), QStringLiteral("\"/tmp/扇区.dat\" 已存在，是否替换该文件？"));
}

}  // namespace
