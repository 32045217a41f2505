#include "widgets/UpDown.h"

#include <QToolButton>

CUpDown::CUpDown(QWidget* parent) : QWidget(parent) {
  m_up = new QToolButton(this);
  m_up->setArrowType(Qt::UpArrow);
  m_down = new QToolButton(this);
  m_down->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {m_up, m_down}) {
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRepeat(true);
  }
  connect(m_up, &QToolButton::clicked, this, [this] { Step(-1); });
  connect(m_down, &QToolButton::clicked, this, [this] { Step(+1); });
}

void CUpDown::Step(int delta) { emit deltaPos(delta); }

void CUpDown::resizeEvent(QResizeEvent*) {
  const int half = height() / 2;
  m_up->setGeometry(0, 0, width(), half);
  m_down->setGeometry(0, half, width(), height() - half);
}
