#pragma once
// The main window of volmender: the drive list, the drive choice with the read
// of its first sector, the repair button with its partition menu, the web
// buttons, the exit button and the 5-second timer. Its components come from
// the layout TFORM1 under the layout's names.

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "repair/repair_state.h"
#include "ui/partition_menu.h"
#include "ui/web_browser.h"
#include "ui/window_repairs.h"
#include "ui_tform1.h"

class QTimer;

namespace ui {
class WindowDrives;
}

// What the window takes from outside; tests put stand-ins here.
struct TForm1Services {
    // Fills the placeholder `web` with the embedded browser.
    ui::WebBrowserFactory makeBrowser;
    // Fetches `url` and saves the body as `localName`; true on success.
    std::function<bool(const std::string& url, const std::string& localName)> downloadFile;
};

class TForm1 : public QWidget, public Ui::TFORM1 {
    Q_OBJECT

public:
    // Builds the window from its layout and runs the creation steps. The window
    // is not shown; check ProgramEnded() before showing it.
    explicit TForm1(TForm1Services services, QWidget* parent = nullptr);
    ~TForm1() override;

    // True when creation ended the program (the next version was downloaded):
    // the window must then never be shown.
    bool ProgramEnded() const { return programEnded_; }

    void FormCreate();
    void FormActivate();
    // The user picked line `line` of the drive list.
    void DListClick(int line);
    void ReadFirstSector();
    void Button2Click();
    // The click on a partition menu item; only the item's tag is used.
    void PartitionClick(QAction* sender);
    void Button3Click();
    void Button4Click();
    void Button6Click();
    void Timer1Timer();
    void TrimWorkingSet();
    bool DownloadFile(const std::string& url, const std::string& localName);

    QTimer* Timer1 = nullptr;
    std::string Version;
    // The chosen drive, the drive numbers behind the list's lines, the buffers
    // and the volume layout that the repair commands share.
    repair::RepairState State;
    // The items of DiskPop by partition number.
    ui::PartitionItems PartItems{};

private:
    void WireHandlers();

    TForm1Services services_;
    std::unique_ptr<ui::WebBrowser> browser_;
    bool programEnded_ = false;
    std::unique_ptr<ui::WindowDrives> drives_;
    std::unique_ptr<ui::WindowRepairs> repairs_;
};
