// The astronomical reference tables under tests/fixtures/astro: tab-separated
// rows after one header line.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

inline std::vector<std::vector<std::string>> ReadReferenceTsv(const std::string& name) {
  std::ifstream in(std::string(OMBREL_FIXTURES) + "/astro/" + name);
  std::vector<std::vector<std::string>> rows;
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::stringstream ss(line);
    for (std::string cell; std::getline(ss, cell, '\t');) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

}  // namespace testsupport
