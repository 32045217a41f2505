// The application object: creates the document, the frame and the main view,
// shows the frame, and answers the about, new, open, print and help commands.
#pragma once

#include <QApplication>
#include <QTranslator>
#include <memory>
#include <string>

#include "app/MyDoc.h"

class CMainFrame;

// ombrel.conf: "system" loads Qt's texts for the system's language, anything
// else (and no key) the Japanese ones.
inline constexpr const char* kQtLanguageKey = "qt-language";
class CMyView;

class CMyApp : public QApplication {
  Q_OBJECT

 public:
  CMyApp(int& argc, char** argv);
  ~CMyApp() override;

  // Creates the frame and the view and runs the view's initial update; shows
  // the frame (whose first paint fills everything) unless show is false.
  // `quiet` (--render): no message box ever opens, warnings go to stderr.
  bool InitInstance(bool show = true, bool quiet = false);
  int ExitInstance();

  void OnAppAbout();
  // New document: the view returns to the present and rereads the settings.
  void OnFileNew();
  // Open: the file is chosen but not read; then as new.
  void OnFileOpen();
  void OnFilePrint();
  void OnHelp();

  CMainFrame* MainFrame() const { return m_pMainWnd.get(); }
  CMyView* View() const;

 private:
  // Qt's own texts (file dialogs, standard buttons) in the interface's language.
  void LoadQtTranslation();
  // Says once, on stderr and (with a window) in a message box, that no
  // Japanese font is installed.
  void WarnOnceWithoutJapaneseFont(bool window);

  bool m_bFontChecked = false;

  QTranslator m_qtTranslator;
  CMyDoc m_doc;
  std::unique_ptr<CMainFrame> m_pMainWnd;
};

// What `ombrel --render FILE [--date YYYY-MM-DD] [--hour H]` asks for.
struct RenderRequest {
  std::string file;
  bool hasDate = false;
  int year = 0, month = 0, day = 0;
  bool hasHour = false;
  double hour = 0;
};

// Reads YYYY-MM-DD (the year may carry a minus sign; month 1..12, day 1..31),
// a day of the Julian-then-Gregorian or the Gregorian calendar.
bool ParseRenderDate(const std::string& text, int& year, int& month, int& day);
// Reads an hour 0 <= h < 24.
bool ParseRenderHour(const std::string& text, double& hour);

// Renders the main window for the requested moment into a PNG without
// showing it. Returns 0, or 1 with the reason in error when the file cannot be
// written or the calendar database failed, or 2 when the date is not a day
// of the calendar ombrel.dat chooses.
int RenderMainWindow(CMyApp& app, const RenderRequest& request, std::string& error);
