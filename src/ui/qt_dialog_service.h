#pragma once
// The dialogs a person sees: Qt message boxes and the Qt save-file dialog.

#include "ui/dialog_service.h"

namespace ui {

class QtDialogService : public DialogService {
public:
    void ShowMessage(const QString& text) override;
    void ShowInformation(const QString& text) override;
    int SystemMessageBox(const QString& text, const QString& caption, unsigned style) override;
    void ShowError(const QString& message) override;
    std::optional<QString> AskSaveFileName() override;
    bool AskYesNo(const QString& question) override;

private:
    // The save dialog opens on the name confirmed last in this run.
    QString lastSaveName_;
};

}  // namespace ui
