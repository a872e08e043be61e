// Pictures in threads: each is drawn on a canvas of its own from the results it is given, so
// two drawn at the same time are, byte for byte, the two drawn one after the other.
#include <gtest/gtest.h>

#include <latch>
#include <memory>
#include <string>
#include <thread>

#include "picture/picture.h"

namespace {

using namespace agv;

// The PNG of s (an SVG names its glyphs by counters of the process, so its bytes differ from
// one drawing to the next).
std::string png(const Scene& s) {
  std::string out, err;
  const Sink put = [&](const unsigned char* d, size_t n) {
    out.append(reinterpret_cast<const char*>(d), n);
    return true;
  };
  EXPECT_TRUE(writepicture(s, Format::Png, Size{}, put, err)) << err;
  return out;
}

// A PTP and a CP picture at once, and two pictures of one result (at other steps) at once,
// each pair started together several times over.
TEST(Threads, TwoPicturesDrawnAtOnceAreTheBytesOfTheTwoOneAfterTheOther) {
  PtpResult ptp;
  CpResult cp;
  ASSERT_EQ(passPTP(Params{}, 2.0, 3.0, 0.0, ptp), Status::Done);
  ASSERT_EQ(passCP(Params{}, Curve{16, 0.2, 3.0}, cp), Status::Done);
  const std::unique_ptr<Scene> scenes[] = {ptpshow(ptp), cpshow(cp), ptpshow(ptp)};
  const Shot shots[] = {{2, 'b', 120}, {3, 'a', 150}, {1, 'a', -1}};
  for (int i = 0; i < 3; ++i) {
    std::string err;
    ASSERT_TRUE(choose(*scenes[i], shots[i], err)) << err;
  }
  constexpr int rounds = 4;
  for (const auto& [a, b] : {std::pair{0, 1}, std::pair{0, 2}}) {
    SCOPED_TRACE(testing::Message() << a << " and " << b);
    const std::string one = png(*scenes[a]), two = png(*scenes[b]);
    ASSERT_NE(one, two);
    for (int r = 0; r < rounds; ++r) {
      std::string x, y;
      std::latch go(2);
      std::thread t([&] {
        go.arrive_and_wait();
        x = png(*scenes[a]);
      });
      go.arrive_and_wait();
      y = png(*scenes[b]);
      t.join();
      EXPECT_EQ(x, one);
      EXPECT_EQ(y, two);
    }
  }
}

}  // namespace
