// The Qt message boxes a person sees: icon, caption, text and the OK button.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "platform/win32.h"
#include "ui/qt_dialog_service.h"

namespace {

struct SeenBox {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
    QString text;
    QStringList buttons;
};

// Looks at the modal box once it is open, then presses its OK button.
void InspectAndPressOk(SeenBox* seen)
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
        QTimer::singleShot(10, [seen] { InspectAndPressOk(seen); });
        return;
    }
    seen->icon = box->icon();
    seen->caption = box->windowTitle();
    seen->text = box->text();
    for (auto* button : box->buttons()) seen->buttons << button->text();
    box->button(QMessageBox::Ok)->click();
}

SeenBox PressOkOnTheNextBox(const std::function<void()>& open)
{
    SeenBox seen;
    QTimer::singleShot(0, [&seen] { InspectAndPressOk(&seen); });
    open();
    return seen;
}

TEST(QtDialogs, PlainMessageHasNoIconAndTheApplicationTitle)
{
    ui::QtDialogService dialogs;
    const auto seen = PressOkOnTheNextBox([&] { dialogs.ShowMessage("请备份将要被覆盖的扇区！"); });
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.caption, "ui_tests");
    EXPECT_EQ(seen.text, "请备份将要被覆盖的扇区！");
    EXPECT_EQ(seen.buttons.size(), 1);
}

TEST(QtDialogs, InformationHasTheInformationIconAndCaption)
{
    ui::QtDialogService dialogs;
    const auto seen = PressOkOnTheNextBox([&] { dialogs.ShowInformation("读盘错误!"); });
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.caption, "Information");
    EXPECT_EQ(seen.text, "读盘错误!");
}

TEST(QtDialogs, SystemBoxTakesItsIconFromTheStyleBits)
{
    ui::QtDialogService dialogs;
    int answer = 0;
    auto seen = PressOkOnTheNextBox([&] { answer = dialogs.SystemMessageBox("错误：23", "读盘错误", win32::MB_OK); });
    EXPECT_EQ(answer, win32::IDOK);
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.caption, "读盘错误");
    seen = PressOkOnTheNextBox([&] { dialogs.SystemMessageBox("x", "y", win32::MB_ICONERROR); });
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    seen = PressOkOnTheNextBox([&] { dialogs.SystemMessageBox("x", "y", win32::MB_ICONWARNING); });
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
}

TEST(QtDialogs, ErrorBoxHasTheErrorIconTheTitleAndAFullStop)
{
    ui::QtDialogService dialogs;
    const auto seen = PressOkOnTheNextBox([&] { dialogs.ShowError("'1,22' is not a valid floating point value"); });
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.caption, "ui_tests");
    EXPECT_EQ(seen.text, "'1,22' is not a valid floating point value.");
}

}  // namespace
