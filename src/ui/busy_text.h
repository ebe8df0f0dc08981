#pragma once
// How the text under the busy animation reads, in both programs.

class QPlainTextEdit;

namespace ui {

// The text stays disabled, so that the user can neither edit nor focus it,
// yet reads as ordinary text: drawn in the enabled text colour on the button
// face of the panel it lies on, its whole background painted.
void DrawBusyTextAsEnabled(QPlainTextEdit* text);

}  // namespace ui
