#include "ui/busy_text.h"

#include <QPalette>
#include <QPlainTextEdit>

namespace ui {

// A disabled widget draws from the palette's disabled group, light grey on
// grey in most styles; that group gets the colours of the active one.
void DrawBusyTextAsEnabled(QPlainTextEdit* text)
{
    QPalette palette = text->palette();
    const QBrush ink = palette.brush(QPalette::Active, QPalette::Text);
    const QBrush face = palette.brush(QPalette::Active, QPalette::Button);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setBrush(group, QPalette::Text, ink);
        palette.setBrush(group, QPalette::Base, face);
    }
    text->setPalette(palette);
    text->viewport()->setAutoFillBackground(true);
}

}  // namespace ui
