#include <gtest/gtest.h>

#include <QCoreApplication>

#include "ui/process_messages.h"

namespace {

TEST(ProcessMessages, ServesTheEventsThatAreWaiting)
{
    int served = 0;
    QMetaObject::invokeMethod(qApp, [&] { ++served; }, Qt::QueuedConnection);
    QMetaObject::invokeMethod(qApp, [&] { ++served; }, Qt::QueuedConnection);
    ui::ProcessMessages();
    EXPECT_EQ(served, 2);
}

}  // namespace
