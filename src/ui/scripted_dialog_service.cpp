#include "ui/scripted_dialog_service.h"

#include "platform/win32.h"
#include "ui/application_title.h"
#include "ui/error_guard.h"

namespace ui {

void ScriptedDialogService::ShowMessage(const QString& text)
{
    shown_.push_back({DialogKind::Message, ApplicationTitle(), text});
    OwnDialogClosed();
}

void ScriptedDialogService::ShowInformation(const QString& text)
{
    shown_.push_back({DialogKind::Information, QStringLiteral("Information"), text});
    OwnDialogClosed();
}

int ScriptedDialogService::SystemMessageBox(const QString& text, const QString& caption, unsigned)
{
    shown_.push_back({DialogKind::SystemBox, caption, text});
    return win32::IDOK;
}

void ScriptedDialogService::ShowError(const QString& message)
{
    shown_.push_back({DialogKind::Error, ApplicationTitle(), ErrorBoxText(message)});
}

std::optional<QString> ScriptedDialogService::AskSaveFileName()
{
    std::optional<QString> answer;
    if (!saveAnswers_.empty()) {
        answer = saveAnswers_.front();
        saveAnswers_.pop_front();
    }
    shown_.push_back({DialogKind::SaveFile, QString(), answer.value_or(QString())});
    return answer;
}

bool ScriptedDialogService::AskYesNo(const QString& question)
{
    bool yes = false;
    if (!questionAnswers_.empty()) {
        yes = questionAnswers_.front();
        questionAnswers_.pop_front();
    }
    shown_.push_back({DialogKind::Question, ApplicationTitle(), question});
    OwnDialogClosed();
    return yes;
}

std::vector<QString> ScriptedDialogService::Texts(DialogKind kind) const
{
    std::vector<QString> texts;
    for (const auto& dialog : shown_)
        if (dialog.kind == kind) texts.push_back(dialog.text);
    return texts;
}

ScriptedDialogService& UseScriptedDialogs()
{
    auto service = std::make_unique<ScriptedDialogService>();
    auto& scripted = *service;
    SetDialogs(std::move(service));
    return scripted;
}

}  // namespace ui
