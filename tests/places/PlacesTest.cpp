// The places by name: the prefectural offices carried in the program, the
// zones' places read from a tz database's tables, and finding a name.
#include <gtest/gtest.h>

#include "places/Places.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(Places, PrefecturalOfficesAreCarriedWithTheirRegions) {
  const std::vector<places::NamedPlace>& japan = places::JapanPlaces();
  ASSERT_EQ(japan.size(), 47u);
  EXPECT_EQ(places::Label(japan.front()), "北海道 札幌市");
  EXPECT_DOUBLE_EQ(japan.front().place.latitude, 43.064167);
  EXPECT_DOUBLE_EQ(japan.front().place.longitude, 141.346944);
  EXPECT_EQ(japan[12].city, "新宿区");
  EXPECT_EQ(japan[45].region, "九州・沖縄");
  EXPECT_EQ(japan[14].region, "中部");  // 新潟県
  for (const places::NamedPlace& p : japan) EXPECT_FALSE(p.zone) << p.name;
}

// zone1970.tab is read where it is, zone.tab where it is not; coordinates
// with and without seconds, rounded to 0.0001°; comment and broken lines
// are passed over.
TEST(Places, ZonePlacesComeFromTheTzTables) {
  const testsupport::ScratchDir dir("zones");
  dir.Write("zone.tab", "# comment\nJP\t+353916+1394441\tAsia/Tokyo\nXX\tnonsense\tEtc/Broken\n");
  std::vector<places::NamedPlace> zones = places::ZonePlaces(dir.Path());
  ASSERT_EQ(zones.size(), 1u);
  EXPECT_EQ(zones[0].zone, "Asia/Tokyo");
  EXPECT_DOUBLE_EQ(zones[0].place.latitude, 35.6544);
  EXPECT_DOUBLE_EQ(zones[0].place.longitude, 139.7447);
  dir.Write("zone1970.tab", "US\t+404251-0740023\tAmerica/New_York\tEastern\nAR\t-3436-05827\tAmerica/Argentina/Buenos_Aires\n");
  zones = places::ZonePlaces(dir.Path());
  ASSERT_EQ(zones.size(), 2u);
  EXPECT_DOUBLE_EQ(zones[0].place.latitude, 40.7142);
  EXPECT_DOUBLE_EQ(zones[0].place.longitude, -74.0064);
  EXPECT_DOUBLE_EQ(zones[1].place.latitude, -34.6);
  EXPECT_DOUBLE_EQ(zones[1].place.longitude, -58.45);
  EXPECT_TRUE(places::ZonePlaces(dir.File("missing")).empty());
}

TEST(Places, NamesFindOnePlaceOrSayWhatTheyMayMean) {
  const testsupport::ScratchDir dir("zones");
  dir.Write("zone1970.tab", "US\t+404251-0740023\tAmerica/New_York\nAR\t-3436-05827\tAmerica/Argentina/Buenos_Aires\n");
  const std::vector<places::NamedPlace> all = places::AllPlaces(dir.Path());
  const struct {
    const char* name;
    const char* found;  // the label found, or "" for none
  } cases[] = {
      {"北海道", "北海道 札幌市"},  {"札幌市", "北海道 札幌市"},     {"札幌", "北海道 札幌市"},
      {"東京", "東京都 新宿区"},    {"新宿", "東京都 新宿区"},     {"鹿児", "鹿児島県 鹿児島市"},
      {"new york", "America/New_York"}, {"NEW_YORK", "America/New_York"},
      {"buenos aires", "America/Argentina/Buenos_Aires"}, {"America/New_York", "America/New_York"},
      {"福", ""}, {"札晃", ""}, {"", ""},
  };
  for (const auto& c : cases) {
    const places::Found f = places::Find(all, c.name);
    EXPECT_EQ(f.place ? places::Label(*f.place) : "", c.found) << c.name;
  }
  const places::Found ambiguous = places::Find(all, "福");
  EXPECT_TRUE(ambiguous.ambiguous);
  EXPECT_EQ(ambiguous.nearest, (std::vector<std::string>{"福島県 福島市", "福井県 福井市", "福岡県 福岡市"}));
  const places::Found misspelt = places::Find(all, "札晃");
  EXPECT_FALSE(misspelt.ambiguous);
  ASSERT_FALSE(misspelt.nearest.empty());
  EXPECT_EQ(misspelt.nearest.front(), "北海道 札幌市");
  EXPECT_EQ(places::Find(all, "New_Yrok").nearest.front(), "America/New_York");
}

}  // namespace
