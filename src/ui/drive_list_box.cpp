#include "ui/drive_list_box.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

namespace ui {
namespace {

// Two decimals in ASCII digits without thousands separators; only the
// decimal separator is the user's (a locale may write digits of its own).
QString TwoDecimals(double value)
{
    return QString::number(value, 'f', 2).replace(QLatin1Char('.'), QLocale().decimalPoint());
}

}  // namespace

QString DriveListLine(const d_api::TDriveParams& params)
{
    // Megabytes of 512-byte sectors.
    const double megabytes = static_cast<double>(params.totalSectors) / 2048.0;
    const QString size = megabytes < 1000.0 ? TwoDecimals(megabytes) + QStringLiteral(" MB)")
                                            : TwoDecimals(megabytes / 1024.0) + QStringLiteral(" GB)");
    const bool removable = (params.flags & d_api::RemovableFlag) != 0;
    return (removable ? QStringLiteral("U盘 (") : QStringLiteral("硬盘 (")) + size;
}

DriveListBox::DriveListBox(QComboBox* box)
    : QObject(box), box_(box), lineEdit_(box->lineEdit()), chosenCaption_(box->currentText())
{
    box_->setCompleter(nullptr);
    // When editing ends (the field loses the focus, Enter is pressed) Qt's
    // editable combo box chooses the first line whose caption matches the
    // text. After a refill no line is chosen while the text stays, so with
    // two drives of one caption that would choose the other drive: only the
    // user's choice of a line may choose one.
    QObject::disconnect(lineEdit_, &QLineEdit::editingFinished, box_, nullptr);
    // The pop-up, the arrow keys and the mouse wheel; selections made from
    // code are not reported.
    connect(box_, &QComboBox::activated, this, &DriveListBox::LineChosen);
    connect(lineEdit_, &QLineEdit::textEdited, this, &DriveListBox::AutoComplete);
    lineEdit_->installEventFilter(this);
    box_->installEventFilter(this);
}

void DriveListBox::Refill(const QStringList& lines)
{
    const QString editText = box_->currentText();
    box_->clear();
    box_->addItems(lines);
    box_->setCurrentIndex(-1);
    box_->setEditText(editText);
    ShowStartOfText();
}

void DriveListBox::SetChosenCaption(const QString& caption)
{
    chosenCaption_ = caption;
}

void DriveListBox::LineChosen(int line)
{
    ShowStartOfText();
    emit Picked(line);
}

// The field is narrower than a caption, and Qt scrolls it to the end of the
// text it is given, cutting off the kind of drive at the start.
void DriveListBox::ShowStartOfText()
{
    lineEdit_->setCursorPosition(0);
}

// A repair acts on the drive chosen, not on the text typed: once the user
// leaves the field, text that names no drive (or a completion scrolled a few
// pixels off its first character) gives way to the chosen drive's caption,
// shown from its start.
void DriveListBox::ShowChosenCaption()
{
    box_->setEditText(chosenCaption_);
    ShowStartOfText();
}

bool DriveListBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        skipCompletion_ = key == Qt::Key_Backspace || key == Qt::Key_Delete;
    }
    // The box holds the focus for its field and hands the field its focus
    // events directly, past any filter of the field.
    if (watched == box_ && event->type() == QEvent::FocusOut) ShowChosenCaption();
    return QObject::eventFilter(watched, event);
}

// Typing selects the first line that begins with the typed text, letter case
// ignored; a change of the selected line counts as a pick.
void DriveListBox::AutoComplete(const QString& typed)
{
    if (skipCompletion_ || typed.isEmpty()) return;
    const int line = box_->findText(typed, Qt::MatchStartsWith);
    if (line < 0) return;
    const bool picked = line != box_->currentIndex();
    box_->setCurrentIndex(line);
    // The completed rest stays selected, so typing on replaces it. The
    // selection is made from its end back to the cursor after the typed text,
    // which keeps the start of the caption in view.
    const QString completed = box_->itemText(line);
    box_->setEditText(completed);
    lineEdit_->setSelection(static_cast<int>(completed.size()), -static_cast<int>(completed.size() - typed.size()));
    if (picked) emit Picked(line);
}

}  // namespace ui
