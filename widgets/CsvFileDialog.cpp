#include "widgets/CsvFileDialog.h"

#include <QFileDialog>

QString AskCsvFileName(QWidget*) {
  QFileDialog dialog(nullptr);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("csv"));
  dialog.setNameFilters({QStringLiteral("csvファイル(*.csv)"), QStringLiteral("全て(*)")});
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}
