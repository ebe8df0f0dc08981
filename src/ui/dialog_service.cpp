#include "ui/dialog_service.h"

#include "ui/qt_dialog_service.h"

namespace ui {
namespace {

std::unique_ptr<DialogService>& CurrentService()
{
    static std::unique_ptr<DialogService> service;
    return service;
}

}  // namespace

DialogService& Dialogs()
{
    auto& service = CurrentService();
    if (!service) service = std::make_unique<QtDialogService>();
    return *service;
}

void SetDialogs(std::unique_ptr<DialogService> service)
{
    CurrentService() = std::move(service);
}

}  // namespace ui
