#pragma once

class QWidget;

namespace volmender {

// Where a window starts so that it sits in the middle of the screen along one
// axis. A window larger than the screen gets a negative position, and an odd
// difference is halved toward zero (-3 gives -1), which is exactly what C++
// integer division does.
constexpr int CentredPosition(int screenExtent, int windowExtent)
{
    return (screenExtent - windowExtent) / 2;
}

// Centres the frame of `window` (its outer size, borders and caption bar
// included) on a screen of `screenWidth` x `screenHeight` pixels. The window
// system tells the frame's size only once it has framed the window, which
// may be after the window is shown: the window is centred again then, once.
void CentreFrameOnScreen(QWidget* window, int screenWidth, int screenHeight);

}  // namespace volmender
