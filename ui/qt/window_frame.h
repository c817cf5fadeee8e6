// A form gives the outer size of its window, frame included, where a window
// manager frames it; with no frame the client area takes that size. The
// frame's size is only known once the window manager has framed the window,
// so the client area is fitted again whenever the frame changes.
#pragma once

#include <QMargins>
#include <QSize>
#include <QWidget>

namespace ui {

// Fits the window's client area so that, with `frame` around it, the window
// is `outer` in size. Units keep their places in the client area.
void FitClientToOuterSize(QWidget* window, QSize outer, QMargins frame);

// Fits `window` now and again each time it is shown, moved or resized, as
// its frame becomes known or changes.
void KeepOuterSize(QWidget* window, QSize outer);

}  // namespace ui
