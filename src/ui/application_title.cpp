#include "ui/application_title.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace ui {

QString ApplicationTitle(const QString& executablePath)
{
    QString name = QFileInfo(executablePath).fileName();
    const qsizetype stop = name.indexOf(QLatin1Char('.'));
    if (stop >= 0) name.truncate(stop);
    if (name.isEmpty()) return name;
    return name.left(1) + name.mid(1).toLower();
}

QString ApplicationTitle()
{
    return ApplicationTitle(QCoreApplication::applicationFilePath());
}

}  // namespace ui
