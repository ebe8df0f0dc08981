// The centring arithmetic of the main window.

#include <gtest/gtest.h>

#include "volmender/window_centring.h"

namespace {

TEST(CentredPosition, HalvesTheDifferenceTowardZero)
{
    EXPECT_EQ(volmender::CentredPosition(1024, 605), 209);
    EXPECT_EQ(volmender::CentredPosition(1024, 598), 213);
    EXPECT_EQ(volmender::CentredPosition(600, 603), -1);
    EXPECT_EQ(volmender::CentredPosition(100, 300), -100);
}

}  // namespace
