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

// The poses along n segments at(j) = (k, dir, len) of arcs of radius r from the pose `at` (its s
// the distance driven to it): every ds from there, at every joint and at the end, each once,
// emit(pose, j) with the segment j it lies on (the next one at a joint, the last at the end).
// BadSpacing when they would be more than kSampleMax.
template <class At, class Emit>
Status sample(int n, At seg, double r, PlanPose at, double ds, Emit emit) {
  if (!(ds > 0)) return Status::BadSpacing;
  double total = 0.0;
  for (int j = 0; j < n; ++j) total += seg(j).len;
  // The multiples of ds below the end, the joints and the ends.
  const double count = std::floor(total / ds) + n + 2;
  if (!(count <= static_cast<double>(kSampleMax))) return Status::BadSpacing;
  const double s0 = at.s;
  double last = -1;  // the distance of the last pose emitted
  const auto add = [&](const PlanPose& p, int j) {
    if (last < 0 || p.s > last) {
      emit(p, j, count);
      last = p.s;
    }
  };
  double next = 1;  // the next multiple of ds
  for (int j = 0; j < n; ++j) {
    const PathSegment g = seg(j);
    at.drive = g.drive;
    add(at, j);
    const double end = at.s + g.len;
    for (; s0 + next * ds < end; ++next) add(along(at, g.k, g.drive, r, s0 + next * ds - at.s), j);
    at = along(at, g.k, g.drive, r, g.len);
  }
  add(at, n - 1);
  return Status::Done;
}

}  // namespace

Status samplePlan(const PlanWord& w, const Waypoint& start, double ds,
                  std::vector<PlanPose>& poses) {
  poses.clear();
  if (!planned(w)) return Status::NotPlanned;
  if (!finite(start) || !within(start)) return Status::BadPose;
  const PlanPose at{start.x, start.y, reduceheading(start.thDeg) * kRadPerDeg, 1, 0.0};
  return sample(
      w.n, [&w](int j) { return PathSegment{w.sgnK[j], w.drive[j], w.s[j]}; }, w.Rarc, at, ds,
      [&poses](const PlanPose& p, int, double count) {
        if (poses.empty()) poses.reserve(static_cast<size_t>(count));
        poses.push_back(p);
      });
}

Status samplePath(const PtpResult& r, double ds, std::vector<PathPose>& poses) {
  if (!r.planned) return Status::NotPlanned;
  const ArcPath& a = r.path;
  const PlanPose at{a.P0.x, a.P0.y, a.P0.th, 1, poses.empty() ? 0.0 : poses.back().s};
  const auto seg = [&a](int j) { return PathSegment{a.sgnK[j], a.drive[j], a.s[j]}; };
  const auto emit = [&](const PlanPose& p, int j, double count) {
    if (poses.capacity() < poses.size() + static_cast<size_t>(count))
      poses.reserve(poses.size() + static_cast<size_t>(count));
    // The curvature of the segment the pose lies on; a path of no segment has none.
    const double kap = j >= 0 ? a.sgnK[j] * a.Kseg[j] : 0.0;
    if (poses.empty() || p.s > poses.back().s) poses.push_back(PathPose{p, kap});
  };
  return sample(a.nseg, seg, a.Rarc, at, ds, emit);
}

}  // namespace agv
