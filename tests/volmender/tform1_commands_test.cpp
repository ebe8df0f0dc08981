// The timer, the web buttons and the exit button.

#include <gtest/gtest.h>

#include <QTest>

#include "form_harness.h"
#include "platform/machine_selection.h"
#include "ui/web_addresses.h"

namespace {

class TForm1Commands : public FormTest {};

TEST_F(TForm1Commands, TimerLocksTheDriveListAndRepairButtonWhileTheBusyPanelShows)
{
    TForm1& form = Start();
    const int trimsBefore = platform::CurrentObservations().workingSetTrims;

    form.Panel1->show();
    form.Timer1Timer();
    EXPECT_FALSE(form.DList->isEnabled());
    EXPECT_FALSE(form.Button2->isEnabled());

    form.Panel1->hide();
    form.Timer1Timer();
    EXPECT_TRUE(form.DList->isEnabled());
    EXPECT_TRUE(form.Button2->isEnabled());

    EXPECT_EQ(platform::CurrentObservations().workingSetTrims, trimsBefore + 2);
}

TEST_F(TForm1Commands, TimerFollowsTheBusyPanelOnThePageThatIsNotShown)
{
    TForm1& form = Start();
    ASSERT_EQ(form.PageControl1->currentWidget(), form.TabSheet2);
    form.Panel1->show();
    form.Timer1Timer();
    EXPECT_FALSE(form.Button2->isEnabled());
}

TEST_F(TForm1Commands, TimerOnlySetsTheEnabledStateOnWindows9x)
{
    machine.Line("platform 9x");
    TForm1& form = Start();
    const int trimsBefore = platform::CurrentObservations().workingSetTrims;
    form.Panel1->show();
    form.Timer1Timer();
    EXPECT_FALSE(form.DList->isEnabled());
    EXPECT_EQ(platform::CurrentObservations().workingSetTrims, trimsBefore);
}

TEST_F(TForm1Commands, WebButtonsOpenTheirPagesMaximisedInInternetExplorer)
{
    TForm1& form = Start();
    auto& opened = platform::CurrentObservations().pagesOpened;
    opened.clear();
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    form.Button6->click();
    EXPECT_EQ(opened, (std::vector<std::string>{std::string("open|IEXPLORE.EXE|") + web_addresses::HomePage + "|3",
                                                std::string("open|IEXPLORE.EXE|") + web_addresses::RecoveryService +
                                                    "|3"}));
}

TEST_F(TForm1Commands, ExitButtonClosesTheWindow)
{
    TForm1& form = Start();
    form.PageControl1->setCurrentWidget(form.TabSheet1);
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
