#include "ui/window_repairs.h"

#include <QComboBox>
#include <QEvent>
#include <QMenu>
#include <QPushButton>

namespace ui {

namespace {

// Closing the window (its close box, Alt+F4, the exit button) ends the
// program; a repair running then must not go on unseen and write to the disk.
class CloseWatcher : public QObject {
public:
    CloseWatcher(QWidget* window, std::function<void()> closing) : QObject(window), closing_(std::move(closing))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close) closing_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> closing_;
};

}  // namespace

// The analysis dispatches input between sectors, and every step of a repair
// works on the window's one set of layout values and buffers: the controls
// that could start another repair or change the drive are disabled from the
// repair's first step to its end, whatever way it ends.
class WindowRepairs::ControlsLock {
public:
    explicit ControlsLock(WindowRepairs& repairs) : repairs_(repairs) { repairs_.SetControlsEnabled(false); }
    ~ControlsLock() { repairs_.SetControlsEnabled(true); }
    ControlsLock(const ControlsLock&) = delete;
    ControlsLock& operator=(const ControlsLock&) = delete;

private:
    WindowRepairs& repairs_;
};

WindowRepairs::WindowRepairs(repair::RepairState& state, const repair::RoadsProfile& roads, RepairWidgets widgets,
                             PartitionItems& items, QWidget* window, std::function<void(QAction*)> onItemClick)
    : widgets_(widgets),
      items_(items),
      window_(window),
      onItemClick_(std::move(onItemClick)),
      host_(widgets.Panel1),
      commands_(state, host_, roads)
{
    QObject::connect(widgets_.DList, &QWidget::customContextMenuRequested, window_,
                     [this](const QPoint& position) { PopUpDiskPop(widgets_.DList, position); });
    QObject::connect(widgets_.Button2, &QWidget::customContextMenuRequested, window_,
                     [this](const QPoint& position) { PopUpDiskPop(widgets_.Button2, position); });
    new CloseWatcher(window_, [this] { commands_.Stop(repair::RepairStop::WindowClosed); });
}

void WindowRepairs::RepairButton(bool driveChosenBefore)
{
    if (Running()) return;
    std::optional<std::vector<repair::PartitionMenuEntry>> menu;
    {
        ControlsLock lock(*this);
        menu = commands_.RepairButton({widgets_.DList->currentIndex(), widgets_.DList->count(), driveChosenBefore});
    }
    if (!menu) return;
    FillPartitionMenu(widgets_.DiskPop, items_, *menu, window_, onItemClick_);
    PopUpAtPointer(widgets_.DiskPop);
}

void WindowRepairs::PartitionClick(const QAction* item)
{
    if (Running()) return;
    const int tag = PartitionTag(item);
    ControlsLock lock(*this);
    commands_.PartitionClick(tag);
}

void WindowRepairs::SetControlsEnabled(bool enabled)
{
    widgets_.DList->setEnabled(enabled);
    widgets_.Button2->setEnabled(enabled);
    for (QAction* item : widgets_.DiskPop->actions()) item->setEnabled(enabled);
}

void WindowRepairs::PopUpDiskPop(QWidget* source, const QPoint& position)
{
    // The partition menu is filled by the repair button; before that it has
    // nothing to offer.
    if (widgets_.DiskPop->actions().isEmpty()) return;
    widgets_.DiskPop->popup(source->mapToGlobal(position));
}

}  // namespace ui
