// ombrel: the almanac's window.
//   ombrel [--workdir DIR]
//   ombrel --render FILE [--date YYYY-MM-DD] [--hour H] [--workdir DIR]
//   ombrel --help | --version
// --render draws the main window for that moment into a PNG without showing
// it and exits: 0 done, 1 the file could not be written (or the database
// failed), 2 a bad argument. Without --render, no display to open (or a
// platform that shows nothing, such as offscreen) is said in one line and
// ends the program with 1.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <string>
#include <utility>
#include <vector>

#include <QGuiApplication>

#include "app/MyApp.h"
#include "core/WorkDir.h"

namespace {

constexpr const char* kUsage = "usage: ombrel [--workdir DIR] [--render FILE [--date YYYY-MM-DD] [--hour H]]\n";

// The whole help; the manual page is made from it at build time.
constexpr const char* kHelp =
    "Usage: ombrel [--workdir DIR]\n"
    "  or:  ombrel --render FILE [--date YYYY-MM-DD] [--hour H] [--workdir DIR]\n"
    "\n"
    "The Japanese almanac's window: for a date, time and place it shows the\n"
    "Western and era dates, the lunisolar date, the cyclical signs, solar terms,\n"
    "pentads, moon age, the selected and seasonal days, your anniversaries, a\n"
    "chart of the sky, the moon's phase, rise and set times, the tides of Tokyo\n"
    "Bay and a month calendar. It opens at the present moment.\n"
    "\n"
    "Options:\n"
    "  --workdir DIR      the directory holding History.mdb, ombrel.dat and\n"
    "                     kinenbi.dat (default: the current directory if it holds\n"
    "                     History.mdb, else $XDG_DATA_HOME/ombrel or\n"
    "                     ~/.local/share/ombrel, made on first use with a copy of\n"
    "                     the installed database)\n"
    "  --render FILE      draw the main window into the PNG file FILE without\n"
    "                     showing it, then exit (no display needed)\n"
    "  --date YYYY-MM-DD  with --render: the date to draw (default today)\n"
    "  --hour H           with --render: the hour to draw, 0 to below 24 (default\n"
    "                     the present hour)\n"
    "  --help, -h         show this text\n"
    "  --version          show the version\n"
    "Qt's own options (-platform, -style ...) are passed on to Qt.\n"
    "\n"
    "Exit status: 0 success, 1 failure while working (or no display to show the\n"
    "window on), 2 usage error.\n";

// Qt's messages while the application object connects to the display, and
// whatever the display libraries write on stderr meanwhile: kept back, so
// that a failure is said in one line of our own, and passed on when the
// display opens.
struct StartMessages {
  std::vector<std::pair<QtMsgType, std::string>> held;
  std::vector<std::string> platformsTried;
  std::FILE* stderrHeld = nullptr;  // stderr's writes meanwhile
  int stderrSaved = -1;             // stderr itself
  QtMessageHandler previousHandler = nullptr;

  // Before the application object: from here on everything is held.
  void Begin();
  // After it: passes on what was held and returns true, or says that the
  // platform shows nothing and returns false.
  bool End();

