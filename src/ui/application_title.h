#pragma once
// The application title: the caption of the plain message dialogs and of the
// application's error box.

#include <QString>

namespace ui {

// The file name without its directory, cut at its first full stop, every
// character after the first lower-cased ("/opt/VolMender.exe" -> "Volmender").
QString ApplicationTitle(const QString& executablePath);
// The title of the running program.
QString ApplicationTitle();

}  // namespace ui
