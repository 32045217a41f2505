// The almanac's one save dialog for its CSV files: default extension csv,
// overwrite confirmed, no owner window (as the file outputs have always been
// shown). An empty text when the user cancels.
#pragma once

#include <QString>

class QWidget;

QString AskCsvFileName(QWidget* parent);
