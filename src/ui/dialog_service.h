#pragma once
// Every modal dialog of the programs goes through one service, so that tests
// can answer the dialogs instead of a person: the message dialogs, the system
// message box, the application's error box, the save-file dialog and the
// questions.

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace ui {

class DialogService {
public:
    virtual ~DialogService() = default;

    // The program's plain message dialog: no icon, the application title as
    // caption, one OK button, centred on the screen.
    virtual void ShowMessage(const QString& text) = 0;
    // The information dialog: information icon, caption "Information", OK.
    virtual void ShowInformation(const QString& text) = 0;
    // A system message box without an owner window (MessageBoxA): returns IDOK.
    virtual int SystemMessageBox(const QString& text, const QString& caption, unsigned style) = 0;
    // The application's error box: error icon, the application title as caption.
    virtual void ShowError(const QString& message) = 0;
    // The save-file dialog: the chosen full path, or nothing when cancelled.
    virtual std::optional<QString> AskSaveFileName() = 0;
    // The program's question dialog: the application title as caption, the
    // buttons Yes and No; true for Yes.
    virtual bool AskYesNo(const QString& question) = 0;

    // Closing one of the program's own message dialogs gives the focus back to
    // the main window, which then runs its activation. Real dialogs get that
    // from the window system; a scripted service calls this instead.
    void SetOwnDialogClosedHandler(std::function<void()> handler) { ownDialogClosed_ = std::move(handler); }

protected:
    void OwnDialogClosed() const
    {
        if (ownDialogClosed_) ownDialogClosed_();
    }

private:
    std::function<void()> ownDialogClosed_;
};

DialogService& Dialogs();
// Replaces the service; the previous one is destroyed.
void SetDialogs(std::unique_ptr<DialogService> service);

}  // namespace ui
