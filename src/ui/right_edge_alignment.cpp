#include "ui/right_edge_alignment.h"

#include <QEvent>
#include <QWidget>

namespace ui {
namespace {

class RightEdgeAlignment : public QObject {
public:
    explicit RightEdgeAlignment(QWidget* child) : QObject(child), child_(child)
    {
        child_->parentWidget()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == child_->parentWidget() && event->type() == QEvent::Resize) {
            const QWidget* parent = child_->parentWidget();
            child_->setGeometry(parent->width() - child_->width(), 0, child_->width(), parent->height());
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* child_;
};

}  // namespace

void AlignToRightEdge(QWidget* child)
{
    new RightEdgeAlignment(child);
}

}  // namespace ui
