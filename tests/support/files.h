// Test support: folders and files of the tests.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace agvtest {

// A fresh, empty folder for one test.
inline std::string scratch(const std::string& name) {
  namespace fs = std::filesystem;
  const fs::path p =
      fs::temp_directory_path() / ("agvtest_" + name + "_" + std::to_string(getpid()));
  fs::remove_all(p);
  fs::create_directories(p);
  return p.string();
}

// The bytes of a file.
inline std::string slurp(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The text of a CSV file with the fields of its column `name` left empty (a search's time,
// searchtime[s], differs from run to run); the text as it is where it has no such column.
inline std::string blankcolumn(const std::string& text, const std::string& name = "searchtime[s]") {
  std::istringstream in(text);
  std::string out, line;
  long column = -1;
  for (bool head = true; std::getline(in, line); head = false) {
    std::vector<std::string> fields;
    std::istringstream split(line);
    for (std::string f; std::getline(split, f, ',');) fields.push_back(f);
    if (!line.empty() && line.back() == ',') fields.emplace_back();
    if (head) {
      const auto at = std::find(fields.begin(), fields.end(), name);
      if (at == fields.end()) return text;
      column = at - fields.begin();
    } else if (static_cast<size_t>(column) < fields.size()) {
      fields[static_cast<size_t>(column)].clear();
    }
    for (size_t i = 0; i < fields.size(); ++i) out += (i > 0 ? "," : "") + fields[i];
    out += '\n';
  }
  return out;
}

}  // namespace agvtest
