// --json: every command's document parses, and carries the values its text
// lines print (trimmed of their layout padding).
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/Text.h"
#include "tests/support/TestSupport.h"

namespace {

using nlohmann::json;

struct Outputs {
  std::vector<std::string> lines;
  json doc;
};

std::string Trim(const std::string& s) { return text::TrimPadding(s); }

// Runs a command as text and as JSON in one working directory.
Outputs Both(const std::vector<std::string>& args, const std::string& conf = "") {
  const testsupport::ScratchDir dir("json");
  dir.CopyDatabase();
  if (!conf.empty()) dir.Write("ombrel.conf", conf);
  std::vector<std::string> text = {"--workdir", dir.Path()}, asJson = {"--json", "--workdir", dir.Path()};
  text.insert(text.end(), args.begin(), args.end());
  asJson.insert(asJson.end(), args.begin(), args.end());
  const testsupport::RunResult t = testsupport::RunCli(text), j = testsupport::RunCli(asJson);
  EXPECT_EQ(t.status, 0) << testsupport::Describe(t);
  EXPECT_EQ(j.status, 0) << testsupport::Describe(j);
  EXPECT_EQ(j.out.find("\\u"), std::string::npos) << "text is written as UTF-8";
  Outputs o;
  std::istringstream in(t.out);
  for (std::string line; std::getline(in, line);) o.lines.push_back(line);
  o.doc = json::parse(j.out, nullptr, false);
  EXPECT_FALSE(o.doc.is_discarded()) << j.out;
  return o;
}

std::pair<std::string, std::string> Split(const std::string& line) {
  const std::size_t tab = line.find('\t');
  return {line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1)};
}

TEST(Json, Holidays) {
  const Outputs o = Both({"holidays", "2026"});
  ASSERT_EQ(o.doc["holidays"].size(), o.lines.size());
  EXPECT_EQ(o.doc["year"], 2026);
  for (std::size_t i = 0; i < o.lines.size(); ++i) {
    const auto [date, name] = Split(o.lines[i]);
    EXPECT_EQ(o.doc["holidays"][i]["date"], date);
    EXPECT_EQ(o.doc["holidays"][i]["name"], name);
  }
}

TEST(Json, TermsAndPhases) {
  for (const char* command : {"terms", "phases"}) {
    const Outputs o = Both({command, "2026"});
    const json& list = o.doc[command];
    ASSERT_EQ(list.size(), o.lines.size()) << command;
    for (std::size_t i = 0; i < o.lines.size(); ++i) {
      EXPECT_EQ(list[i]["text"], Trim(o.lines[i]));
      // " 春分  3/20 23:46:xx": the parts are the same fields.
      std::istringstream fields(o.lines[i]);
      std::string name, monthDay, time;
      fields >> name >> monthDay;
      if (monthDay.back() == '/') {  // " 3/ 5": the day after a blank
        std::string day;
        fields >> day;
        monthDay += day;
      }
      fields >> time;
      EXPECT_EQ(list[i]["name"], name);
      EXPECT_EQ(std::to_string(list[i]["month"].get<int>()) + "/" + std::to_string(list[i]["day"].get<int>()),
                monthDay.substr(0, monthDay.find('/')) + "/" + std::to_string(std::stoi(monthDay.substr(monthDay.find('/') + 1))));
      EXPECT_EQ(list[i]["time"], time);
      EXPECT_EQ(list[i]["date"].get<std::string>().substr(0, 4), "2026");
    }
  }
}

TEST(Json, LunarAndWestern) {
  const struct {
    const char* date;
    const char* text;
    int month, day;
    bool leap;
  } cases[] = {{"2026-12-10", "11月2日", 11, 2, false}, {"2033-12-22", "閏11月1日", 11, 1, true}};
  for (const auto& c : cases) {
    const Outputs o = Both({"lunar", c.date});
    ASSERT_EQ(o.lines.size(), 1u);
    EXPECT_EQ(Trim(o.lines[0]), c.text);
    EXPECT_EQ(o.doc["date"], c.date);
    EXPECT_EQ(o.doc["lunar"], (json{{"text", c.text}, {"month", c.month}, {"day", c.day}, {"leap", c.leap}}));
  }
  const Outputs w = Both({"western", "2033", "11", "1", "--leap"});
  ASSERT_EQ(w.lines.size(), 1u);
  EXPECT_EQ(w.lines[0], "2033-12-22");
  EXPECT_EQ(w.doc["date"], "2033-12-22");
  EXPECT_EQ(w.doc["lunar"], (json{{"year", 2033}, {"month", 11}, {"day", 1}, {"leap", true}}));
}

