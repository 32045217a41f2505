// ombrel: the almanac's window.
//   ombrel [--workdir DIR]
//   ombrel --render FILE [--date YYYY-MM-DD] [--hour H] [--workdir DIR]
//   ombrel --help | --version
// --render draws the main window for that moment into a PNG without showing
// it and exits: 0 done, 1 the file could not be written (or the database
// failed), 2 a bad argument.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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
    "Exit status: 0 success, 1 failure while working, 2 usage error.\n";

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

  CMyApp app(argc, argv);
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
