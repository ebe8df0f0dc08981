#pragma once
// A dialog service for tests: nobody sits at the screen, so every dialog is
// recorded and answered from a script. Message boxes answer OK at once; save
// dialogs and questions take their answers from queues of their own, and
// cancel or answer No when theirs is empty.

#include <deque>
#include <vector>

#include "ui/dialog_service.h"

namespace ui {

enum class DialogKind { Message, Information, SystemBox, Error, SaveFile, Question };

struct ShownDialog {
    DialogKind kind;
    QString caption;   // as the person would read it (save dialogs: empty)
    QString text;      // error boxes with their full stop; save dialogs: the answer or empty
};

class ScriptedDialogService : public DialogService {
public:
    void ShowMessage(const QString& text) override;
    void ShowInformation(const QString& text) override;
    int SystemMessageBox(const QString& text, const QString& caption, unsigned style) override;
    void ShowError(const QString& message) override;
    std::optional<QString> AskSaveFileName() override;
    bool AskYesNo(const QString& question) override;

    // The next save dialog answers `name`, or cancels when it is nothing.
    void QueueSaveAnswer(std::optional<QString> name) { saveAnswers_.push_back(std::move(name)); }
    // The next question answers Yes when `yes`, else No.
    void QueueQuestionAnswer(bool yes) { questionAnswers_.push_back(yes); }

    const std::vector<ShownDialog>& Shown() const { return shown_; }
    // The texts of the dialogs of one kind, in the order they were shown.
    std::vector<QString> Texts(DialogKind kind) const;
    void Forget() { shown_.clear(); }

private:
    std::vector<ShownDialog> shown_;
    std::deque<std::optional<QString>> saveAnswers_;
    std::deque<bool> questionAnswers_;
};

// Installs a fresh scripted service as the program's dialog service.
ScriptedDialogService& UseScriptedDialogs();

}  // namespace ui
