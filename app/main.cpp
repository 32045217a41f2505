// ombrel: the almanac's window.
//   ombrel [--workdir DIR]
//   ombrel --render FILE [--date YYYY-MM-DD] [--hour H] [--workdir DIR]
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

int Usage(const char* message) {
  std::fprintf(stderr, "ombrel: %s\n%s", message, kUsage);
  return 2;
}

struct Arguments {
  std::string workDir;
  bool render = false;
  RenderRequest request;
};

// Returns 0 when the arguments were understood, -1 after the help text, else
// the exit status.
int ParseArguments(int argc, char** argv, Arguments& out) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help" || name == "-h") {
      std::fputs(kUsage, stdout);
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
