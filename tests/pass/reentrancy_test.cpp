// The core keeps no state of its own: passes run in threads at once give the same results,
// bit for bit, as the same passes one after the other.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "agv/agv.h"

using namespace agv;

namespace {

// The bytes of every record of a result, in a fixed order.
template <class R>
void bytes(std::vector<unsigned char>& out, const std::vector<R>& recs) {
  const auto* p = reinterpret_cast<const unsigned char*>(recs.data());
  out.insert(out.end(), p, p + recs.size() * sizeof(R));
}

std::vector<unsigned char> bytes(const PtpResult& r) {
  std::vector<unsigned char> out;
  const ArcPath& a = r.path;
  bytes(out, std::vector<double>{double(a.krow), double(a.nseg), a.sf, a.Rarc, a.Karc, a.phiArc});
  bytes(out, std::vector<Pose>{a.P0, a.Pf});
  bytes(out, a.sgnK);
  bytes(out, a.drive);
  bytes(out, a.s);
  bytes(out, a.Kseg);
  bytes(out, a.phiSeg);
  bytes(out, a.Pj);
  for (int k = 0; k < 3; ++k)
    for (const Runs* runs : {&r.arc[k], &r.cl[k]})
      for (const auto* v : {&runs->ref, &runs->cv, &runs->err, &runs->vv}) bytes(out, *v);
  return out;
}

std::vector<unsigned char> bytes(const CpResult& r) {
  std::vector<unsigned char> out;
  // The table's rows field by field: a row's bytes after its flag are padding.
  for (const TabRow& row : r.utab) {
    bytes(out, std::vector<double>{row.u, row.s, row.d});
    out.push_back(row.part ? 1 : 0);
  }
  for (const CpRuns& run : r.run) {
    bytes(out, run.ref);
    bytes(out, run.cv);
    bytes(out, run.err);
  }
  return out;
}

// One job: a PTP pass (with its parameters) or a CP pass.
struct Job {
  bool ptp;
  Params p;
  double x, y, th;
  Curve c;
};

std::vector<unsigned char> run(const Job& j) {
  if (j.ptp) {
    auto r = std::make_unique<PtpResult>();
    EXPECT_EQ(passPTP(j.p, j.x, j.y, j.th, *r), Status::Done);
    return bytes(*r);
  }
  auto r = std::make_unique<CpResult>();
  EXPECT_EQ(passCP(j.p, j.c, *r), Status::Done);
  return bytes(*r);
}

TEST(Reentrancy, PassesInFourThreadsEqualThePassesOneByOne) {
  Params slow;
  slow.steerRate = 1.0;
  slow.Lw = 0.7;
  const std::vector<Job> jobs = {
      {true, Params{}, 2, 3, 0, {}},        {true, slow, 4, -3, -45, {}},
      {false, Params{}, 0, 0, 0, {16, 0.2, 3}}, {false, slow, 0, 0, 0, {13, 1, 0}},
      {true, Params{}, -1, 2.5, 120, {}},   {false, Params{}, 0, 0, 0, {2, 2, 5}},
      {true, slow, 0.5, 0.2, 0, {}},        {false, slow, 0, 0, 0, {11, 2, 1}},
  };
  std::vector<std::vector<unsigned char>> alone;
  for (const Job& j : jobs) alone.push_back(run(j));
  std::vector<std::vector<unsigned char>> together(jobs.size());
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (size_t i = t; i < jobs.size(); i += 4) together[i] = run(jobs[i]);
    });
  for (std::thread& t : threads) t.join();
  for (size_t i = 0; i < jobs.size(); ++i) {
    EXPECT_GT(alone[i].size(), 1000u) << i;
    EXPECT_TRUE(together[i] == alone[i]) << "job " << i;
  }
}

}  // namespace
