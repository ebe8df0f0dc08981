#pragma once
// A RepairHost that answers the save dialog from a script and records what a
// repair showed, in order.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "repair/repair_host.h"

namespace repair::testing {

class RecordingHost : public RepairHost {
public:
    void ShowBusyPanel() override { events.push_back("busy"); }
    void HideBusyPanel() override { events.push_back("busy hidden"); }
    void ProcessMessages() override { ++messagesProcessed; }
    void ShowMessage(const std::string& text) override { events.push_back("message: " + text); }
    void ShowInformation(const std::string& text) override { events.push_back("information: " + text); }
    void ShowReadError(const std::string& text) override { events.push_back("read error: " + text); }
    void ShowError(const std::string& text) override { events.push_back("error: " + text); }
    std::optional<std::string> AskSaveFileName() override
    {
        events.push_back("save dialog");
        if (saveAnswers.empty()) return std::nullopt;
        auto answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }

    bool AskYesNo(const std::string& question) override
    {
        events.push_back("question: " + question);
        if (questionAnswers.empty()) return false;
        const bool answer = questionAnswers.front();
        questionAnswers.pop_front();
        return answer;
    }

    std::vector<std::string> Messages() const
    {
        std::vector<std::string> shown;
        for (const auto& e : events)
            if (e.rfind("message: ", 0) == 0) shown.push_back(e.substr(9));
        return shown;
    }

    std::vector<std::string> events;
    long messagesProcessed = 0;
    // One answer per save dialog: a path, or nullopt for cancel.
    std::deque<std::optional<std::string>> saveAnswers;
    // One answer per question; No when none is left.
    std::deque<bool> questionAnswers;
};

}  // namespace repair::testing
