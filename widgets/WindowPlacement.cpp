#include "widgets/WindowPlacement.h"

#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

namespace {

// The point moved as little as possible so a `frame` there lies inside
// `available` (its top-left corner wins when it cannot).
QPoint Inside(QPoint p, QSize frame, const QRect& available) {
  const int x = std::max(available.left(), std::min(p.x(), available.right() + 1 - frame.width()));
  const int y = std::max(available.top(), std::min(p.y(), available.bottom() + 1 - frame.height()));
  return {x, y};
}

// What the frame adds to a window's size.
QSize FrameSize(const QWidget* w) { return w->frameGeometry().size() - w->geometry().size(); }

long long Overlap(const QRect& a, const QRect& b) {
  const QRect i = a.intersected(b);
  return i.isEmpty() ? 0 : static_cast<long long>(i.width()) * i.height();
}

}  // namespace

QPoint PlaceBeside(QSize frame, const QRect& anchor, const QRect& available) {
  const QPoint candidates[] = {
      {anchor.right() + 1, anchor.top()},
      {anchor.left() - frame.width(), anchor.top()},
      {anchor.left(), anchor.bottom() + 1},
      {anchor.left(), anchor.top() - frame.height()},
  };
  QPoint best;
  long long bestOverlap = -1;
  for (const QPoint& c : candidates) {
    const QPoint p = Inside(c, frame, available);
    const long long overlap = Overlap(QRect(p, frame), anchor);
    if (overlap == 0 && p == c) return p;  // beside, with room
    if (bestOverlap < 0 || overlap < bestOverlap) {
      best = p;
      bestOverlap = overlap;
    }
  }
  return best;
}

void FitBeside(QWidget* window, const QWidget* anchor, const QRect& available) {
  const QWidget* main = anchor ? anchor->window() : nullptr;
  // The window manager's frame: this window's once it has one, before that
  // the main window's.
  const QSize margins = FrameSize(window).expandedTo(main ? FrameSize(main) : QSize(0, 0));
  const QSize room = (available.size() - margins).expandedTo(window->minimumSize());
  const QSize want = window->size();
  QSize size = want.boundedTo(room);
  // Cut in one direction, the window makes room for the scroll bar of it, up
  // to its maximum, so it need not scroll the other way too.
  const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window);
  if (size.height() < want.height()) size.setWidth(std::min({want.width() + bar, room.width(), window->maximumWidth()}));
  if (size.width() < want.width()) size.setHeight(std::min({want.height() + bar, room.height(), window->maximumHeight()}));
  size = size.boundedTo(room);
  if (size != want) window->resize(size);
  const QRect anchorFrame = main ? main->frameGeometry() : QRect(available.topLeft(), QSize());
  window->move(PlaceBeside(size + margins, anchorFrame, available));
}

void MoveBeside(QWidget* window, const QWidget* anchor) {
  const QWidget* main = anchor ? anchor->window() : nullptr;
  if (QScreen* screen = main ? main->screen() : window->screen()) FitBeside(window, anchor, screen->availableGeometry());
}

QWidget* MakeScrollPage(QWidget* dialog, QSize size) {
  auto* area = new QScrollArea(dialog);
  area->setFrameShape(QFrame::NoFrame);
  auto* page = new QWidget;
  page->setFixedSize(size);
  area->setWidget(page);
  auto* layout = new QVBoxLayout(dialog);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(area);
  // Room for a scroll bar beside the page when the dialog is cut the other way.
  const int bar = dialog->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, dialog);
  dialog->setMaximumSize(size + QSize(bar, bar));
  dialog->resize(size);
  return page;
}
