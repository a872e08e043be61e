// A PTP pass to the end pose (4 m, -3 m, -45 deg) and its summary: the adopted join, and
// for each mechanism how long its runs take and how far the constant-velocity AGV strays.
#include <agv/agv.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

int main() {
  const agv::Params params;                    // the simulator's own vehicle
  auto r = std::make_unique<agv::PtpResult>();  // large: on the heap, and reused pass to pass
  if (agv::passPTP(params, 4.0, -3.0, -45.0, *r) != agv::Status::Done) {
    std::printf("refused: %s\n", agv::reason(r->refusal, params).c_str());
    return 1;
  }
  const agv::ArcPath& a = r->path;
  std::printf("row %d, curvature directions (%d %d %d)\n", a.krow, a.sgnK[0], a.sgnK[1],
              a.sgnK[2]);
  std::printf("segments %.4f %.4f %.4f m, total %.4f m\n", a.s[0], a.s[1], a.s[2], a.sf);
  for (agv::Mechanism m : agv::kMechanisms) {
    const agv::Runs& runs = r->arcruns(m);
    double worst = 0.0;
    for (const agv::Record& e : runs.err) worst = std::max(worst, std::hypot(e.x, e.y));
    std::printf("%-8s arc-line %.2f s (variable velocity %.2f s), largest error %.4f m\n",
                agv::name(m), runs.ref.back().t, runs.vv.back().t, worst);
  }
  return 0;
}
