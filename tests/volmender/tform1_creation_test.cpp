// What happens while the main window is created, before it is shown.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "form_harness.h"
#include "ui/web_addresses.h"

namespace {

const QString Warning = "警告：本程序直接将数据写入磁盘，操作需谨慎，一旦数据发生丢失，软件作者概不负责！特此警告！";
const QString Downloaded = "最新版下载成功！请将Volmender更新到最新版使用！";

class TForm1Creation : public ::testing::Test {
protected:
    ui_testing::ProgramMachine machine{d_api::DApiFlavour::Volmender};
    void SetUp() override
    {
        machine.Line("screen 1024 768");
        machine.Use();
    }
};

TEST_F(TForm1Creation, RunsItsStepsInOrderAndCentresTheWindow)
{
    FormHarness harness;
    TForm1& form = *harness.form;

    EXPECT_EQ(harness.navigations, QStringList{web_addresses::HomePage});
    EXPECT_EQ(form.State.SelectedDrive, 0u);
    EXPECT_EQ(form.State.CurSector, 0u);
    EXPECT_EQ(form.Version, "1.22");

    ASSERT_EQ(harness.dialogs.Shown().size(), 1u);
    EXPECT_EQ(harness.dialogs.Shown()[0].kind, ui::DialogKind::Message);
    EXPECT_EQ(harness.dialogs.Shown()[0].caption, "volmender_tests");
    EXPECT_EQ(harness.dialogs.Shown()[0].text, Warning);

    EXPECT_EQ(form.windowTitle(), "Volmender V1.22          作者：示例作者  联系电话：000-00000000");
    EXPECT_EQ(form.Label2->text(), "作者：示例作者");

    ASSERT_EQ(harness.downloads.size(), 1u);
    EXPECT_EQ(harness.downloads[0].first,
              std::string("http://") + web_addresses::UpdateHost + "/update/volmender1.23.rar");
    EXPECT_EQ(harness.downloads[0].second, "volmender1.23.rar");

    EXPECT_FALSE(form.ProgramEnded());
    // Until the window is shown its frame is the bare client area.
    EXPECT_EQ(form.frameGeometry().topLeft(), QPoint((1024 - 598) / 2, (768 - 260) / 2));
    EXPECT_FALSE(form.isVisible());
}

// The window system frames the window only when it shows it; the frame, not
// the client area, ends up in the middle of the screen.
TEST_F(TForm1Creation, CentresTheWindowByItsFrameOnceShown)
{
    FormHarness harness;
    harness.ShowAndActivate();
    const QRect frame = harness.form->frameGeometry();
    ASSERT_NE(frame.size(), harness.form->size()) << "the window system gave the window no frame";
    EXPECT_EQ(frame.topLeft(), QPoint((1024 - frame.width()) / 2, (768 - frame.height()) / 2));

    // A window the user moves stays where it is put.
    harness.form->move(10, 20);
    QCoreApplication::processEvents();
    EXPECT_EQ(harness.form->pos(), QPoint(10, 20));
}

TEST_F(TForm1Creation, EndsTheProgramAfterASuccessfulUpdateDownload)
{
    FormHarness harness(DownloadAnswer::Succeeds);
    EXPECT_EQ(harness.dialogs.Texts(ui::DialogKind::Message), (std::vector<QString>{Warning, Downloaded}));
    EXPECT_TRUE(harness.form->ProgramEnded());
    EXPECT_EQ(harness.form->pos(), QPoint(335, 198));  // not centred: the remaining step did not run
    EXPECT_FALSE(harness.form->isVisible());
}

TEST_F(TForm1Creation, ShowsAnEscapingErrorAndSkipsTheRemainingSteps)
{
    FormHarness harness(DownloadAnswer::Throws);
    TForm1& form = *harness.form;
    ASSERT_EQ(harness.dialogs.Texts(ui::DialogKind::Error),
              std::vector<QString>{QString(FormHarness::DownloadError) + "."});
    EXPECT_TRUE(form.windowTitle().startsWith("Volmender V1.22"));  // set before the failing step
    EXPECT_FALSE(form.ProgramEnded());
    EXPECT_EQ(form.pos(), QPoint(335, 198));  // the designed position
}

}  // namespace
