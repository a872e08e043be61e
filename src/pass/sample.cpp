// Poses along a plan alone: every ds of the distance driven, at every joint and at the end, each
// from the closed form of its arc or line.
#include <cmath>
#include <vector>

#include "agv/ptp.h"
#include "pass/legs.h"

namespace agv {

namespace {

// The pose a distance u along a segment (curvature direction k, driving direction dir, arcs of
// radius r) from the pose a at its start.
PlanPose along(const PlanPose& a, int k, int dir, double r, double u) {
  PlanPose q = a;
  const double v = dir * u;
  if (k == 0) {
    q.x = a.x + v * std::cos(a.th);
    q.y = a.y + v * std::sin(a.th);
  } else {
    q.th = a.th + k * v / r;
    q.x = a.x + k * r * (std::sin(q.th) - std::sin(a.th));
    q.y = a.y + k * r * (std::cos(a.th) - std::cos(q.th));
  }
  q.drive = dir;
  q.s = a.s + u;
  return q;
}

// A plan as planOnly answers it: done, its segments in range, its lengths and radius numbers.
bool planned(const PlanWord& w) {
  if (w.status != Status::Done || w.n < 0 || w.n > kSegMax) return false;
  if (!(w.Rarc > 0) || !std::isfinite(w.Rarc)) return false;
  for (int j = 0; j < w.n; ++j) {
    const bool kind = w.sgnK[j] >= -1 && w.sgnK[j] <= 1;
    const bool drive = w.drive[j] == 1 || w.drive[j] == -1;
    if (!kind || !drive || !(w.s[j] >= 0) || !std::isfinite(w.s[j])) return false;
  }
  return true;
}

}  // namespace

Status samplePlan(const PlanWord& w, const Waypoint& start, double ds,
                  std::vector<PlanPose>& poses) {
  poses.clear();
  if (!planned(w)) return Status::NotPlanned;
  if (!finite(start) || !within(start)) return Status::BadPose;
  if (!(ds > 0)) return Status::BadSpacing;
  double total = 0.0;
  for (int j = 0; j < w.n; ++j) total += w.s[j];
  // The multiples of ds below the end, the joints and the ends.
  const double count = std::floor(total / ds) + w.n + 2;
  if (!(count <= static_cast<double>(kSampleMax))) return Status::BadSpacing;
  poses.reserve(static_cast<size_t>(count));

  PlanPose at{start.x, start.y, reduceheading(start.thDeg) * kRadPerDeg, 1, 0.0};
  const auto add = [&poses](const PlanPose& p) {
    if (poses.empty() || p.s > poses.back().s) poses.push_back(p);
  };
  double next = 1;  // the next multiple of ds
  for (int j = 0; j < w.n; ++j) {
    const int k = w.sgnK[j], dir = w.drive[j];
    at.drive = dir;
    add(at);
    const double end = at.s + w.s[j];
    for (; next * ds < end; ++next) add(along(at, k, dir, w.Rarc, next * ds - at.s));
    at = along(at, k, dir, w.Rarc, w.s[j]);
  }
  add(at);
  return Status::Done;
}

}  // namespace agv
