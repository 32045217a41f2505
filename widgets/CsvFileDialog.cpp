#include "widgets/CsvFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>

#include "core/Conf.h"
#include "core/WorkDir.h"

namespace {

constexpr const char* kSaveFolderKey = "save-folder";

void RememberFolder(const QString& folder) {
  Conf conf;
  conf.Load();
  if (conf.Get(kSaveFolderKey) == folder.toStdString()) return;
  conf.Set(kSaveFolderKey, folder.toStdString());
  // The folder is a convenience: a file that cannot be written keeps the old one.
  std::string ignored;
  conf.Save(ignored);
}

}  // namespace

QString SaveFolder() {
  Conf conf;
  conf.Load();
  const QString last = QString::fromStdString(conf.Get(kSaveFolderKey));
  if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
  return QDir::cleanPath(QString::fromStdString(workdir::FromStartDirectory(".")));
}

QString AskSaveFileName(QWidget* parent, const SaveFileType& type, const QString& proposedName) {
  QFileDialog dialog(parent);
  if (!type.title.isEmpty()) dialog.setWindowTitle(type.title);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(type.defaultSuffix);
  dialog.setNameFilters(type.filters);
  dialog.setDirectory(SaveFolder());
  dialog.selectFile(proposedName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  const QString path = dialog.selectedFiles().first();
  RememberFolder(QFileInfo(path).absolutePath());
  return path;
}

QString AskCsvFileName(QWidget*, const QString& proposedName) {
  return AskSaveFileName(nullptr, {QString(), {QStringLiteral("csvファイル(*.csv)"), QStringLiteral("全て(*)")}, QStringLiteral("csv")},
                         proposedName);
}

QString WrittenText(const QString& path) {
  return QStringLiteral("%1 に書き出しました（%2 バイト）。")
      .arg(QDir::toNativeSeparators(path), QLocale(QLocale::Japanese).toString(QFileInfo(path).size()));
}
