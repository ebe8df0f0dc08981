#pragma once
// Runs the program's own message loop around a repair, so that a test can
// close the window as the user would and see whether that ends the program.

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>

namespace ui_testing {

struct LoopRun {
    bool actedDuringAnalysis = false;  // `act` ran while the busy panel showed
    bool endedByItself = false;        // the loop ended without the guard's help
};

// Starts the message loop, runs `start` from it (a repair button, a partition
// item) and, at the first dispatch that finds `busyPanel` showing, runs `act`.
// Returns when the loop ends, as the program's would when its window closes;
// a loop still running after a minute is ended so the test can fail.
inline LoopRun RunLoopActingDuringAnalysis(QWidget* busyPanel, const std::function<void()>& start,
                                           const std::function<void()>& act)
{
    LoopRun run{false, true};
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (busyPanel->isHidden()) return;
        watch.stop();
        run.actedDuringAnalysis = true;
        act();
    });
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        run.endedByItself = false;
        QCoreApplication::quit();
    });
    QTimer::singleShot(0, busyPanel, [&] {
        watch.start(0);
        start();
    });
    guard.start(std::chrono::minutes(1));
    QApplication::exec();
    return run;
}

}  // namespace ui_testing
