// The about box "Ombrelのﾊﾞｰｼﾞｮﾝ情報": the icon, the version text and OK.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};
