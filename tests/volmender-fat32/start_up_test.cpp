// The program's start and end on both platform families: the sector driver
// loaded or missing on Windows 9x, the window opened or never created, and
// the driver unloaded at the end.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QTest>
#include <QTimer>

#include "fat32_harness.h"
#include "platform/machine_selection.h"
#include "ui/platform_handlers.h"
#include "volmender-fat32/start_up.h"

namespace {

// Counts every time a main window of this program is shown.
class WindowShowCounter : public QObject {
public:
    WindowShowCounter() { qApp->installEventFilter(this); }
    ~WindowShowCounter() override { qApp->removeEventFilter(this); }
    int shown = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<TForm1*>(watched)) ++shown;
        return false;
    }
};

// What the program's window looked like once its message loop ran.
struct SeenWindow {
    bool loopRan = false;
    bool windowFound = false;
    bool active = false;
    QPoint position;
    QStringList driveLines;
};

class ProgramStart : public ::testing::Test {
protected:
    ProgramStart() : dialogs(ui::UseScriptedDialogs()) { ui::InstallPlatformHandlers(); }

    // Runs the program; once its message loop runs, the window is looked at
    // and closed with its exit button (or the loop is ended when there is no
    // window, so that a wrong start cannot hang the test).
    int Run()
    {
        QObject context;
        QTimer::singleShot(0, &context, [this] {
            seen.loopRan = true;
            TForm1* form = nullptr;
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* candidate = qobject_cast<TForm1*>(widget); candidate && candidate->isVisible()) form = candidate;
            if (!form) {
                QApplication::quit();
                return;
            }
            seen.windowFound = true;
            seen.active = QTest::qWaitForWindowActive(form);
            seen.position = form->pos();
            for (int i = 0; i < form->DList->count(); ++i) seen.driveLines << form->DList->itemText(i);
            form->Button3->click();
        });
        return volmender_fat32::RunProgram();
    }

    ui_testing::ProgramMachine machine{d_api::DApiFlavour::VolmenderFat32};
    ui::ScriptedDialogService& dialogs;
    WindowShowCounter counter;
    SeenWindow seen;
};

TEST_F(ProgramStart, TheNtFamilyStartsWithoutAMessageAndDeletesNothingAtTheEnd)
{
    machine.AddDrive(0, 2048000, "geometry=1000/64/32");
    machine.Install();
    EXPECT_EQ(Run(), 0);

    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_TRUE(seen.windowFound);
    EXPECT_TRUE(seen.active);
    EXPECT_EQ(seen.position, QPoint(224, 140));
    EXPECT_EQ(seen.driveLines, QStringList{"硬盘 (0.98 GB)"});
    EXPECT_TRUE(platform::CurrentObservations().driverRequests.empty()) << "the driver is never opened";
    EXPECT_TRUE(platform::CurrentObservations().deletedFiles.empty());
}

TEST_F(ProgramStart, Windows9xWithTheDriverListsItsDrivesAndUnloadsItOnceAtTheEnd)
{
    machine.Line("platform 9x").Line("driver int13ext");
    machine.AddDrive(128, 156301488, "geometry=155061/16/63");
    machine.Install();
    EXPECT_EQ(Run(), 0);

    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_TRUE(seen.windowFound);
    EXPECT_EQ(seen.driveLines, QStringList{"硬盘 (74.53 GB)"});
    EXPECT_FALSE(platform::CurrentObservations().driverRequests.empty());
    EXPECT_EQ(platform::CurrentObservations().deletedFiles, std::vector<std::string>{"\\\\.\\INT13EXT"});
}

TEST_F(ProgramStart, Windows9xWithoutTheDriverShowsOnlyTheEnglishBoxAndEndsWithoutAWindow)
{
    machine.Line("platform 9x");
    machine.AddDrive(128, 2048, "geometry=1/64/32");
    machine.Install();
    EXPECT_EQ(Run(), 0);

    const auto& shown = dialogs.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ui::DialogKind::SystemBox);
    EXPECT_EQ(shown[0].caption, "Error");
    EXPECT_EQ(shown[0].text, "Error loading \"INT13EXT.VXD\"");
    EXPECT_FALSE(seen.loopRan) << "no message loop runs";
    EXPECT_EQ(counter.shown, 0) << "no window is created";
    EXPECT_TRUE(platform::CurrentObservations().deletedFiles.empty());
}

}  // namespace
