// The eclipses switch of the settings dialog through the real window: off by
// default, stored in ombrel.conf as eclipses=1, the day's eclipse in the 暦注
// list and the eclipse in progress written under the sky readout.
#include <QCheckBox>
#include <QTreeWidget>
#include <QtTest>

#include "sky/MoonPicture.h"
#include "tst_main_support.h"
#include "almanac/Settings.h"
#include "view/ui/SettingsDlg.h"

namespace {

QStringList Items(QTreeWidget* list) {
  QStringList items;
  for (int i = 0; i < list->topLevelItemCount(); ++i) items << list->topLevelItem(i)->text(0);
  return items;
}

// The readout's eclipse line: under the moon's picture, clear of it.
QImage ReadoutStrip(CMyView* view) {
  const int top = kMoonCentreY + static_cast<int>(kMoonRadius) + 1;
  return view->RenderForm().copy(kSkyPanelAnchorX, kSkyPanelAnchorY + top, 200, 18);
}

}  // namespace

class TstEclipses : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ScratchWorkDir> m_dir;
  std::unique_ptr<CMyView> m_view;

  void SetEclipses(bool on) { SwitchSettingsBox(m_view.get(), "eclipses", on); }

 private slots:
  void init() {
    m_dir = std::make_unique<ScratchWorkDir>();
  }
  void cleanup() {
    m_view.reset();
    m_dir.reset();
  }

  // 2025-09-08 at 03:00, in the totality of the lunar eclipse (Tokyo).
  void switchNamesTheEclipseAndItsPhase() {
    m_view = StartedView();
    TypeMoment(m_view.get(), "2025", "9", "8", "3.0");
    auto* seasonal = Control<QTreeWidget>(m_view.get(), 1030);
    const QStringList designed = Items(seasonal);
    const QImage plain = ReadoutStrip(m_view.get());

    SetEclipses(true);
    QVERIFY(FileBytes(QStringLiteral("ombrel.conf")).contains("eclipses=1\n"));
    QCOMPARE(Items(seasonal), QStringList{QStringLiteral("皆既月食 03:11:49")} + designed);
    const QImage marked = ReadoutStrip(m_view.get());
    QVERIFY(marked != plain);

    // Read back at start-up.
    m_view.reset();
    m_view = StartedView();
    TypeMoment(m_view.get(), "2025", "9", "8", "3.0");
    QCOMPARE(Items(Control<QTreeWidget>(m_view.get(), 1030)).value(0), QStringLiteral("皆既月食 03:11:49"));
    QCOMPARE(ReadoutStrip(m_view.get()), marked);

    SetEclipses(false);
    QVERIFY(FileBytes(QStringLiteral("ombrel.conf")).contains("eclipses=0\n"));
    TypeMoment(m_view.get(), "2025", "9", "8", "3.0");
    QCOMPARE(Items(Control<QTreeWidget>(m_view.get(), 1030)), designed);
    QCOMPARE(ReadoutStrip(m_view.get()), plain);
  }
};

QTEST_MAIN(TstEclipses)
#include "tst_eclipses.moc"
