// The runs allocate nothing: every result lives in fixed arrays.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "control/params.h"
#include "motion/plan.h"
#include "motion/runs.h"
#include "motion/varruns.h"

namespace {
std::size_t allocations = 0;
}  // namespace

// Counting replacements of the global allocation functions for this test
// program.
void* operator new(std::size_t n) {
  ++allocations;
  if (void* p = std::malloc(n != 0 ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(RunAllocation, RunsAllocateNothing) {
  for (const double x : {2.0, 57.86}) {
    const std::size_t start = allocations;
    ASSERT_EQ(motiontest::planptp(x, 3.0, 0.0), 1);
    const std::size_t before = allocations;
    ASSERT_GT(before, start);  // the captured report is counted
    EXPECT_LT(agv::caltrajPTP(), agv::MAX);
    EXPECT_EQ(agv::caltrajVV(), 0);
    EXPECT_EQ(allocations, before);
  }
}

}  // namespace
