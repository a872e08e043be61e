// The include graph of the sources points one way: each file includes only
// files of its own layer or below, and no files include each other round.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Layers from the bottom; a file belongs to the longest prefix it starts with.
const std::vector<std::pair<std::string, int>> kLayers = {
    {"control/base/", 0},  // parameters, console, view state
    {"ptp/", 1},           // planners and step tables
    {"motion/", 2},        // models, integrators, runs, records, extents
    {"cp/", 3},            // curves, arc length, the CP run
    {"control/pass", 4},   // one pass per path kind
    {"render/", 5},        // drawing
    {"control/", 6},       // dialogue, set-up, keys, window, start-up
};

int layer(const std::string& f) {
  int l = -1;
  size_t best = 0;
  for (const auto& [prefix, n] : kLayers)
    if (f.rfind(prefix, 0) == 0 && prefix.size() > best) {
      best = prefix.size();
      l = n;
    }
  return l;
}

// A file's module: its path without the extension (a header and its source).
std::string module(const std::string& f) { return f.substr(0, f.rfind('.')); }

TEST(Layers, IncludesPointDownOrAcrossAndNeverRound) {
  const fs::path src = fs::path(AGV_SOURCE_DIR) / "src";
  std::map<std::string, std::set<std::string>> uses;  // module -> modules it includes
  int files = 0;
  for (const auto& e : fs::recursive_directory_iterator(src)) {
    if (!e.is_regular_file()) continue;
    const std::string f = fs::relative(e.path(), src).string();
    ++files;
    ASSERT_GE(layer(f), 0) << f << " is in no layer";
    std::ifstream in(e.path());
    std::string line;
    const std::string inc = "#include \"";
    while (std::getline(in, line)) {
      if (line.rfind(inc, 0) != 0) continue;
      const std::string to = line.substr(inc.size(), line.find('"', inc.size()) - inc.size());
      ASSERT_TRUE(fs::exists(src / to)) << f << " includes " << to;
      EXPECT_LE(layer(to), layer(f)) << f << " includes " << to << ", a layer above it";
      if (module(to) != module(f)) uses[module(f)].insert(module(to));
    }
  }
  EXPECT_GT(files, 40);
  // No cycle among the modules: a depth-first walk meets no module on its own path.
  std::map<std::string, int> state;  // 1 on the path, 2 done
  std::vector<std::string> path;
  std::function<void(const std::string&)> walk = [&](const std::string& m) {
    state[m] = 1;
    path.push_back(m);
    for (const std::string& n : uses[m]) {
      if (state[n] == 1) {
        std::string round;
        for (const std::string& p : path) round += p + " -> ";
        ADD_FAILURE() << "include cycle: " << round << n;
      } else if (state[n] == 0) {
        walk(n);
      }
    }
    path.pop_back();
    state[m] = 2;
  };
  for (const auto& [m, to] : uses)
    if (state[m] == 0) walk(m);
}

}  // namespace
