// The drive-list line texts and the centring arithmetic.

#include <gtest/gtest.h>

#include "volmender/drive_list.h"
#include "volmender/window_centring.h"

namespace {

d_api::TDriveParams Drive(std::uint64_t sectors, bool removable)
{
    d_api::TDriveParams params{};
    params.size = 30;
    params.flags = removable ? d_api::RemovableFlag : 0;
    params.totalSectors = sectors;
    return params;
}

TEST(DriveListLine, NamesTheKindOfDriveAndItsSize)
{
    EXPECT_EQ(volmender::DriveListLine(Drive(156301488, false)), "硬盘 (74.53 GB)");
    EXPECT_EQ(volmender::DriveListLine(Drive(1961984, true)), "U盘 (958.00 MB)");
}

TEST(DriveListLine, SwitchesToGigabytesAtExactly1000Megabytes)
{
    EXPECT_EQ(volmender::DriveListLine(Drive(2048000, false)), "硬盘 (0.98 GB)");
    EXPECT_EQ(volmender::DriveListLine(Drive(2047999, false)), "硬盘 (1000.00 MB)");
}

TEST(DriveListLine, HasNoThousandsSeparators)
{
    EXPECT_EQ(volmender::DriveListLine(Drive(2147483648ull * 2048, false)), "硬盘 (2097152.00 GB)");
    EXPECT_EQ(volmender::DriveListLine(Drive(0, true)), "U盘 (0.00 MB)");
}

TEST(CentredPosition, HalvesTheDifferenceTowardZero)
{
    EXPECT_EQ(volmender::CentredPosition(1024, 605), 209);
    EXPECT_EQ(volmender::CentredPosition(1024, 598), 213);
    EXPECT_EQ(volmender::CentredPosition(600, 603), -1);
    EXPECT_EQ(volmender::CentredPosition(100, 300), -100);
}

}  // namespace
