// The PTP pass: plan, step tables, schedules, runs and extents.
#include <cmath>

#include "agv/ptp.h"
#include "base/model.h"
#include "motion/extents.h"
#include "motion/runs.h"
#include "motion/varruns.h"
#include "ptp/clpath.h"
#include "ptp/planner.h"
#include "ptp/schedule.h"

namespace agv {

namespace {

Status refuse(PtpResult& r, Status s, int stage = 0) {
  r.refusal.status = s;
  r.refusal.stage = stage;
  return s;
}

// No run of a pass that did not finish.
void clearruns(PtpResult& r) {
  for (int k = 0; k < 3; ++k) {
    for (Runs* runs : {&r.arc[k], &r.cl[k]}) {
      runs->ref.clear();
      runs->cv.clear();
      runs->err.clear();
      runs->vv.clear();
    }
    r.bndPTP[k] = Extent{};
  }
}

}  // namespace

double reduceheading(double deg) {
  if (deg > -180.0 && deg <= 180.0) return deg;
  double r = std::fmod(deg, 360.0);  // exact, within (-360, 360)
  if (r > 180.0) r -= 360.0;         // exact: r and 360 are within a factor of two
  if (r <= -180.0) r += 360.0;
  return r;
}

Status planPTP(const Params& p, double xf, double yf, double thfDeg, PtpResult& r) {
  r.refusal = Refusal{};
  r.params = p;
  r.planned = false;
  r.path = ArcPath{};
  r.clothoid = ClothoidPath{};
  r.steps = Steps{};
  r.schedule = Schedule{};
  clearruns(r);
  if (!validparams(p)) return refuse(r, Status::BadParams);
  if (!std::isfinite(xf) || !std::isfinite(yf) || !std::isfinite(thfDeg))
    return refuse(r, Status::BadPose);

  const Model m = makemodel(p, Kind::PTP);
  const Pose P0{0.0, 0.0, 0.0, 0.0};
  Pose PF{xf, yf, reduceheading(thfDeg) * DEG2RAD, 0.0};
  if (calPTP(m, P0, PF, r.path) == 0) return refuse(r, Status::PathTooLong, 0);
  if (calclothoid(m, r.path, r.clothoid, r.steps) == 0 ||
      calvelPTP(m, r.path, r.clothoid, r.steps, r.schedule) == 0)
    return refuse(r, Status::PathTooLong, 1);
  r.planned = true;
  return Status::Done;
}

Status runPTP(PtpResult& r) {
  if (!r.planned || r.refusal.status != Status::Done) return Status::NotPlanned;
  const Model m = makemodel(r.params, Kind::PTP);
  int n = caltrajPTP(m, r);
  if (n < m.maxSteps) n = caltrajVV(m, r);
  if (n >= m.maxSteps) {
    // A variable-velocity run says nothing of its own.
    if (r.refusal.status != Status::RunTooLong) {
      r.refusal.run = 'v';
      r.refusal.count = m.maxSteps;
    }
    clearruns(r);
    return refuse(r, Status::RunTooLong);
  }
  extentsPTP(r);
  return Status::Done;
}

Status passPTP(const Params& p, double xf, double yf, double thfDeg, PtpResult& r) {
  const Status s = planPTP(p, xf, yf, thfDeg, r);
  return s == Status::Done ? runPTP(r) : s;
}

}  // namespace agv
