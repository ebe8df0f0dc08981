#include "volmender-fat32/tform1.h"

#include "platform/win32.h"
#include "repair/drive_choice.h"
#include "repair/repair_texts.h"
#include "ui/busy_animation.h"
#include "ui/dialog_service.h"
#include "ui/drive_list_box.h"
#include "ui/error_guard.h"
#include "ui/form_activation.h"
#include "ui/web_addresses.h"

// Resources of a static library are registered by hand, outside any namespace.
static void RegisterIconResource()
{
    Q_INIT_RESOURCE(icon);
}

namespace {

// Where the layout places the window's frame, whatever the screen's size.
constexpr int DesignedLeft = 224;
constexpr int DesignedTop = 140;

const char* const NoUpgradeInformation = "暂时没有升级信息！";

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent)
{
    RegisterIconResource();
    setupUi(this);
    // A dialog frame of fixed size: the caption bar carries only the close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    move(DesignedLeft, DesignedTop);
    driveList_ = new ui::DriveListBox(DList);
    ui::PlayBusyAnimationWhileVisible(Image1, Panel1);
    repairs_ = std::make_unique<ui::WindowRepairs>(
        State, repair::Fat32OnlyRoads, ui::RepairWidgets{DList, Button2, DiskPop, Panel1}, PartItems, this,
        [this](QAction* item) { ui::RunGuarded([this, item] { PartitionClick(item); }); });

    WireHandlers();
    ui::RunGuarded([this] { FormCreate(); });
}

TForm1::~TForm1()
{
    ui::Dialogs().SetOwnDialogClosedHandler({});
}

void TForm1::WireHandlers()
{
    // Each handler runs under the error guard: an error nobody catches ends
    // the handler and shows the application's error box.
    const auto guarded = [this](void (TForm1::*handler)()) {
        return [this, handler] { ui::RunGuarded([this, handler] { (this->*handler)(); }); };
    };
    connect(driveList_, &ui::DriveListBox::Picked, this, guarded(&TForm1::DListClick));
    connect(Button3, &QPushButton::clicked, this, guarded(&TForm1::Button3Click));
    connect(Button2, &QPushButton::clicked, this, guarded(&TForm1::Button2Click));
    connect(Button4, &QPushButton::clicked, this, guarded(&TForm1::Button4Click));
    connect(Button1, &QPushButton::clicked, this, guarded(&TForm1::Button1Click));
    connect(Button5, &QPushButton::clicked, this, guarded(&TForm1::Button5Click));
    connect(Button6, &QPushButton::clicked, this, guarded(&TForm1::Button6Click));

    ui::WatchFormActivation(this, guarded(&TForm1::FormActivate));
    // Scripted dialogs open no window, so they report their closing instead:
    // it gives the focus back to this window once the window is on screen.
    ui::Dialogs().SetOwnDialogClosedHandler([this] {
        if (isVisible()) ui::RunGuarded([this] { FormActivate(); });
    });
}

void TForm1::FormCreate()
{
    State.CurSector = 0;
    State.SelectedDrive = 0;
}

// Drives that came or went since the last activation show up or drop out.
void TForm1::FormActivate()
{
    QStringList lines;
    for (const d_api::TDriveParams& params : repair::ListDrives(State)) lines << ui::DriveListLine(params);
    driveList_->Refill(lines);
}

void TForm1::DListClick()
{
    // A running repair works on the selected drive until it ends.
    if (repairs_->Running()) return;
    const int line = DList->currentIndex();
    if (line < 0 || line >= DList->count()) return;
    repair::ChooseDrive(State, static_cast<std::size_t>(line));
    driveChosen_ = true;
    ReadFirstSector();
}

void TForm1::ReadFirstSector()
{
    if (!repair::ReadFirstSector(State)) ui::Dialogs().ShowInformation(QString::fromUtf8(repair::texts::ReadError));
}

void TForm1::Button3Click()
{
    close();
}

// A removable drive is repaired as one volume at once; any other drive gets
// its partition menu at the mouse pointer.
void TForm1::Button2Click()
{
    repairs_->RepairButton(driveChosen_);
}

void TForm1::PartitionClick(QAction* sender)
{
    repairs_->PartitionClick(sender);
}

void TForm1::Button4Click()
{
    OpenInInternetExplorer(web_addresses::CompanySite);
}

void TForm1::Button1Click()
{
    OpenInInternetExplorer(web_addresses::AuthorSite);
}

void TForm1::Button5Click()
{
    ui::Dialogs().ShowMessage(QString::fromUtf8(NoUpgradeInformation));
}

void TForm1::Button6Click()
{
    OpenInInternetExplorer(web_addresses::RecoveryService);
}

// A page that cannot be opened is not reported.
void TForm1::OpenInInternetExplorer(const char* address)
{
    win32::ShellExecuteA(reinterpret_cast<win32::HWND>(winId()), "open", "IEXPLORE.EXE", address, nullptr,
                         win32::SW_SHOWMAXIMIZED);
}
