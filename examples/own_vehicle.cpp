// Your own vehicle: a wheel base of 0.6 m and a steering wheel half as fast as the
// simulator's, on the PTP path to (3 m, 2 m, 90 deg).  The two steered mechanisms compared:
// the front drive (1FDW1FS) and the rear drive (1RDW1FS), at constant and variable speed.
#include <agv/agv.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

int main() {
  agv::Params mine;
  for (const auto& [name, value] : {std::pair{"Lw", 0.6}, std::pair{"steerRate", 1.0}}) {
    if (agv::setparam(mine, name, value) != agv::ParamCheck::Ok) {
      std::printf("%s\n", agv::paramerror(name, value).c_str());
      return 2;
    }
  }
  auto r = std::make_unique<agv::PtpResult>();
  if (agv::passPTP(mine, 3.0, 2.0, 90.0, *r) != agv::Status::Done) {
    std::printf("refused: %s\n", agv::reason(r->refusal, mine).c_str());
    return 1;
  }
  std::printf("path %.4f m; steering angle on the arcs %.2f deg\n", r->path.sf,
              r->path.phiArc * agv::RAD2DEG);
  for (agv::Mechanism m : {agv::Mechanism::M1FDW1FS, agv::Mechanism::M1RDW1FS}) {
    for (const auto& [drawing, runs] : {std::pair{"arc-line", &r->arcruns(m)},
                                        std::pair{"clothoid-line", &r->clruns(m)}}) {
      double worst = 0.0;
      for (const agv::Record& e : runs->err) worst = std::max(worst, std::hypot(e.x, e.y));
      std::printf("%s %-13s constant velocity %.2f s (largest error %.3f m), variable %.2f s\n",
                  agv::name(m), drawing, runs->ref.back().t, worst,
                  runs->vv.back().t);
    }
  }
  return 0;
}
