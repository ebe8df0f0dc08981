#pragma once
// The main window of the FAT32-only program: the drive list, the repair button
// with its partition menu, the notes memo and the busy panel on the page
// "功能", the buttons that open web pages on the page "升级". Its components
// come from the layout TFORM1 under the layout's names.

#include <QWidget>
#include <memory>

#include "repair/repair_state.h"
#include "ui/partition_menu.h"
#include "ui/window_repairs.h"
#include "ui_tform1.h"

namespace ui {
class WindowDrives;
}

class TForm1 : public QWidget, public Ui::TFORM1 {
    Q_OBJECT

public:
    // Builds the window from its layout at its designed place and runs the
    // creation step; the window is not shown.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    void FormCreate();
    void FormActivate();
    // The user picked line `line` of the drive list.
    void DListClick(int line);
    void ReadFirstSector();
    void Button3Click();
    void Button2Click();
    // The click on a partition menu item; only the item's tag is used.
    void PartitionClick(QAction* sender);
    void Button4Click();
    void Button1Click();
    void Button5Click();
    void Button6Click();

    // The chosen drive, the drive numbers behind the list's lines, the buffers
    // and the volume layout that the repair commands share.
    repair::RepairState State;
    // The items of DiskPop by partition number.
    ui::PartitionItems PartItems{};

private:
    void WireHandlers();

    std::unique_ptr<ui::WindowDrives> drives_;
    std::unique_ptr<ui::WindowRepairs> repairs_;
};
