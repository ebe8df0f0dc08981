#pragma once

namespace volmender {

// Where a window starts so that it sits in the middle of the screen along one
// axis. A window larger than the screen gets a negative position, and an odd
// difference is halved toward zero (-3 gives -1), which is exactly what C++
// integer division does.
constexpr int CentredPosition(int screenExtent, int windowExtent)
{
    return (screenExtent - windowExtent) / 2;
}

}  // namespace volmender
