// A machine without any Japanese font: ctest runs this program with a
// fontconfig setup that has none (tests/CMakeLists.txt). The window says so
// once, on stderr and in a message box; --render says it on stderr.
#include <QFontDatabase>
#include <QProcess>
#include <QtTest>

#include "app/MainFrm.h"
#include "app/MyApp.h"
#include "tst_main_support.h"
#include "almanac/Settings.h"

class TstNoFont : public QObject {
  Q_OBJECT

  CMyApp* App() { return static_cast<CMyApp*>(QCoreApplication::instance()); }

 private slots:
  void initTestCase() {
    QVERIFY2(qEnvironmentVariableIsSet("FONTCONFIG_FILE"), "run through ctest, which sets the font setup");
    QVERIFY2(QFontDatabase::families(QFontDatabase::Japanese).isEmpty(),
             qPrintable(QFontDatabase::families(QFontDatabase::Japanese).join('|')));
  }

  void windowSaysItOnce() {
    ScratchWorkDir dir;
    MessageBoxWatcher boxes;
    QVERIFY(App()->InitInstance(true));
    QTRY_COMPARE(boxes.texts.size(), 1);
    // Over the window, not at a corner of the screen.
    QVERIFY((boxes.places[0].center() - App()->MainFrame()->frameGeometry().center()).manhattanLength() <= 2);
    QVERIFY2(boxes.texts[0].contains(QStringLiteral("Japanese")) &&
                 boxes.texts[0].contains(QStringLiteral("fonts-ipafont-gothic")),
             qPrintable(boxes.texts[0]));
    App()->OnFileNew();
    App()->ExitInstance();
    QVERIFY(App()->InitInstance(true));
    QTest::qWait(100);
    QCOMPARE(boxes.texts.size(), 1);
    App()->ExitInstance();
  }

  void renderSaysItOnStderr() {
    ScratchWorkDir dir;
    const QString program = QFileInfo(QStringLiteral(OMBREL_CLI)).dir().absoluteFilePath(QStringLiteral("ombrel"));
    QProcess p;
    p.start(program, {"--workdir", QDir::currentPath(), "--render", dir.FilePath(QStringLiteral("out.png")),
                      "--date", "2005-01-31"});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QCOMPARE(err.count(QStringLiteral("No font with Japanese characters")), 1);
    QVERIFY(QFileInfo::exists(dir.FilePath(QStringLiteral("out.png"))));
  }
};

int main(int argc, char** argv) {
  CMyApp app(argc, argv);
  TstNoFont test;
  return QTest::qExec(&test, argc, argv);
}
#include "tst_nofont.moc"
