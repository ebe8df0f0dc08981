#pragma once
// The application's error box for errors that no handler catches.

#include <QString>
#include <functional>

namespace ui {

// The message as the error box shows it: a full stop is appended unless the
// message already ends in one.
QString ErrorBoxText(const QString& message);

// Runs `body`; a std::exception escaping from it is shown in the error box and
// the rest of `body` is skipped. Every event handler of the windows runs under
// it, since an exception must not unwind through Qt's event loop. Returns true
// when `body` ran to its end.
bool RunGuarded(const std::function<void()>& body);

// The handler `handler` of `window`, to be connected to a signal, run under
// the guard with the signal's arguments.
template <class Window, class... Args>
std::function<void(Args...)> Guarded(Window* window, void (Window::*handler)(Args...))
{
    return [window, handler](Args... args) { RunGuarded([&] { (window->*handler)(args...); }); };
}

}  // namespace ui
