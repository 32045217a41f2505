#include "widgets/Notice.h"

#include <QMessageBox>
#include <QWidget>

void WarnOver(QWidget* over, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, over);
  const QWidget* window = over ? over->window() : nullptr;
  if (window && window->isVisible()) {
    // The box takes its size when shown: shown first, then centred.
    box.show();
    const QRect frame = window->frameGeometry();
    box.move(frame.center() - QPoint(box.frameGeometry().width() / 2, box.frameGeometry().height() / 2));
  }
  box.exec();
}
