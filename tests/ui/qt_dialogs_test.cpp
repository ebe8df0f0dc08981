// The Qt message boxes a person sees: icon, caption, text and the OK button.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

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
    bool noIsDefault = false;
};

// Looks at the modal box once it is open, then presses its button `press`.
void InspectAndPress(SeenBox* seen, QMessageBox::StandardButton press)
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
        QTimer::singleShot(10, [seen, press] { InspectAndPress(seen, press); });
        return;
    }
    seen->icon = box->icon();
    seen->caption = box->windowTitle();
    seen->text = box->text();
    for (auto* button : box->buttons()) seen->buttons << button->text();
    seen->noIsDefault = box->defaultButton() && box->defaultButton() == box->button(QMessageBox::No);
    box->button(press)->click();
}

SeenBox PressOnTheNextBox(QMessageBox::StandardButton press, const std::function<void()>& open)
{
    SeenBox seen;
    QTimer::singleShot(0, [&seen, press] { InspectAndPress(&seen, press); });
    open();
    return seen;
}

SeenBox PressOkOnTheNextBox(const std::function<void()>& open) { return PressOnTheNextBox(QMessageBox::Ok, open); }

// A box one call of the dialog service opens, and what the person must see in it.
struct OneBox {
    const char* name;
    std::function<void(ui::QtDialogService&)> open;
    QMessageBox::Icon icon;
    QString caption;
    QString text;
};

void PrintTo(const OneBox& box, std::ostream* out) { *out << box.name; }

class QtDialogBoxes : public ::testing::TestWithParam<OneBox> {};

TEST_P(QtDialogBoxes, ShowTheirIconCaptionAndTextWithOnlyAnOkButton)
{
    const OneBox& expected = GetParam();
    ui::QtDialogService dialogs;
    const auto seen = PressOkOnTheNextBox([&] { expected.open(dialogs); });
    EXPECT_EQ(seen.icon, expected.icon);
    EXPECT_EQ(seen.caption, expected.caption);
    EXPECT_EQ(seen.text, expected.text);
    EXPECT_EQ(seen.buttons.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    , QtDialogBoxes,
    ::testing::Values(
        OneBox{"PlainMessageHasNoIconAndTheApplicationTitle",
               [](ui::QtDialogService& d) { d.ShowMessage("请备份将要被覆盖的扇区！"); }, QMessageBox::NoIcon,
               "ui_tests", "请备份将要被覆盖的扇区！"},
        OneBox{"InformationHasTheInformationIconAndCaption",
               [](ui::QtDialogService& d) { d.ShowInformation("读盘错误!"); }, QMessageBox::Information,
               "Information", "读盘错误!"},
        OneBox{"ErrorBoxHasTheErrorIconTheTitleAndAFullStop",
               [](ui::QtDialogService& d) { d.ShowError("'1,22' is not a valid floating point value"); },
               QMessageBox::Critical, "ui_tests", "'1,22' is not a valid floating point value."}),
    [](const ::testing::TestParamInfo<OneBox>& info) { return std::string(info.param.name); });

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

TEST(QtDialogs, QuestionOffersYesAndNoWithNoAsTheDefault)
{
    ui::QtDialogService dialogs;
    bool yes = true;
    auto seen = PressOnTheNextBox(QMessageBox::No, [&] { yes = dialogs.AskYesNo("替换？"); });
    EXPECT_FALSE(yes);
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.caption, "ui_tests");
    EXPECT_EQ(seen.text, "替换？");
    EXPECT_EQ(seen.buttons.size(), 2);
    EXPECT_TRUE(seen.noIsDefault);
    PressOnTheNextBox(QMessageBox::Yes, [&] { yes = dialogs.AskYesNo("替换？"); });
    EXPECT_TRUE(yes);
}

}  // namespace
