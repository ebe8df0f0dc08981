// The main window as its layout builds it.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMovie>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>

#include "form_harness.h"

namespace {

struct Component {
    const char* name;
    const char* parent;
    QRect geometry;
    QString text;
    QString hint;
};

QString TextOf(QWidget* widget)
{
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->currentText();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) return memo->toPlainText();
    return QString();
}

class TForm1Layout : public FormTest {
protected:
    void SetUp() override { Build(); }
};

TEST_F(TForm1Layout, PlacesEveryComponentWithItsTextAndHint)
{
    const Component components[] = {
        {"PageControl1", "Form1", {0, 0, 598, 260}, "", ""},
        {"DList", "TabSheet1", {8, 1, 107, 21}, "选择磁盘...", ""},
        {"Button2", "TabSheet1", {8, 37, 105, 24}, "修复损坏磁盘", "修复损坏的文件系统！"},
        {"Button6", "TabSheet1", {8, 61, 105, 25}, "在线服务", "在线数据恢复服务！"},
        {"Button3", "TabSheet1", {8, 86, 105, 25}, "退出", "退出程序！"},
        {"web", "TabSheet1", {125, 0, 465, 232}, "", ""},
        {"Panel1", "TabSheet1", {200, 64, 209, 65}, "", ""},
        {"Image1", "Panel1", {24, 16, 161, 17}, "", ""},
        {"Memo2", "Panel1", {48, 40, 121, 17}, "正在分析中！请稍后！", ""},
        {"Label2", "TabSheet2", {40, 64, 137, 13}, "作者：示例作者", ""},
        {"Button4", "TabSheet2", {32, 144, 537, 33},
         "欢迎到volmender作者的网站进行访问，在那里你将学到更多的知识，了解更多作者开发的相关软件！", ""},
    };
    TForm1& form = *harness->form;
    for (const auto& expected : components) {
        SCOPED_TRACE(expected.name);
        auto* widget = form.findChild<QWidget*>(expected.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), expected.parent);
        EXPECT_EQ(widget->geometry(), expected.geometry);
        EXPECT_EQ(TextOf(widget), expected.text);
        EXPECT_EQ(widget->toolTip(), expected.hint);
    }
}

TEST_F(TForm1Layout, IsAFixedWindowWithoutMaximiseBoxOpeningOnTheSecondPage)
{
    TForm1& form = *harness->form;
    EXPECT_EQ(form.objectName(), "Form1");
    EXPECT_EQ(form.size(), QSize(598, 260));
    EXPECT_EQ(form.minimumSize(), QSize(598, 260));
    EXPECT_EQ(form.maximumSize(), QSize(598, 260));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(form.property("hint").toString(), "分区显示容量被占用，但是没有文件！");
    EXPECT_TRUE(form.toolTip().isEmpty());  // the window itself shows no hint

    EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet2);
    EXPECT_EQ(form.PageControl1->tabText(0), "功能");
    EXPECT_EQ(form.PageControl1->tabText(1), "作者...");
}

TEST_F(TForm1Layout, HasTheBusyPanelHiddenAboveTheBrowser)
{
    TForm1& form = *harness->form;
    EXPECT_TRUE(form.Panel1->isHidden());
    const auto siblings = form.TabSheet1->children();
    EXPECT_GT(siblings.indexOf(form.Panel1), siblings.indexOf(form.web));  // later siblings lie above
    ASSERT_NE(form.Image1->movie(), nullptr);
    EXPECT_EQ(form.Image1->movie()->frameRect().size(), QSize(160, 16));
    EXPECT_FALSE(form.Memo2->isEnabled());
    EXPECT_EQ(form.Memo2->palette().color(QPalette::Disabled, QPalette::Text), QPalette().color(QPalette::Text));
    EXPECT_TRUE(form.Memo2->viewport()->autoFillBackground());
    EXPECT_EQ(form.Memo2->frameShape(), QFrame::NoFrame);
}

TEST_F(TForm1Layout, HasItsNonVisualComponents)
{
    TForm1& form = *harness->form;
    ASSERT_NE(form.findChild<QMenu*>("DiskPop"), nullptr);
    EXPECT_TRUE(form.DiskPop->actions().isEmpty());
    ASSERT_EQ(form.findChild<QTimer*>("Timer1"), form.Timer1);
    EXPECT_EQ(form.Timer1->interval(), 5000);
    EXPECT_TRUE(form.Timer1->isActive());
}

}  // namespace
