// ombrel-cli astrodata: the data window's yearly file (FILE出力).
#include <cstdlib>
#include <string>

#include "astrodata/AstroRequest.h"
#include "cli/Command.h"
#include "core/Files.h"

namespace cli {
namespace {

int RunAstroData(const Run& run, const Args& args) {
  Options opts;
  std::string error;
  if (!ParseOptions(args, {{"hour", true}, {"lon", true}, {"lat", true}, {"output", true}, {"encoding", true}}, opts,
                    error))
    return UsageError(error);
  if (opts.positional.size() != 1) return UsageError("astrodata takes one YEAR");
  long long year = 0;
  if (int status = kOk; !ReadYearArgument(opts.positional[0], -99999, 99999, year, status)) return status;
  double hour = 12.0, lon = 139.7, lat = 35.6;
  if (!ParseDouble(opts.Get("hour", "12"), 0.0, 24.0, hour)) return ArgumentError("an hour 0-24 (--hour)", opts.Get("hour"), args::Form::kDecimal);
  if (!ParseDouble(opts.Get("lon", "139.7"), -180.0, 180.0, lon)) return ArgumentError("a longitude -180-180 (--lon)", opts.Get("lon"), args::Form::kDecimal);
  if (!ParseDouble(opts.Get("lat", "35.6"), -90.0, 90.0, lat)) return ArgumentError("a latitude -90-90 (--lat)", opts.Get("lat"), args::Form::kDecimal);
  if (!opts.Has("output")) return UsageError("astrodata needs --output FILE");
  if (opts.Get("output").empty()) return UsageError("--output needs a file name (or - for standard output)");
  const std::string encoding = opts.Get("encoding", "cp932");
  if (encoding != "cp932" && encoding != "utf-8") return UsageError("--encoding takes cp932 or utf-8");
  if (!CheckOutputPath(OutputPath(opts.Get("output")), error)) return Failure(error);

  const AstroInput input{std::to_string(year), "1", "1", opts.Get("hour", "12"), opts.Get("lon", "139.7"),
                         opts.Get("lat", "35.6"), run.settings};
  const Ephemeris& ephemeris = run.ephemeris;
  const AstroYearEvents events = CollectYearEvents(static_cast<int>(year), run.settings, ephemeris);
  const AstroDayRequest request = [&input, &ephemeris](double month, double day) {
    AstroInput dayInput = input;
    dayInput.month = std::to_string(static_cast<int>(month));
    dayInput.day = std::to_string(static_cast<int>(day));
    return ComputeAstroRequest(dayInput, ephemeris);
  };
  if (!StoreAndWriteYearlyFile(static_cast<int>(year), events, OutputPath(opts.Get("output")), input, request,
                               encoding == "cp932", error))
    return Failure(error);
  return kOk;
}

const CommandRegistration kRegistration(
    {"astrodata", "astrodata YEAR --output FILE [--hour H] [--lon X] [--lat Y] [--encoding cp932|utf-8]",
     "the data window's yearly file (FILE出力): one line per day with the rise and set times, the sun's and "
     "moon's longitudes, Tokyo Bay's tides and the day's solar term and moon phase, computed at hour H on the "
     "clock of --lon (default 12, 139.7 E, 35.6 N); CP932 unless --encoding utf-8. Rewrites the Memory table "
     "of History.mdb",
     RunAstroData, false, true});

}  // namespace
}  // namespace cli
