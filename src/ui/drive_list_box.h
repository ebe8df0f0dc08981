#pragma once
// The drive list's combo box as both main windows use it: its line texts, its
// refill, and the auto-completion of typed text that picks a line.

#include <QObject>
#include <QString>
#include <QStringList>

#include "disk/d_api.h"

class QComboBox;
class QLineEdit;

namespace ui {

// "U盘 (" for a removable drive, "硬盘 (" for a fixed one, then the size with
// two decimals: "958.00 MB)" below 1000 MB, "74.53 GB)" from there on.
QString DriveListLine(const d_api::TDriveParams& params);

class DriveListBox : public QObject {
    Q_OBJECT

public:
    // Takes over the editable combo box `box` and belongs to it. Qt's own
    // inline completer is removed: it would fight this one over the edit field.
    explicit DriveListBox(QComboBox* box);

    // Replaces every line; the edit field keeps its text and no line is
    // selected afterwards.
    void Refill(const QStringList& lines);
    // The caption of the drive the user chose, which the field shows again
    // whenever it loses the focus. Until the first choice that is the text
    // the box had when it was taken over.
    void SetChosenCaption(const QString& caption);

signals:
    // The user picked line `line` with the mouse or the keyboard, or typed
    // text that auto-completion turned into another line. Selections made
    // from code, leaving the field and Enter on its text are no pick.
    void Picked(int line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LineChosen(int line);
    void AutoComplete(const QString& typed);
    void ShowStartOfText();
    void ShowChosenCaption();

    QComboBox* box_;
    // Kept apart from the box: its events still arrive while the box is
    // being destroyed, when the box can no longer be asked for it.
    QLineEdit* lineEdit_;
    // Set by Backspace or Delete in the edit field: removing text must not
    // complete it again.
    bool skipCompletion_ = false;
    QString chosenCaption_;
};

}  // namespace ui
