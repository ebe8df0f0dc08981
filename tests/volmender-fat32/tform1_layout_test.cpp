// The window layout TFORM1 of the FAT32-only program: components, places,
// captions, the notes memo, the pictures, and what the window does not have.

#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>
#include <QMenu>
#include <QMovie>
#include <QTimer>

#include "fat32_harness.h"
#include "ui/busy_animation.h"

namespace {

class TForm1Layout : public Fat32WindowTest {
protected:
    void SetUp() override { Build(); }
};

struct Placed {
    const char* name;
    const char* parent;
    QRect geometry;
    const char* caption;  // nullptr: none to check
};

QString CaptionOf(const QWidget* widget)
{
    if (auto* button = qobject_cast<const QPushButton*>(widget)) return button->text();
    if (auto* combo = qobject_cast<const QComboBox*>(widget)) return combo->currentText();
    if (auto* memo = qobject_cast<const QPlainTextEdit*>(widget)) return memo->toPlainText();
    return QString();
}

TEST_F(TForm1Layout, PlacesEveryComponentWhereTheLayoutPutsIt)
{
    const Placed table[] = {
        {"PageControl1", "Form1", {0, 0, 459, 220}, nullptr},
        {"DList", "TabSheet1", {8, 17, 107, 21}, "选择磁盘..."},
        {"Button2", "TabSheet1", {8, 48, 105, 24}, "修复"},
        {"Memo1", "TabSheet1", {123, 0, 328, 192}, nullptr},
        {"Button3", "TabSheet1", {8, 164, 105, 24}, "退出"},
        {"Button4", "TabSheet1", {8, 106, 105, 24}, "关于"},
        {"Panel1", "TabSheet1", {136, 40, 209, 65}, nullptr},
        {"Image1", "Panel1", {24, 16, 161, 17}, nullptr},
        {"Memo2", "Panel1", {48, 40, 121, 17}, "正在分析中！请稍后！"},
        {"Image2", "TabSheet2", {224, 40, 177, 97}, nullptr},
        {"Button1", "TabSheet2", {80, 40, 105, 25}, "访问作者网站"},
        {"Button5", "TabSheet2", {80, 76, 105, 25}, "查看相关升级信息"},
        {"Button6", "TabSheet2", {80, 112, 105, 25}, "在线服务"},
    };
    TForm1& form = *harness->form;
    EXPECT_EQ(form.objectName(), "Form1");
    for (const Placed& placed : table) {
        SCOPED_TRACE(placed.name);
        auto* widget = form.findChild<QWidget*>(placed.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), placed.parent);
        EXPECT_EQ(widget->geometry(), placed.geometry);
        if (placed.caption) {
            EXPECT_EQ(CaptionOf(widget), QString::fromUtf8(placed.caption));
        }
        EXPECT_TRUE(widget->toolTip().isEmpty()) << "no component has a hint";
    }
}

TEST_F(TForm1Layout, IsAFixedWindowAt224By140OnThePageOfFunctions)
{
    TForm1& form = *harness->form;
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Volmender v1.2  作者：示例作者"));
    EXPECT_EQ(form.size(), QSize(459, 220));
    EXPECT_EQ(form.minimumSize(), QSize(459, 220));
    EXPECT_EQ(form.maximumSize(), QSize(459, 220));
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);

    harness->ShowAndActivate();
    EXPECT_EQ(form.pos(), QPoint(224, 140));
    EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet1);
    EXPECT_EQ(form.PageControl1->tabText(0), "功能");
    EXPECT_EQ(form.PageControl1->tabText(1), "升级");
    EXPECT_EQ(form.PageControl1->count(), 2);
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Volmender v1.2  作者：示例作者")) << "the caption never changes";
}

TEST_F(TForm1Layout, TheNotesMemoHoldsItsSevenLinesReadOnlyWithAVerticalScrollBar)
{
    TForm1& form = *harness->form;
    const QStringList expected{
        "1.2版本仅支持Fat32的<raw>以及<目录损坏",
        ">引起的数据丢失修复，后续开发会继续添",
        "加Ntfs等常见文件系统的修复。",
        "",
        "警告：本程序直接将数据写入磁盘，操作",
        "需谨慎，一旦数据发生丢失，软件作者概",
        "不负责！特此警告！",
    };
    EXPECT_EQ(form.Memo1->toPlainText().split('\n'), expected);
    EXPECT_TRUE(form.Memo1->isReadOnly());
    EXPECT_EQ(form.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form.Memo1->font().family(), "Bookman Old Style");

    // Aligned to the page's right edge, at the page's full height, whatever
    // size the tab control gives its page.
    harness->ShowAndActivate();
    const QSize page = form.TabSheet1->size();
    EXPECT_EQ(form.Memo1->geometry(), QRect(page.width() - 328, 0, 328, page.height()));
}

TEST_F(TForm1Layout, TheBusyPanelIsHiddenAndPlaysTheSharedAnimationWhenShown)
{
    TForm1& form = *harness->form;
    harness->ShowAndActivate();
    EXPECT_FALSE(form.Panel1->isVisible());
    EXPECT_FALSE(form.Memo2->isEnabled());
    EXPECT_EQ(form.Memo2->palette().color(QPalette::Disabled, QPalette::Text), QPalette().color(QPalette::Text));
    EXPECT_TRUE(form.Memo2->viewport()->autoFillBackground());
    // Its whole text stands on its one line at the layout's size: no wrap,
    // and the last character, a full-width "！" whose ink is its left half,
    // shows that half.
    const QString text = form.Memo2->toPlainText();
    const QFontMetrics metrics = form.Memo2->fontMetrics();
    EXPECT_EQ(form.Memo2->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_LE(form.Memo2->document()->documentMargin() + metrics.horizontalAdvance(text.chopped(1)) +
                  metrics.horizontalAdvance(text.back()) / 2,
              form.Memo2->viewport()->width());
    QMovie* movie = form.Image1->movie();
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->fileName(), ui::BusyAnimationPath);
    EXPECT_NE(movie->state(), QMovie::Running);
    form.Panel1->show();
    EXPECT_EQ(movie->state(), QMovie::Running);
    // No timer watches the panel: the panel alone disables nothing; only a
    // running repair locks the drive list and the repair button.
    EXPECT_TRUE(form.DList->isEnabled());
    EXPECT_TRUE(form.Button2->isEnabled());
}

TEST_F(TForm1Layout, TheUpgradePageShowsA177By99PictureOf24BitsPerPixel)
{
    TForm1& form = *harness->form;
    const QPixmap picture = form.Image2->pixmap();
    EXPECT_EQ(picture.size(), QSize(177, 99));

    QFile file(":/volmender-fat32/volmender-fat32.bmp");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(30);
    ASSERT_EQ(header.left(2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(header[28]) | static_cast<unsigned char>(header[29]) << 8, 24);
}

TEST_F(TForm1Layout, HasNoTimerAndAnEmptyPartitionMenu)
{
    TForm1& form = *harness->form;
    EXPECT_TRUE(form.findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly).isEmpty());
    EXPECT_EQ(form.findChild<QObject*>("Timer1"), nullptr);
    ASSERT_NE(form.DiskPop, nullptr);
    EXPECT_EQ(form.DiskPop->objectName(), "DiskPop");
    EXPECT_TRUE(form.DiskPop->actions().isEmpty());
}

}  // namespace