  void HoldStderr() {
    stderrHeld = std::tmpfile();
    if (!stderrHeld) return;
    std::fflush(stderr);
    stderrSaved = ::dup(2);
    if (stderrSaved < 0 || ::dup2(::fileno(stderrHeld), 2) < 0) stderrSaved = -1;
  }
  // Puts stderr back; with `replay` what was written meanwhile goes out now.
  void ReleaseStderr(bool replay) {
    if (stderrSaved >= 0) {
      std::fflush(stderr);
      ::dup2(stderrSaved, 2);
      ::close(stderrSaved);
      stderrSaved = -1;
    }
    if (!stderrHeld) return;
    std::rewind(stderrHeld);
    char buffer[4096];
    for (std::size_t n; replay && (n = std::fread(buffer, 1, sizeof buffer, stderrHeld)) > 0;)
      std::fwrite(buffer, 1, n, stderr);
    std::fclose(stderrHeld);
    stderrHeld = nullptr;
  }
};
StartMessages* g_startMessages = nullptr;

std::string EnvironmentValue(const char* name) {
  const char* v = std::getenv(name);
  return v == nullptr ? std::string(name) + " unset" : *v == '\0' ? std::string(name) + " empty" : std::string(name) + "=" + v;
}

// One line naming what was tried: the platforms Qt tried (or QT_QPA_PLATFORM)
// and the display variables they read.
std::string NoDisplayText(const StartMessages& m) {
  std::string tried;
  for (const std::string& p : m.platformsTried) tried += (tried.empty() ? "" : ", ") + p;
  if (tried.empty()) tried = EnvironmentValue("QT_QPA_PLATFORM");
  return "ombrel: no display to open the window on (tried " + tried + " with " + EnvironmentValue("DISPLAY") + ", " +
         EnvironmentValue("WAYLAND_DISPLAY") +
         "); ombrel --render FILE draws the window into a picture, ombrel-cli day prints the almanac\n";
}

// The platform Qt opened shows no window (offscreen, minimal): nothing would
// ever be seen, so the program says so instead of running unseen.
bool ShowsNothing(const QString& platform) {
  return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

void HoldStartMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
  StartMessages& m = *g_startMessages;
  const std::string text = message.toStdString();
  // 'Could not load the Qt platform plugin "xcb" in "" even though it was found.'
  static const std::string kPlugin = "platform plugin \"";
  if (const std::size_t at = text.find(kPlugin); at != std::string::npos && type != QtFatalMsg) {
    const std::size_t from = at + kPlugin.size(), to = text.find('"', from);
    if (to != std::string::npos) m.platformsTried.push_back(text.substr(from, to - from));
  }
  if (type == QtFatalMsg) {
    // No platform could be opened: Qt would abort with its own advice.
    m.ReleaseStderr(false);
    std::fputs(NoDisplayText(m).c_str(), stderr);
    std::_Exit(1);
  }
  m.held.emplace_back(type, text);
}

void StartMessages::Begin() {
  g_startMessages = this;
  previousHandler = qInstallMessageHandler(HoldStartMessage);
  HoldStderr();
}

bool StartMessages::End() {
  qInstallMessageHandler(previousHandler);
  g_startMessages = nullptr;
  const QString platform = QGuiApplication::platformName();
  if (ShowsNothing(platform)) {
    ReleaseStderr(false);
    std::fprintf(stderr,
                 "ombrel: the platform %s shows no window, so nothing would be seen; "
                 "use --render FILE to draw the window into a picture\n",
                 platform.toLocal8Bit().constData());
    return false;
  }
  ReleaseStderr(true);
  for (const auto& [type, text] : held) {
    if (type == QtDebugMsg) qDebug("%s", text.c_str());
    else if (type == QtInfoMsg) qInfo("%s", text.c_str());
    else qWarning("%s", text.c_str());
  }
  return true;
}

int Usage(const char* message) {
  std::fprintf(stderr, "ombrel: %s\n%s", message, kUsage);
  return 2;
}

struct Arguments {
  std::string workDir;
  bool render = false;
  RenderRequest request;
};

// Returns 0 when the arguments were understood, -1 after the help or version
// text, else the exit status.
int ParseArguments(int argc, char** argv, Arguments& out) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help" || name == "-h") {
      std::fputs(kHelp, stdout);
      return -1;
    }
    if (name == "--version") {
      std::printf("ombrel %s\n", OMBREL_VERSION);
      return -1;
    }
    const bool known = name == "--workdir" || name == "--render" || name == "--date" || name == "--hour";
    if (!known) {
      // Qt's own options (-platform, -style ...) are left to QApplication.
      if (name.rfind("--", 0) == 0) return Usage(("unknown option " + name).c_str());
      continue;
    }
    if (i + 1 >= argc) return Usage(("option " + name + " needs a value").c_str());
    const std::string value = argv[++i];
    if (name == "--workdir") {
      out.workDir = value;
    } else if (name == "--render") {
      out.render = true;
      out.request.file = value;
    } else if (name == "--date") {
      out.request.hasDate = ParseRenderDate(value, out.request.year, out.request.month, out.request.day);
      if (!out.request.hasDate) return Usage(("bad date " + value + " (YYYY-MM-DD)").c_str());
    } else {
      out.request.hasHour = ParseRenderHour(value, out.request.hour);
      if (!out.request.hasHour) return Usage(("bad hour " + value + " (0 to below 24)").c_str());
    }
  }
  if (!out.render && (out.request.hasDate || out.request.hasHour)) return Usage("--date and --hour go with --render");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  if (const int status = ParseArguments(argc, argv, args)) return status < 0 ? 0 : status;
  if (args.render) {
    // The output path is the user's, relative to where the program started.
    args.request.file = workdir::FromStartDirectory(args.request.file);
    // Rendering needs no display.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  const workdir::Choice wd = workdir::Enter(args.workDir, "/proc/self/exe");
  if (!wd.warning.empty()) {
    std::fprintf(stderr, "ombrel: %s\n", wd.warning.c_str());
    // A directory the user named and we could not enter is a usage error;
    // otherwise the window still opens and reports the database itself.
    if (!args.workDir.empty()) return 2;
  }

  StartMessages start;
  if (!args.render) start.Begin();
  CMyApp app(argc, argv);
  if (!args.render && !start.End()) return 1;
  if (args.render) {
    std::string error;
    const int status = RenderMainWindow(app, args.request, error);
    if (status != 0) std::fprintf(stderr, "ombrel: %s\n", error.c_str());
    app.ExitInstance();
    return status;
  }
  if (!app.InitInstance()) return 1;
  const int status = app.exec();
  app.ExitInstance();
  return status;
}
