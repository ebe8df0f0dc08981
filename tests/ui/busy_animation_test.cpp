// The busy animation: its picture data and its playing while the panel shows.

#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QMovie>

#include "ui/busy_animation.h"

namespace {

class BusyAnimation : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Registers the resource, as the windows do.
        QWidget panel;
        QLabel picture(&panel);
        ui::PlayBusyAnimationWhileVisible(&picture, &panel);
    }
};

TEST_F(BusyAnimation, IsA160By16Gif89aOfFiveFramesOf100MsLoopingForEver)
{
    QFile file(ui::BusyAnimationPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(6), QByteArray("GIF89a"));

    QImageReader reader(ui::BusyAnimationPath);
    ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
    EXPECT_EQ(reader.size(), QSize(160, 16));
    EXPECT_EQ(reader.imageCount(), 5);
    EXPECT_EQ(reader.loopCount(), -1);  // -1: repeats without end
    for (int frame = 0; frame < 5; ++frame) {
        QImage image;
        ASSERT_TRUE(reader.read(&image)) << "frame " << frame;
        EXPECT_EQ(image.size(), QSize(160, 16));
        EXPECT_EQ(reader.nextImageDelay(), 100) << "after frame " << frame;
    }
}

TEST_F(BusyAnimation, PlaysOnlyWhileThePanelIsVisible)
{
    QWidget window;
    auto* panel = new QWidget(&window);
    auto* picture = new QLabel(panel);
    panel->hide();
    ui::PlayBusyAnimationWhileVisible(picture, panel);
    window.show();

    QMovie* movie = picture->movie();
    ASSERT_NE(movie, nullptr);
    EXPECT_TRUE(movie->isValid());
    EXPECT_NE(movie->state(), QMovie::Running);
    panel->show();
    EXPECT_EQ(movie->state(), QMovie::Running);
    panel->hide();
    EXPECT_NE(movie->state(), QMovie::Running);
}

}  // namespace
