#include "ui/process_messages.h"

#include <QCoreApplication>

namespace ui {

void ProcessMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace ui
