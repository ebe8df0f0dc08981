// Which returns of the focus count as activations of a main window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/win32.h"
#include "ui/form_activation.h"
#include "ui/qt_dialog_service.h"

namespace {

void Activate(QWidget* window)
{
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

// Presses OK on the modal box as soon as it is open.
void PressOkWhenOpen()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
        QTimer::singleShot(10, PressOkWhenOpen);
        return;
    }
    box->button(QMessageBox::Ok)->click();
}

class FormActivation : public ::testing::Test {
protected:
    QWidget form;
    int activations = 0;
    void SetUp() override
    {
        ui::WatchFormActivation(&form, [this] { ++activations; });
        Activate(&form);
    }
};

TEST_F(FormActivation, CountsTheFirstActivation)
{
    EXPECT_EQ(activations, 1);
}

TEST_F(FormActivation, CountsTheReturnFromAnotherWindowOfTheProgram)
{
    QWidget other;
    Activate(&other);
    Activate(&form);
    EXPECT_EQ(activations, 2);
}

TEST_F(FormActivation, IgnoresTheReturnFromASystemBox)
{
    QWidget box;
    ui::MarkAsSystemBox(&box);
    Activate(&box);
    Activate(&form);
    EXPECT_EQ(activations, 1);
}

// The offscreen platform has no window manager to give the focus back when a
// box closes, so the test does that itself, as the window manager would.
TEST_F(FormActivation, FollowsTheQtMessageBoxesAsTheyClose)
{
    ui::QtDialogService dialogs;
    QTimer::singleShot(0, PressOkWhenOpen);
    dialogs.ShowInformation("读盘错误!");
    Activate(&form);
    EXPECT_EQ(activations, 2);

    QTimer::singleShot(0, PressOkWhenOpen);
    dialogs.SystemMessageBox("错误：23", "读盘错误", win32::MB_OK);
    Activate(&form);
    EXPECT_EQ(activations, 2);

    QTimer::singleShot(0, PressOkWhenOpen);
    dialogs.ShowError("Cannot create file");
    Activate(&form);
    EXPECT_EQ(activations, 2);
}

}  // namespace
