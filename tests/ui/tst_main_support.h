// Shared by the window tests: a scratch working directory holding the built
// calendar database, reading and writing whole files, and a way to act on a
// modal dialog once it is up.
#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <functional>
#include <memory>
#include <unistd.h>

#include "view/ui/MyView.h"
#include "view/ui/SettingsDlg.h"

// A fresh directory made current for the test's lifetime, with "History.mdb"
// copied in unless withDatabase is false.
class ScratchWorkDir {
 public:
  explicit ScratchWorkDir(bool withDatabase = true) : m_previous(QDir::currentPath()) {
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    if (withDatabase)
      QVERIFY(QFile::copy(QStringLiteral(OMBREL_DB_PATH), m_dir.filePath(QStringLiteral("History.mdb"))));
  }
  ~ScratchWorkDir() { QDir::setCurrent(m_previous); }
  QString FilePath(const QString& name) const { return m_dir.filePath(name); }

 private:
  QString m_previous;
  QTemporaryDir m_dir;
};

// The whole file, or nothing when it cannot be read.
inline QByteArray FileBytes(const QString& name) {
  QFile f(name);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Replaces the file with `bytes`; false when it cannot be written whole.
inline bool WriteFileBytes(const QString& name, const QByteArray& bytes) {
  QFile f(name);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() && f.flush();
}

// While it lives, runs `act` on each modal dialog that comes up (polled, since
// exec() only returns once the dialog is closed). Scoped, so a watcher never
// outlives the test that set it.
class ModalWatcher {
 public:
  explicit ModalWatcher(std::function<void(QWidget*)> act) : m_act(std::move(act)) {
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      if (QWidget* w = QApplication::activeModalWidget(); w && w != m_last) {
        m_last = w;
        m_act(w);
      }
    });
    m_timer.start();
  }

 private:
  std::function<void(QWidget*)> m_act;
  QTimer m_timer;
  QPointer<QWidget> m_last;
};

// Closes every message box that comes up while it lives and keeps their texts.
class MessageBoxWatcher {
 public:
  MessageBoxWatcher()
      : m_watcher([this](QWidget* w) {
          if (auto* box = qobject_cast<QMessageBox*>(w)) {
            texts << box->text();
            places << box->frameGeometry();
            box->accept();
          }
        }) {}
  QStringList texts;
  QList<QRect> places;  // where each box was on screen

 private:
  ModalWatcher m_watcher;
};

// The dialog's push button with this caption, or null.
inline QPushButton* Button(QWidget* dlg, const QString& text) {
  for (QPushButton* b : dlg->findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

// Clicks the push button with this caption, which must be there.
inline void Click(QWidget* dlg, const char* text) {
  QPushButton* b = Button(dlg, QString::fromUtf8(text));
  QVERIFY2(b, text);
  QTest::mouseClick(b, Qt::LeftButton);
}

// A main view started as the program starts it: the present moment, the
// settings read, the first paint done.
inline std::unique_ptr<CMyView> StartedView() {
  auto view = std::make_unique<CMyView>();
  view->OnInitialUpdate();
  view->RunCommand([&view] { view->OnPaint(); });
  return view;
}

template <class T = QLineEdit>
T* Control(QWidget* parent, int id) {
  return parent->findChild<T*>(QString::number(id));
}

// Turns one check box of the settings dialog (by its object name) to `on`
// from the other state and presses OK; the view then refreshes. The dialog
// is saved as a picture when OMBREL_SAVE_PNG names a file.
inline void SwitchSettingsBox(CMyView* view, const char* name, bool on) {
  ModalWatcher watcher([name, on](QWidget* w) {
    auto* dlg = qobject_cast<CSettingsDlg*>(w);
    if (!dlg) return;
    auto* box = dlg->findChild<QCheckBox*>(QString::fromUtf8(name));
    QVERIFY(box);
    QCOMPARE(box->isChecked(), !on);
    if (!qEnvironmentVariableIsEmpty("OMBREL_SAVE_PNG")) dlg->grab().save(qEnvironmentVariable("OMBREL_SAVE_PNG"));
    box->setChecked(on);
    QTest::mouseClick(Control<QPushButton>(dlg, 1), Qt::LeftButton);
  });
  view->OnSettings();
  view->RunCommand([view] { view->OnPaint(); });
}

// Types a date and hour into the form and presses 日時変更.
inline void TypeMoment(CMyView* view, const QString& year, const QString& month, const QString& day,
                       const QString& hour) {
  Control(view, 1003)->setText(year);
  Control(view, 1004)->setText(month);
  Control(view, 1007)->setText(day);
  Control(view, 1011)->setText(hour);
  QTest::mouseClick(Control<QPushButton>(view, 1021), Qt::LeftButton);
}

// A line edit the program filled shows the start of its text: the cursor at
// the beginning and nothing scrolled off to the left. Checked after painting,
// where the edit settles its scrolling.
inline bool ShowsItsStart(QLineEdit* edit) {
  edit->grab();
  const QRect cursor = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
  return edit->cursorPosition() == 0 && cursor.center().x() >= 0 && cursor.center().x() < 8;
}

// True when the edit's text is wider than the edit can show at once.
inline bool TextOverflows(QLineEdit* edit) {
  // The edit keeps a frame and 2 pixels on each side free of text.
  const int frame = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit) : 0;
  return edit->fontMetrics().horizontalAdvance(edit->text()) > edit->contentsRect().width() - 2 * frame - 4;
}

// The date and decimal hour now on a zone's clock, read from Qt's copy of the
// tz database (not the program's): by default on Asia/Tokyo, the zone the
// settings start with, whatever TZ the test process has.
struct Now {
  int year, month, day;
  double hour;
  Now() : Now(QTimeZone(QByteArrayLiteral("Asia/Tokyo"))) {}
  explicit Now(const QTimeZone& zone) {
    const QDateTime t = QDateTime::currentDateTimeUtc().toTimeZone(zone);
    year = t.date().year();
    month = t.date().month();
    day = t.date().day();
    hour = t.time().hour() + t.time().minute() / 60.0 + t.time().second() / 3600.0;
  }
};