TEST(Json, Bodies) {
  const Outputs o = Both({"bodies", "2000-01-01", "12", "--lon", "139.77", "--lat", "35.68"});
  ASSERT_EQ(o.lines.size(), 16u);
  ASSERT_EQ(o.doc["bodies"].size(), 7u);
  const char* keys[] = {"rise", "transit", "set", "longitude", "latitude", "right_ascension", "declination",
                        "azimuth", "altitude"};
  for (int row = 0; row < 7; ++row) {
    std::istringstream fields(o.lines[1 + row]);
    std::string name;
    fields >> name;
    const json& body = o.doc["bodies"][row];
    EXPECT_EQ(body["name"], name);
    for (int k = 0; k < 9; ++k) {
      std::string field;
      fields >> field;
      const json& value = k < 3 ? body[keys[k]] : body[keys[k]]["text"];
      EXPECT_EQ(value, field) << name << " " << keys[k];
      if (k >= 3) {  // the real value, which the text rounds to two places
        EXPECT_NEAR(body[keys[k]]["degrees"].get<double>(), std::stod(field), 0.005 + 1e-9);
      }
    }
  }
  EXPECT_EQ(o.lines[9], "満潮 " + o.doc["tides"]["high"][0].get<std::string>() + " " +
                            o.doc["tides"]["high"][1].get<std::string>());
  EXPECT_EQ(o.lines[10], "干潮 " + o.doc["tides"]["low"][0].get<std::string>() + " " +
                             o.doc["tides"]["low"][1].get<std::string>());
  const json& moon = o.doc["bodies"][1];
  EXPECT_EQ(o.lines[11], text::SjisFormat("月 輝面比 %.3f 位相角 %.2f", moon["illumination"].get<double>(),
                                          moon["phase_angle"].get<double>()));
  const char* twilights[][2] = {{"市民薄明", "civil"}, {"航海薄明", "nautical"}, {"天文薄明", "astronomical"}};
  for (int k = 0; k < 3; ++k) {
    const json& t = o.doc["twilight"][twilights[k][1]];
    EXPECT_EQ(o.lines[12 + k], std::string(twilights[k][0]) + " " + t["dawn"].get<std::string>() + " " +
                                   t["dusk"].get<std::string>());
  }
  EXPECT_EQ(o.lines[15], "昼の長さ " + o.doc["day_length"].get<std::string>());
}

// Every labelled line of the day's text has its field; the lists and the
// readout keep their order. With holidays=1 the holiday heads the 暦注 list.
TEST(Json, Day) {
  const Outputs o = Both({"day", "2026-09-22", "12"}, "holidays=1\n");
  const std::map<std::string, std::string> fields = {
      {"神武天皇即位紀元", "/imperial_year/text"}, {"和名月", "/month_name"}, {"二十四節季", "/solar_term"},
      {"黄経", "/solar_longitude/text"},          {"七十二候", "/pentad/name"}, {"七十二候2", "/pentad/text"},
      {"和暦", "/era"},                            {"九星", "/nine_star"},       {"旧暦", "/lunar/text"},
      {"曜日", "/weekday"},                        {"六曜", "/six_day"},         {"干支", "/sexagenary"},
      {"二十八宿", "/mansion"},                    {"月齢", "/moon_age/text"},   {"納音", "/sound_sign"},
      {"十二直", "/twelve_day_sign"}};
  const std::map<std::string, std::string> lists = {
      {"下段", "selected_days"}, {"暦注", "seasonal_days"}, {"月のこよみ", "moon_phases"}, {"二十四節季", "solar_terms"}};
  std::map<std::string, std::size_t> listed;
  std::size_t readout = 0, labelled = 0;
  for (const std::string& line : o.lines) {
    const auto [label, text] = Split(line);
    if (line.find('\t') == std::string::npos) {
      ASSERT_LT(readout, o.doc["readout"].size());
      EXPECT_EQ(o.doc["readout"][readout++], Trim(line));
    } else if (labelled < fields.size() && fields.count(label)) {
      ++labelled;
      EXPECT_EQ(o.doc[json::json_pointer(fields.at(label))], Trim(text)) << label;
    } else {
      ASSERT_TRUE(lists.count(label)) << line;
      const json& list = o.doc[lists.at(label)];
      const std::size_t i = listed[label]++;
      ASSERT_LT(i, list.size()) << label;
      EXPECT_EQ(list[i].is_object() ? list[i]["text"] : list[i], Trim(text)) << label;
    }
  }
  EXPECT_EQ(labelled, fields.size());
  EXPECT_EQ(readout, o.doc["readout"].size());
  for (const auto& [label, key] : lists) EXPECT_EQ(listed[label], o.doc[key].size()) << label;
  EXPECT_EQ(o.doc["seasonal_days"][0], "国民の休日");
  EXPECT_EQ(o.doc["date"], "2026-09-22");
  // The day's light is that of bodies for the same day and place.
  const Outputs b = Both({"bodies", "2026-09-22", "12"});
  EXPECT_EQ(o.doc["twilight"], b.doc["twilight"]);
  EXPECT_EQ(o.doc["day_length"], b.doc["day_length"]);
  EXPECT_TRUE(o.doc["twilight"]["astronomical"]["dusk"].is_string()) << o.doc["twilight"];
  // With moonlight=1 the readout ends with the moon's light, as bodies gives it.
  const Outputs m = Both({"day", "2026-09-22", "12"}, "moonlight=1\n");
  ASSERT_EQ(m.doc["readout"].size(), o.doc["readout"].size() + 1);
  EXPECT_EQ("月 " + m.doc["readout"].back().get<std::string>(), b.lines[11]);
  // The term the field names, as numbers: "白露 + 15" is 白露 (index 11), 15 days.
  EXPECT_EQ(o.doc["solar_term"], "白露 + 15");
  EXPECT_EQ(o.doc["term_in_force"], (json{{"name", "白露"}, {"index", 11}, {"days", 15}}));
}

TEST(Json, OnlyWhereADocumentIsDefined) {
  const testsupport::ScratchDir dir("jsonbad");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--json", "--workdir", dir.Path(), "yearlist", "2026", "--output", dir.File("y.csv")},
        std::vector<std::string>{"--workdir", dir.Path(), "--json=1", "terms", "2026"},
        std::vector<std::string>{"--workdir", dir.Path(), "terms", "2026", "--json"}}) {
    const testsupport::RunResult r = testsupport::RunCli(args);
    EXPECT_EQ(r.status, 2) << args[3];
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
