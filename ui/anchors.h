// anchors.h: keeps a child's distances to chosen edges of its container when it is resized.
#ifndef BREVANTIS_UI_ANCHORS_H
#define BREVANTIS_UI_ANCHORS_H

#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

// The container edges a control keeps its distance to.
enum Anchor : unsigned { kAnchorLeft = 1, kAnchorTop = 2, kAnchorRight = 4, kAnchorBottom = 8 };
inline constexpr unsigned kAnchorsTopLeft = kAnchorLeft | kAnchorTop;
inline constexpr unsigned kAnchorsAll = kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom;

// Where `anchors` put a control that had `design` inside a container of `designSize`, once
// the container is `size`. Anchored to both edges of an axis, the control stretches; to one,
// it keeps its distance to that edge; to neither, its centre stays proportional.
QRect anchoredGeometry(const QRect& design, const QSize& designSize, const QSize& size,
                       unsigned anchors);

// Ties `child`'s current geometry to its parent's current size with `anchors`; from now on
// every resize of the parent places the child by anchoredGeometry.
// REQUIRES: child has a parent, both at their design geometry.
void setAnchors(QWidget* child, unsigned anchors);

}  // namespace ui

#endif  // BREVANTIS_UI_ANCHORS_H
