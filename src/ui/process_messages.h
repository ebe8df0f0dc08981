#pragma once

namespace ui {

// Serves every event waiting for the GUI thread and returns when none is left,
// so that a long scan on the GUI thread keeps the window painting and the
// timer ticking.
void ProcessMessages();

}  // namespace ui
