// The almanac's save dialog for the files it writes (CSV, iCalendar):
// overwrite confirmed; it opens in the folder last saved to (ombrel.conf's
// save-folder=, kept when a file is chosen) or else the folder the program
// was started in, with a proposed name there. An empty text when the user
// cancels.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

struct SaveFileType {
  QString title;          // empty: Qt's own
  QStringList filters;    // "csvファイル(*.csv)", ...
  QString defaultSuffix;  // added to a name typed without one
};

QString AskSaveFileName(QWidget* parent, const SaveFileType& type, const QString& proposedName);
// The CSV files' dialog, with no owner window (as the file outputs have always been shown).
QString AskCsvFileName(QWidget* parent, const QString& proposedName);
// The folder the next save dialog opens in.
QString SaveFolder();
// What a file output says when it is done: the file and its size.
QString WrittenText(const QString& path);
