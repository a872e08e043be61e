// The core library holds no writable data: every symbol nm finds is code or constant.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/proc.h"

namespace {

TEST(Symbols, TheCoreLibraryHasNoWritableData) {
  const agvtest::RunResult r =
      agvtest::runprog({"/usr/bin/nm", "-C", "--defined-only", AGV_CORE_LIB}, "", {}, 60.0);
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream lines(r.out);
  std::string line;
  int symbols = 0;
  std::string writable;
  while (std::getline(lines, line)) {
    // "ADDRESS TYPE NAME"; the object file headers have no type.
    if (line.size() < 19 || line[16] != ' ' || line[18] != ' ') continue;
    ++symbols;
    const char type = line[17];
    if (type == 'B' || type == 'b' || type == 'D' || type == 'd') writable += line + "\n";
  }
  EXPECT_GT(symbols, 100);
  EXPECT_EQ(writable, "");
}

}  // namespace
