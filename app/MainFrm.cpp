#include "app/MainFrm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QMenuBar>

#include "app/AppIcon.h"
#include "widgets/AlmanacFont.h"
#include "view/ui/MyView.h"

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setWindowTitle(QStringLiteral("Ombrelの窓"));
  setWindowIcon(AppIcon());
  m_pView = new CMyView(this);
  setCentralWidget(m_pView);
  CreateMenu();
  connect(m_actExit, &QAction::triggered, this, &QWidget::close);
  CMyView* view = m_pView;
  connect(m_actYearList, &QAction::triggered, view, [view] { view->RunCommand([view] { view->OnYearList(); }); });
  connect(m_actAstroData, &QAction::triggered, view, [view] { view->RunCommand([view] { view->OnAstroData(); }); });
  connect(m_actSettings, &QAction::triggered, view, [view] { view->RunCommand([view] { view->OnSettings(); }); });
  connect(m_actExportCalendar, &QAction::triggered, view,
          [view] { view->RunCommand([view] { view->OnExportCalendar(); }); });
  // The frame is exactly the form plus the menu bar: no sizing border.
  setFixedSize(kFormWidth, kFormHeight + menuBar()->sizeHint().height());
  // Place the menu bar and the view now, so the frame renders right before it is shown.
  layout()->activate();
}

QAction* CMainFrame::AddShortcut(const QKeySequence& key) {
  auto* a = new QAction(this);
  a->setShortcut(key);
  a->setShortcutContext(Qt::WindowShortcut);
  addAction(a);
  return a;
}

void CMainFrame::CreateMenu() {
  QMenuBar* bar = menuBar();
  bar->setFont(AlmanacFont(12));
  QMenu* file = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
  m_actExportCalendar = file->addAction(QStringLiteral("iCalendar書き出し(&I)..."));
  file->addSeparator();
  m_actExit = file->addAction(QStringLiteral("Ombrelの窓終了(&X)"));
  m_actYearList = bar->addAction(QStringLiteral("年間暦一覧表(&Y)"));
  m_actAstroData = bar->addAction(QStringLiteral("天文データ(&D)"));
  QMenu* settings = bar->addMenu(QStringLiteral("設定値(&S)"));
  m_actSettings = settings->addAction(QStringLiteral("設定値(&S)..."));
  QMenu* help = bar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  m_actHelp = help->addAction(QStringLiteral("ﾄﾋﾟｯｸの検索(&H)"));
  help->addSeparator();
  m_actAbout = help->addAction(QStringLiteral("Ombrel のﾊﾞｰｼﾞｮﾝ情報(&A)..."));
  m_actHelp->setShortcut(QKeySequence(Qt::Key_F1));
  addAction(m_actHelp);
  m_actNew = AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  m_actOpen = AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  m_actPrint = AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  QMainWindow::closeEvent(event);
  if (event->isAccepted()) QApplication::quit();
}
