#include "ui/form_activation.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include "ui/dialog_service.h"

namespace ui {
namespace {

constexpr const char* SystemBoxProperty = "volmenderSystemBox";

// The window that last had the focus before the form got it back. The focus
// may pass through no window at all on its way back (the window system hands
// it over in two steps), so only real windows are remembered.
enum class FocusOrigin { None, ProgramWindow, SystemBox };

class ActivationWatcher : public QObject {
public:
    ActivationWatcher(QWidget* form, std::function<void()> activate)
        : QObject(form), form_(form), activate_(std::move(activate))
    {
        connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &ActivationWatcher::FocusMoved);
    }

private:
    void FocusMoved(QWindow* now)
    {
        if (!now) return;
        if (now != form_->windowHandle()) {
            origin_ = IsSystemBox(now) ? FocusOrigin::SystemBox : FocusOrigin::ProgramWindow;
            return;
        }
        const bool counts = !activatedBefore_ || origin_ == FocusOrigin::ProgramWindow;
        origin_ = FocusOrigin::None;
        activatedBefore_ = true;
        if (counts) activate_();
    }

    QWidget* form_;
    std::function<void()> activate_;
    FocusOrigin origin_ = FocusOrigin::None;
    bool activatedBefore_ = false;
};

}  // namespace

void WatchFormActivation(QWidget* form, std::function<void()> activate)
{
    new ActivationWatcher(form, std::move(activate));
}

void WatchMainWindowActivation(QWidget* window, const std::function<void()>& activate)
{
    WatchFormActivation(window, activate);
    Dialogs().SetOwnDialogClosedHandler([window, activate] {
        if (window->isVisible()) activate();
    });
    QObject::connect(window, &QObject::destroyed, [] { Dialogs().SetOwnDialogClosedHandler({}); });
}

void MarkAsSystemBox(QWidget* box)
{
    box->winId();  // gives the box its window, which carries the mark
    box->windowHandle()->setProperty(SystemBoxProperty, true);
}

bool IsSystemBox(const QWindow* window)
{
    return window && window->property(SystemBoxProperty).toBool();
}

}  // namespace ui
