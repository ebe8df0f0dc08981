#pragma once
// What the analysis, the backup and the boot-sector writer need from the window
// that runs a repair. The programs' main windows implement it with their widgets
// and dialogs; tests implement it with a recorder. Texts are UTF-8.

#include <optional>
#include <string>

namespace repair {

class RepairHost {
public:
    virtual ~RepairHost() = default;

    // Makes the busy panel (animated picture and "正在分析中！请稍后！") visible.
    // The analysis never hides it; the repair command does when it finishes.
    virtual void ShowBusyPanel() = 0;
    // Hides the busy panel again, right before a repair's last message.
    virtual void HideBusyPanel() = 0;
    // Dispatches every window message waiting for the GUI thread and returns
    // when none is left, so the window paints and the timer runs during a scan.
    virtual void ProcessMessages() = 0;
    // The program's plain modal message dialog with one OK button; returns when
    // the user has closed it.
    virtual void ShowMessage(const std::string& text) = 0;
    // The information dialog (information icon, caption "Information", OK).
    virtual void ShowInformation(const std::string& text) = 0;
    // The read-error box: a system message box without an owner window,
    // caption "读盘错误", `text` and one OK button. A repair shows it for its
    // first failed read only.
    virtual void ShowReadError(const std::string& text) = 0;
    // The application's error box, for an error that ends the repair.
    virtual void ShowError(const std::string& text) = 0;
    // The save-file dialog: the chosen full path, or nothing when cancelled.
    virtual std::optional<std::string> AskSaveFileName() = 0;
    // A question with the buttons Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& question) = 0;
};

}  // namespace repair
