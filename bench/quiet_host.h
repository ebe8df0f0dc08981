#pragma once
// The window of a benchmark: nothing to paint, and only the analysis's notices
// are worth printing.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "repair/repair_host.h"

namespace bench {

class QuietHost : public repair::RepairHost {
public:
    void ShowBusyPanel() override {}
    void HideBusyPanel() override {}
    void ProcessMessages() override {}
    void ShowMessage(const std::string& text) override
    {
        std::printf("notice: %s\n", text.c_str());
        messages.push_back(text);
    }
    void ShowInformation(const std::string& text) override { messages.push_back(text); }
    void ShowReadError(const std::string&) override {}
    void ShowError(const std::string&) override {}
    std::optional<std::string> AskSaveFileName() override { return std::nullopt; }
    bool AskYesNo(const std::string&) override { return false; }

    std::vector<std::string> messages;  // what the repair told the user, in order
};

}  // namespace bench
