// The table of found events is what a fresh search finds: every block of it,
// so a change of the search or the ephemeris that was not followed by a new
// table (tools/eventtable) fails here.
#include <gtest/gtest.h>

#include <cmath>

#include "astro/precise/EventTable.h"
#include "astro/precise/Events.h"

namespace {

struct Tabled {
  precise::TabledMotion motion;
  const precise::Motion* searched;
  double step;
};

TEST(EventTable, HoldsWhatTheSearchFinds) {
  const Tabled motions[] = {{precise::TabledMotion::kSunTerms, &precise::kSunMotion, 15.0},
                            {precise::TabledMotion::kMoonPhases, &precise::kMoonMotion, 90.0}};
  for (const Tabled& t : motions) {
    const precise::EventTableData& data =
        t.motion == precise::TabledMotion::kSunTerms ? precise::kTabledSunTerms : precise::kTabledMoonPhases;
    ASSERT_GT(data.blocks, 4000) << "the table is empty: run ombrel-eventtable";
    EXPECT_FALSE(precise::TabledEvents(t.motion, data.firstBlock - 1));
    EXPECT_FALSE(precise::TabledEvents(t.motion, data.firstBlock + data.blocks));
    // Every 7th block, the ends included (the whole table takes seconds).
    for (long long k = data.firstBlock; k < data.firstBlock + data.blocks; k += (k + 7 < data.firstBlock + data.blocks ? 7 : 1)) {
      const std::optional<std::vector<AngleEvent>> tabled = precise::TabledEvents(t.motion, k);
      ASSERT_TRUE(tabled) << k;
      const std::vector<AngleEvent> found = precise::SearchBlock(*t.searched, t.step, k);
      ASSERT_EQ(tabled->size(), found.size()) << "block " << k;
      for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ((*tabled)[i].angle, found[i].angle) << "block " << k;
        // The table keeps moments to 0.64 ms.
        EXPECT_NEAR((*tabled)[i].moment, found[i].moment, 1e-8) << "block " << k;
      }
    }
  }
}

}  // namespace
