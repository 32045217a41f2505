#include "app/AboutDlg.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "app/AppIcon.h"
#include "widgets/AlmanacFont.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  constexpr int du = 2;
  setWindowTitle(QStringLiteral("Ombrelのﾊﾞｰｼﾞｮﾝ情報"));
  setFont(AlmanacFont(12));
  setFixedSize(235 * du, 55 * du);
  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("icon"));
  icon->setPixmap(AppIcon().pixmap(32, 32));
  icon->setGeometry(11 * du, 17 * du, 32, 32);
  auto* version = new QLabel(QStringLiteral("Ombrel Version 2.0"), this);
  version->setObjectName(QStringLiteral("version"));
  version->move(40 * du, 10 * du);
  version->adjustSize();
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setGeometry(178 * du, 7 * du, 50 * du, 14 * du);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
