#include "ui/busy_animation.h"

#include <QEvent>
#include <QLabel>
#include <QMovie>

// Resources of a static library are registered by hand, outside any namespace.
static void RegisterBusyResource()
{
    Q_INIT_RESOURCE(busy);
}

namespace ui {
namespace {

// Starts and stops the player as the panel is shown and hidden.
class PanelWatcher : public QObject {
public:
    PanelWatcher(QMovie* movie, QObject* parent) : QObject(parent), movie_(movie) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show) movie_->start();
        if (event->type() == QEvent::Hide) movie_->stop();
        return false;
    }

private:
    QMovie* movie_;
};

}  // namespace

void PlayBusyAnimationWhileVisible(QLabel* picture, QWidget* panel)
{
    RegisterBusyResource();
    auto* movie = new QMovie(QString::fromLatin1(BusyAnimationPath), QByteArray(), picture);
    picture->setMovie(movie);
    movie->jumpToFrame(0);
    panel->installEventFilter(new PanelWatcher(movie, movie));
    if (panel->isVisible()) movie->start();
}

}  // namespace ui
