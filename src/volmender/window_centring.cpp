#include "volmender/window_centring.h"

#include <QEvent>
#include <QWidget>

namespace volmender {
namespace {

// Centres the window now, and again when its frame turns out to have another
// size than the one it was centred with; it goes once the shown window's
// frame is known, so that a window the user has moved stays where it is.
class FrameCentring : public QObject {
public:
    FrameCentring(QWidget* window, int screenWidth, int screenHeight)
        : QObject(window), window_(window), screenWidth_(screenWidth), screenHeight_(screenHeight)
    {
        Centre();
        window_->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (watched == window_ && (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize)) {
            if (window_->frameGeometry().size() != centredFrame_) Centre();
            if (window_->isVisible() && FrameKnown()) deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Centre()
    {
        centredFrame_ = window_->frameGeometry().size();
        window_->move(CentredPosition(screenWidth_, centredFrame_.width()),
                      CentredPosition(screenHeight_, centredFrame_.height()));
    }

    bool FrameKnown() const { return window_->frameGeometry() != window_->geometry(); }

    QWidget* window_;
    int screenWidth_;
    int screenHeight_;
    QSize centredFrame_;
};

}  // namespace

void CentreFrameOnScreen(QWidget* window, int screenWidth, int screenHeight)
{
    new FrameCentring(window, screenWidth, screenHeight);
}

}  // namespace volmender
