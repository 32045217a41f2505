// The one frame window: caption "Ombrelの窓", the menu, the main view as its
// only child, no toolbar or status bar, and a size fixed to the form's.
#pragma once

#include <QMainWindow>

class CMyView;
class QAction;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  explicit CMainFrame(QWidget* parent = nullptr);

  CMyView* View() const { return m_pView; }

  // Menu and accelerator commands the application object answers.
  QAction* m_actExportCalendar = nullptr;  // "iCalendar書き出し(&I)...": the shown year as a .ics file
  QAction* m_actExit = nullptr;       // "Ombrelの窓終了(&X)"
  QAction* m_actYearList = nullptr;   // "年間暦一覧表(&Y)"
  QAction* m_actAstroData = nullptr;  // "天文データ(&D)"
  QAction* m_actSettings = nullptr;   // "設定値(&S)..." in the menu "設定値(&S)"
  QAction* m_actHelp = nullptr;       // "ﾄﾋﾟｯｸの検索(&H)", F1
  QAction* m_actAbout = nullptr;      // "Ombrel のﾊﾞｰｼﾞｮﾝ情報(&A)..."
  QAction* m_actNew = nullptr;        // Ctrl+N
  QAction* m_actOpen = nullptr;       // Ctrl+O
  QAction* m_actPrint = nullptr;      // Ctrl+P

 protected:
  // Closing the frame ends the program, modeless dialogs and all.
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateMenu();
  QAction* AddShortcut(const QKeySequence& key);

  CMyView* m_pView = nullptr;
};
