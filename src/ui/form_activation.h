#pragma once
// When a main window counts as activated: when it is first activated, and
// each time the focus comes back to it from another window of the program.
// Coming back from a system message box, or from another application, does
// not count.

#include <functional>

class QWidget;
class QWindow;

namespace ui {

// Calls `activate` on each activation of `form` as told above, for as long as
// `form` lives.
void WatchFormActivation(QWidget* form, std::function<void()> activate);
// The same for a program's main window, counting also the closing of a
// scripted dialog: scripted dialogs open no window, so they report their
// closing instead, which gives the focus back to the window once it is on
// screen. Both end with the window.
void WatchMainWindowActivation(QWidget* window, const std::function<void()>& activate);

// System message boxes mark themselves so that closing them activates nothing.
void MarkAsSystemBox(QWidget* box);
bool IsSystemBox(const QWindow* window);

}  // namespace ui
