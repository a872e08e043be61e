// A CP pass along the wavy circle r = 2 + 0.2 cos(3 beta): the curve's length and, for each
// mechanism, the duration of its run and where it ends against the curve's end.
#include <agv/agv.h>

#include <cmath>
#include <cstdio>
#include <memory>

int main() {
  const agv::Params params;
  const agv::Curve wavy{16, 0.2, 3.0};  // curve 16, A = 0.2 m, 3 waves
  auto r = std::make_unique<agv::CpResult>();
  if (agv::passCP(params, wavy, *r) != agv::Status::Done) {
    std::printf("refused: %s\n", agv::reason(r->refusal, params).c_str());
    return 1;
  }
  std::printf("wavy circle: %.4f m, parameter 0 ... %.4f\n", r->length, r->uend);
  for (agv::Mechanism m : agv::kMechanisms) {
    const int k = agv::index(m);  // the arrays of the counts and durations are 0-based
    const agv::Record& end = r->runs(m).cv.back();
    std::printf("%-8s %4d records, %.2f s, ends %.4f m from the curve's end\n", agv::name(m),
                r->NN[k], r->TCP[k], std::hypot(end.x - r->Pfcp.x, end.y - r->Pfcp.y));
  }
  return 0;
}
