#pragma once
// The repair commands' way to the user in a main window: the busy panel, the
// message loop and the program's dialogs.

#include "repair/repair_host.h"

class QWidget;

namespace ui {

class WindowRepairHost : public repair::RepairHost {
public:
    // `busyPanel` holds the animated picture and "正在分析中！请稍后！"; the
    // picture plays while the panel is visible.
    explicit WindowRepairHost(QWidget* busyPanel);

    void ShowBusyPanel() override;
    void HideBusyPanel() override;
    void ProcessMessages() override;
    void ShowMessage(const std::string& text) override;
    void ShowInformation(const std::string& text) override;
    void ShowReadError(const std::string& text) override;
    void ShowError(const std::string& text) override;
    std::optional<std::string> AskSaveFileName() override;
    bool AskYesNo(const std::string& question) override;

private:
    QWidget* busyPanel_;
};

}  // namespace ui
