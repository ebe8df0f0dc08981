#pragma once
// The busy animation shown while a volume is analysed.

class QLabel;
class QWidget;

namespace ui {

// The resource path of the animation: a 160 x 16 GIF89a, five 100 ms frames,
// looping for ever.
inline constexpr const char* BusyAnimationPath = ":/ui/busy.gif";

// Plays the animation in `picture` whenever `panel` is shown and stops it when
// the panel is hidden. The player belongs to `picture`.
void PlayBusyAnimationWhileVisible(QLabel* picture, QWidget* panel);

}  // namespace ui
