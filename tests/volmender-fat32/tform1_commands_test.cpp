// Window creation, the upgrade-information button, the buttons that open web
// pages and the exit button.

#include <gtest/gtest.h>

#include "fat32_harness.h"
#include "platform/machine_selection.h"
#include "ui/application_title.h"
#include "ui/web_addresses.h"

namespace {

class TForm1Commands : public Fat32WindowTest {
protected:
    void SetUp() override { Build(); }
};

TEST_F(TForm1Commands, CreationOnlyClearsTheChosenDriveAndTheSectorToRead)
{
    TForm1& form = *harness->form;
    EXPECT_TRUE(harness->dialogs.Shown().empty());
    EXPECT_EQ(form.State.SelectedDrive, 0u);
    EXPECT_EQ(form.State.CurSector, 0u);

    form.State.SelectedDrive = 7;
    form.State.CurSector = 9;
    form.FormCreate();
    EXPECT_EQ(form.State.SelectedDrive, 0u);
    EXPECT_EQ(form.State.CurSector, 0u);
    EXPECT_TRUE(harness->dialogs.Shown().empty());
    EXPECT_TRUE(platform::CurrentObservations().pagesOpened.empty());
}

TEST_F(TForm1Commands, TheUpgradeButtonSaysThereIsNoUpgradeInformationOnEveryClick)
{
    TForm1& form = *harness->form;
    harness->ShowAndActivate();
    harness->dialogs.Forget();
    for (int click = 0; click < 3; ++click) form.Button5->click();

    const auto& shown = harness->dialogs.Shown();
    ASSERT_EQ(shown.size(), 3u);
    for (const auto& dialog : shown) {
        EXPECT_EQ(dialog.kind, ui::DialogKind::Message);
        EXPECT_EQ(dialog.caption, ui::ApplicationTitle());
        EXPECT_EQ(dialog.text, "暂时没有升级信息！");
    }
    EXPECT_TRUE(platform::CurrentObservations().pagesOpened.empty()) << "no network access";
}

TEST_F(TForm1Commands, TheWebButtonsStartInternetExplorerMaximisedOnTheirPages)
{
    TForm1& form = *harness->form;
    form.Button4->click();
    form.Button1->click();
    form.Button6->click();

    const std::string head = "open|IEXPLORE.EXE|";
    const std::string maximised = "|" + std::to_string(win32::SW_SHOWMAXIMIZED);
    EXPECT_EQ(platform::CurrentObservations().pagesOpened,
              (std::vector<std::string>{head + web_addresses::CompanySite + maximised,
                                        head + web_addresses::AuthorSite + maximised,
                                        head + web_addresses::RecoveryService + maximised}));
    EXPECT_TRUE(harness->dialogs.Shown().empty());
}

TEST_F(TForm1Commands, TheExitButtonClosesTheWindow)
{
    TForm1& form = *harness->form;
    harness->ShowAndActivate();
    form.Button3->click();
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
