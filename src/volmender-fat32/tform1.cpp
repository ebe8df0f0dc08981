#include "volmender-fat32/tform1.h"

#include "ui/busy_animation.h"
#include "ui/busy_text.h"
#include "ui/dialog_service.h"
#include "ui/drive_list_box.h"
#include "ui/error_guard.h"
#include "ui/form_activation.h"
#include "ui/right_edge_alignment.h"
#include "ui/web_addresses.h"
#include "ui/web_pages.h"
#include "ui/window_drives.h"

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
    ui::AlignToRightEdge(Memo1);
    drives_ = std::make_unique<ui::WindowDrives>(State, DList);
    ui::PlayBusyAnimationWhileVisible(Image1, Panel1);
    ui::DrawBusyTextAsEnabled(Memo2);
    repairs_ = std::make_unique<ui::WindowRepairs>(
        State, repair::Fat32OnlyRoads, ui::RepairWidgets{DList, Button2, DiskPop, Panel1}, PartItems, this,
        [this](QAction* item) { ui::RunGuarded([this, item] { PartitionClick(item); }); });

    WireHandlers();
    ui::RunGuarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::WireHandlers()
{
    // Each handler runs under the error guard: an error nobody catches ends
    // the handler and shows the application's error box.
    connect(drives_->ListBox(), &ui::DriveListBox::Picked, this, ui::Guarded(this, &TForm1::DListClick));
    connect(Button3, &QPushButton::clicked, this, ui::Guarded(this, &TForm1::Button3Click));
    connect(Button2, &QPushButton::clicked, this, ui::Guarded(this, &TForm1::Button2Click));
    connect(Button4, &QPushButton::clicked, this, ui::Guarded(this, &TForm1::Button4Click));
    connect(Button1, &QPushButton::clicked, this, ui::Guarded(this, &TForm1::Button1Click));
    connect(Button5, &QPushButton::clicked, this, ui::Guarded(this, &TForm1::Button5Click));
    connect(Button6, &QPushButton::clicked, this, ui::Guarded(this, &TForm1::Button6Click));
    ui::WatchMainWindowActivation(this, ui::Guarded(this, &TForm1::FormActivate));
}

void TForm1::FormCreate()
{
    State.CurSector = 0;
    State.SelectedDrive = 0;
}

void TForm1::FormActivate()
{
    drives_->Refill();
}

void TForm1::DListClick(int line)
{
    // A running repair works on the selected drive until it ends.
    if (repairs_->Running()) return;
    if (drives_->ChooseLine(line)) ReadFirstSector();
}

void TForm1::ReadFirstSector()
{
    drives_->ReadFirstSector();
}

void TForm1::Button3Click()
{
    close();
}

// A removable drive is repaired as one volume at once; any other drive gets
// its partition menu at the mouse pointer.
void TForm1::Button2Click()
{
    repairs_->RepairButton(drives_->DriveChosen());
}

void TForm1::PartitionClick(QAction* sender)
{
    repairs_->PartitionClick(sender);
}

void TForm1::Button4Click()
{
    ui::OpenInInternetExplorer(this, web_addresses::CompanySite);
}

void TForm1::Button1Click()
{
    ui::OpenInInternetExplorer(this, web_addresses::AuthorSite);
}

void TForm1::Button5Click()
{
    ui::Dialogs().ShowMessage(QString::fromUtf8(NoUpgradeInformation));
}

void TForm1::Button6Click()
{
    ui::OpenInInternetExplorer(this, web_addresses::RecoveryService);
}
