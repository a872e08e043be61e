#include "motion/extents.h"

#include <cmath>

namespace agv {

template <class R, class S>
Extent bounds(const std::vector<R>& a, double Record::*f, const std::vector<S>& b,
              double Record::*g) {
  double hi = -1000.0;
  double lo = +1000.0;
  for (size_t j = 0; j < a.size(); ++j) {
    const double p = a[j].*f;
    const double q = b[j].*g;
    if (p > hi) hi = p;
    if (q > hi) hi = q;
    if (p < lo) lo = p;
    if (q < lo) lo = q;
  }
  Extent e;
  e.hi = hi;
  e.lo = lo;
  e.mag = std::fabs(hi);
  if (std::fabs(lo) > std::fabs(hi)) e.mag = std::fabs(lo);
  return e;
}

template Extent bounds(const std::vector<Record>&, double Record::*, const std::vector<Record>&,
                       double Record::*);
template Extent bounds(const std::vector<CurveRecord>&, double Record::*,
                       const std::vector<CurveRecord>&, double Record::*);
template Extent bounds(const std::vector<CurveRecord>&, double Record::*,
                       const std::vector<Record>&, double Record::*);

void extentsPTP(PtpResult& r) {
  for (int k = 0; k < 3; ++k) {
    const std::vector<Record>& ref = r.arc[k].ref;
    r.bndPTP[k] = bounds(ref, &Record::x, ref, &Record::y);
  }
}

void extentsCP(CpResult& r) {
  for (int k = 0; k < 3; ++k) {
    const std::vector<CurveRecord>& ref = r.run[k].ref;
    r.bndCP[k] = bounds(ref, &Record::x, ref, &Record::y);
    r.bndCPk[k] = bounds(ref, &Record::kap, r.run[k].cv, &Record::kap);
  }
}

}  // namespace agv
