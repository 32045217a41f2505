// The sun's solar terms (multiples of 15°) and the moon's phases (multiples
// of 90°) of 1800–2200, found ahead of time by the precise model's own search
// (SearchBlock) and kept in the program, so that a year's lists cost no
// search there. EventTableData.cpp is made by `ombrel-eventtable` (tools/):
// rerun it whenever the search or the ephemeris changes; a test compares the
// table with a fresh search.
//
// Each block's moments are kept as fractions of the block in units of
// 2^-32 (32 days / 2^32 = 0.64 ms), its angles as the first one's multiple
// of the step and one step further each event.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "astro/TermsPhases.h"

namespace precise {

enum class TabledMotion { kSunTerms, kMoonPhases };

// The block's events as the table holds them, when it holds the block.
std::optional<std::vector<AngleEvent>> TabledEvents(TabledMotion motion, long long block);

// The table's contents, as EventTableData.cpp defines them.
struct EventTableData {
  long long firstBlock;
  int blocks;
  double step;                  // degrees between events
  const std::uint32_t* starts;  // blocks + 1 indexes into moments
  const std::uint8_t* firstAngles;  // per block, the first event's angle / step
  const std::uint32_t* moments;     // fractions of the block, in 2^-32
};
extern const EventTableData kTabledSunTerms;
extern const EventTableData kTabledMoonPhases;

}  // namespace precise
