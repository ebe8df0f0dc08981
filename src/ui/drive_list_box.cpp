#include "ui/drive_list_box.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

namespace ui {
namespace {

// Two decimals with the user's decimal separator and no thousands separators.
QString TwoDecimals(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', 2);
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

DriveListBox::DriveListBox(QComboBox* box) : QObject(box), box_(box), lineEdit_(box->lineEdit())
{
    box_->setCompleter(nullptr);
    // Only a pick by the user is reported; selections made from code are not.
    connect(box_, &QComboBox::activated, this, &DriveListBox::Picked);
    connect(lineEdit_, &QLineEdit::textEdited, this, &DriveListBox::AutoComplete);
    lineEdit_->installEventFilter(this);
}

void DriveListBox::Refill(const QStringList& lines)
{
    const QString editText = box_->currentText();
    box_->clear();
    box_->addItems(lines);
    box_->setCurrentIndex(-1);
    box_->setEditText(editText);
}

bool DriveListBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        skipCompletion_ = key == Qt::Key_Backspace || key == Qt::Key_Delete;
    }
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
    // The completed rest stays selected, so typing on replaces it.
    const QString completed = box_->itemText(line);
    box_->setEditText(completed);
    lineEdit_->setSelection(static_cast<int>(typed.size()), static_cast<int>(completed.size() - typed.size()));
    if (picked) emit Picked();
}

}  // namespace ui
