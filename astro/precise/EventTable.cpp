#include "astro/precise/EventTable.h"

#include <cmath>

#include "astro/precise/Events.h"

namespace precise {

std::optional<std::vector<AngleEvent>> TabledEvents(TabledMotion motion, long long block) {
  const EventTableData& t = motion == TabledMotion::kSunTerms ? kTabledSunTerms : kTabledMoonPhases;
  if (block < t.firstBlock || block >= t.firstBlock + t.blocks) return std::nullopt;
  const std::size_t k = static_cast<std::size_t>(block - t.firstBlock);
  const JulianDay start = kEventBlockEpoch + static_cast<double>(block) * kEventBlockDays;
  std::vector<AngleEvent> events;
  double angle = t.firstAngles[k] * t.step;
  for (std::uint32_t i = t.starts[k]; i < t.starts[k + 1]; ++i) {
    events.push_back({start + std::ldexp(static_cast<double>(t.moments[i]), -32) * kEventBlockDays, angle});
    angle = std::fmod(angle + t.step, 360.0);
  }
  return events;
}

}  // namespace precise
