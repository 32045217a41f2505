// Where the almanac's dialogs open and how they fit a small screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QScrollArea;
class QWidget;

// The top-left corner for a window whose frame is `frame` big: beside
// `anchor` (right, left, below, above, the first with room), else where it
// covers the least of `anchor`; always inside `available` as far as it fits.
QPoint PlaceBeside(QSize frame, const QRect& anchor, const QRect& available);

// Moves `window` beside the window of `anchor` (or to the top-left corner
// without one) inside `available`; a window larger than that is made smaller,
// so its content must be able to scroll (MakeScrollPage).
void FitBeside(QWidget* window, const QWidget* anchor, const QRect& available);
// The same on the screen of `anchor`'s window (or of `window`), in its free area.
void MoveBeside(QWidget* window, const QWidget* anchor);

// A page of `size` for `dialog`'s controls, inside a scroll area that fills
// the dialog: the dialog opens at that size and scrolls when made smaller.
QWidget* MakeScrollPage(QWidget* dialog, QSize size);
