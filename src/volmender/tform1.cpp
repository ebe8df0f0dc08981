#include "volmender/tform1.h"

#include <QTimer>

#include "disk/d_api.h"
#include "platform/win32.h"
#include "ui/busy_animation.h"
#include "ui/busy_text.h"
#include "ui/dialog_service.h"
#include "ui/drive_list_box.h"
#include "ui/error_guard.h"
#include "ui/form_activation.h"
#include "ui/process_messages.h"
#include "ui/web_addresses.h"
#include "ui/web_pages.h"
#include "ui/window_drives.h"
#include "volmender/update/update_download.h"
#include "volmender/window_centring.h"

namespace {

// Where the layout places the window; it stays there when the creation steps
// fail before the window is centred.
constexpr int DesignedLeft = 335;
constexpr int DesignedTop = 198;

constexpr int TimerIntervalMs = 5000;

const char* const CreationWarning =
    "警告：本程序直接将数据写入磁盘，操作需谨慎，一旦数据发生丢失，软件作者概不负责！特此警告！";
const char* const UpdateDownloaded = "最新版下载成功！请将Volmender更新到最新版使用！";
// Set off from the version by a run of blanks: the author's nickname and
// contact number, both neutral placeholders, so that neither could be taken
// for a real person's.
const char* const AuthorCredit = "          作者：示例作者  联系电话：000-00000000";

}  // namespace

TForm1::TForm1(TForm1Services services, QWidget* parent)
    : QWidget(parent), services_(std::move(services))
{
    setupUi(this);
    // A fixed border with the system menu and the minimise box, no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    move(DesignedLeft, DesignedTop);
    drives_ = std::make_unique<ui::WindowDrives>(State, DList);

    browser_ = services_.makeBrowser(web);
    ui::PlayBusyAnimationWhileVisible(Image1, Panel1);
    ui::DrawBusyTextAsEnabled(Memo2);
    repairs_ = std::make_unique<ui::WindowRepairs>(
        State, repair::VolmenderRoads, ui::RepairWidgets{DList, Button2, DiskPop, Panel1}, PartItems, this,
        [this](QAction* item) { ui::RunGuarded([this, item] { PartitionClick(item); }); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(TimerIntervalMs);

    WireHandlers();
    Timer1->start();
    ui::RunGuarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::WireHandlers()
{
    // Each handler runs under the error guard: an error nobody catches ends
    // the handler and shows the application's error box.
    connect(drives_->ListBox(), &ui::DriveListBox::Picked, this, ui::Guarded(this, &TForm1::DListClick));
    connect(Button2, &QPushButton::clicked, this, ui::Guarded(this, &TForm1::Button2Click));
    connect(Button3, &QPushButton::clicked, this, ui::Guarded(this, &TForm1::Button3Click));
    connect(Button4, &QPushButton::clicked, this, ui::Guarded(this, &TForm1::Button4Click));
    connect(Button6, &QPushButton::clicked, this, ui::Guarded(this, &TForm1::Button6Click));
    connect(Timer1, &QTimer::timeout, this, ui::Guarded(this, &TForm1::Timer1Timer));
    ui::WatchMainWindowActivation(this, ui::Guarded(this, &TForm1::FormActivate));
}

void TForm1::FormCreate()
{
    browser_->Navigate(QString::fromLatin1(web_addresses::HomePage));
    State.CurSector = 0;
    State.SelectedDrive = 0;
    Version = "1.22";
    ui::Dialogs().ShowMessage(QString::fromUtf8(CreationWarning));
    setWindowTitle(QStringLiteral("Volmender V") + QString::fromStdString(Version) + QString::fromUtf8(AuthorCredit));

    const std::string nextVersion = update::NextVersion(Version);
    const std::string localName = update::UpdateFileName(nextVersion);
    const std::string url = update::UpdateUrl(nextVersion);
    if (DownloadFile(url, localName)) {
        ui::Dialogs().ShowMessage(QString::fromUtf8(UpdateDownloaded));
        programEnded_ = true;
        return;
    }

    volmender::CentreFrameOnScreen(this, win32::GetSystemMetrics(win32::SM_CXSCREEN),
                                   win32::GetSystemMetrics(win32::SM_CYSCREEN));
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

void TForm1::Button2Click()
{
    repairs_->RepairButton(drives_->DriveChosen());
}

void TForm1::PartitionClick(QAction* sender)
{
    repairs_->PartitionClick(sender);
}

void TForm1::Button3Click()
{
    close();
}

void TForm1::Button4Click()
{
    ui::OpenInInternetExplorer(this, web_addresses::HomePage);
}

void TForm1::Button6Click()
{
    ui::OpenInInternetExplorer(this, web_addresses::RecoveryService);
}

void TForm1::Timer1Timer()
{
    TrimWorkingSet();
    // A second repair must not start while one is running: the busy panel is
    // up while an analysis runs, and the repair itself runs longer.
    const bool busy = !Panel1->isHidden() || repairs_->Running();
    DList->setEnabled(!busy);
    Button2->setEnabled(!busy);
}

void TForm1::TrimWorkingSet()
{
    if (!d_api::IsNT) return;
    win32::SetProcessWorkingSetSize(win32::GetCurrentProcess(), static_cast<win32::SIZE_T>(-1),
                                    static_cast<win32::SIZE_T>(-1));
    ui::ProcessMessages();
}

bool TForm1::DownloadFile(const std::string& url, const std::string& localName)
{
    return services_.downloadFile(url, localName);
}
