// The page's own entries (those agvbatch has not: the path kind, the view's keys): a bad value
// refused beside its field, every one of them, and no pass shown.
#include "web/page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Bad {
  std::vector<std::pair<std::string, std::string>> entries;
  std::vector<std::pair<std::string, std::string>> refused;  // field, start of its message
};

TEST(PageEntries, EachBadValueIsRefusedBesideItsField) {
  const Bad table[] = {
      {{{"path", "map"}}, {{"path", "unknown path kind map"}}},
      {{{"mech", "abc"}, {"drawing", "z"}, {"zoom", "x"}},
       {{"mech", "no mechanism abc"},
        {"zoom", "zoom is a whole number"},
        {"drawing", "the drawings"}}},
      {{{"mech", "4"}}, {{"mech", "no mechanism 4"}}},
      {{{"panx", "100001"}, {"pany", "1e3"}},
       {{"panx", "panx is a whole number of keys from -100000 to 100000"}, {"pany", "pany is"}}},
      {{{"step", "-1"}, {"xf", "inf"}}, {{"xf", "not a finite number: inf"}}},
      {{{"step", "1000000"}}, {{"step", "step 1000000 is beyond the motion"}}},
  };
  for (const Bad& b : table) {
    agvweb::Page p;
    for (const auto& [k, v] : b.entries) p.set(k, v);
    EXPECT_FALSE(p.run());
    EXPECT_FALSE(p.done());
    ASSERT_EQ(p.errors().size(), b.refused.size()) << b.entries.front().first;
    for (size_t i = 0; i < b.refused.size(); ++i) {
      EXPECT_EQ(p.errors()[i].first, b.refused[i].first);
      EXPECT_EQ(p.errors()[i].second.rfind(b.refused[i].second, 0), 0u) << p.errors()[i].second;
    }
    EXPECT_EQ(p.summary(), "");
    EXPECT_FALSE(p.key('s'));
  }
}

// Keys far beyond the zoom's bound stop at it, as in the window; the address then tells the
// keys that count.
TEST(PageEntries, ZoomKeysStopAtTheBound) {
  agvweb::Page p;
  p.set("zoom", "-100000");
  ASSERT_TRUE(p.run());
  const std::string q = p.viewquery();
  EXPECT_EQ(q.rfind("zoom=-", 0), 0u) << q;
  EXPECT_FALSE(p.key('w'));
  EXPECT_TRUE(p.key('W'));
}

}  // namespace
