#include "widgets/FieldText.h"

#include <QLineEdit>

void ShowFieldText(QLineEdit* edit, const QString& text) {
  if (edit->text() == text) return;
  edit->setText(text);
  edit->setCursorPosition(0);
}
