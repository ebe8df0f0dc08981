#pragma once
// A component that a layout aligns to its parent's right edge: it keeps its
// width and fills the parent's height at the right edge, whatever size the
// toolkit gives the parent (a page of a tab control has a size of the style's
// making, not the layout's).

class QWidget;

namespace ui {

// Keeps `child` aligned to its parent's right edge for as long as both live.
void AlignToRightEdge(QWidget* child);

}  // namespace ui
