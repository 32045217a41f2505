// The up-down control: two arrow buttons stacked, attached to nothing. The up
// arrow reports a delta of -1 and the down arrow +1, as the date handlers
// expect; the handlers change the edits themselves.
#pragma once

#include <QWidget>

class QToolButton;

class CUpDown : public QWidget {
  Q_OBJECT

 public:
  explicit CUpDown(QWidget* parent = nullptr);

  // Presses an arrow as a click would: -1 the up arrow, +1 the down arrow.
  void Step(int delta);
  QToolButton* UpButton() const { return m_up; }
  QToolButton* DownButton() const { return m_down; }

 signals:
  void deltaPos(int delta);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QToolButton* m_up = nullptr;
  QToolButton* m_down = nullptr;
};
