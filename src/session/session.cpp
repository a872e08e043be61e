#include "session/session.h"

namespace agv {

void passview(View& v) {
  v.scale = scale0;
  v.kanimCP = v.kanimV = v.kanimC = 0;
}

int curveconsts(Session& s, int I, double* v[2]) {
  CurveConsts& c = s.cc;
  switch (I) {
    case 1:
      v[0] = &c.A1, v[1] = &c.L1;
      break;
    case 2:
      v[0] = &c.A2, v[1] = &c.L2;
      break;
    case 3:
      v[0] = &c.A3, v[1] = &c.L3;
      break;
    case 4:
      v[0] = &c.A4, v[1] = &c.L4;
      break;
    case 11:
      v[0] = &c.A11, v[1] = &c.B11;
      break;
    case 12:
      v[0] = &c.A12, v[1] = &c.nt12;
      break;
    case 13:
      v[0] = &c.A13;
      break;
    case 14:
      v[0] = &c.A14, v[1] = &c.nr14;
      break;
    case 16:
      v[0] = &c.A16, v[1] = &c.nw16;
      break;
    default:
      return 0;
  }
  return nconsts(I);
}

Curve curveof(Session& s, int I) {
  double* v[2] = {nullptr, nullptr};
  const int n = curveconsts(s, I, v);
  return Curve{I, n > 0 ? *v[0] : 0.0, n > 1 ? *v[1] : 0.0};
}

PtpRuns ptpruns(const Session& s, int k) {
  const PtpResult& r = s.ptp;
  const bool b = s.sgnDraw == 'b';
  const Runs& runs = b ? r.cl[k] : r.arc[k];
  return {b,
          b ? r.steps.Tc[k][TOTAL] : r.steps.Tseg[k][TOTAL],
          static_cast<int>(runs.ref.size()) - 1,
          runs.ref.data(),
          runs.cv.data(),
          runs.err.data(),
          static_cast<int>(runs.vv.size()) - 1,
          runs.vv.data()};
}

}  // namespace agv
