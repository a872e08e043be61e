// The pass of a track: its points checked, the spline through them measured and tabulated as a
// curve, its bends, and the runs along it.
#include "agv/track.h"

#include <cmath>

#include "cp/bends.h"
#include "cp/spline.h"
#include "pass/curve.h"

namespace agv {

namespace {

// The number a track's curve takes in place of a catalogue number.
constexpr Curve kSplineCurve{0, 0.0, 0.0};

Status badtrack(TrackResult& r, int stage, size_t point) {
  r.refusal.status = Status::BadTrack;
  r.refusal.stage = stage;
  r.refusal.count = static_cast<int>(point);
  return Status::BadTrack;
}

// The first point of t (1 ... n) that is not finite or equals the one before, with the stage
// of its refusal; 0 where there is none.
size_t badpoint(const Track& t, int& stage) {
  const std::vector<TrackPoint>& p = t.points;
  for (size_t i = 0; i < p.size(); ++i) {
    stage = 1;
    if (!std::isfinite(p[i].x) || !std::isfinite(p[i].y)) return i + 1;
    stage = 2;
    if (i > 0 && p[i].x == p[i - 1].x && p[i].y == p[i - 1].y) return i + 1;
  }
  stage = 1;
  if (t.th0Deg && !std::isfinite(*t.th0Deg)) return 1;
  if (t.thfDeg && !std::isfinite(*t.thfDeg)) return p.size();
  return 0;
}

// The metres of chord per unit of the parameter: 1, or more where the chord of the track is
// longer than a table of max rows holds.
double scaleof(double chord, int max) {
  const double fit = rangefit(max);
  return fit > 0.0 && chord > fit ? chord / fit : 1.0;
}

// The first segment of s (0 ... n - 2) with a coefficient that is not finite; n - 1 where none
// has.
size_t unbounded(const Spline& s) {
  for (size_t i = 0; i < s.x.size(); ++i)
    for (const Cubic* q : {&s.x[i], &s.y[i]})
      if (!std::isfinite(q->a) || !std::isfinite(q->b) || !std::isfinite(q->c) ||
          !std::isfinite(q->d))
        return i;
  return s.x.size();
}

// The spline of the planned track of r.
void splineof(const TrackResult& r, Spline& s) { splinethrough(r.track, r.scale, s); }

}  // namespace

double Bends::tightlength() const {
  double sum = 0.0;
  for (const Bend& b : tight) sum += b.s1 - b.s0;
  return sum;
}

Status planTrack(const Params& p, const Track& t, TrackResult& r) {
  resetcurve(r, p, kSplineCurve);
  r.track = t;
  r.scale = 1.0;
  r.bends = Bends{};
  if (!validparams(p)) {
    r.refusal.status = Status::BadParams;
    return Status::BadParams;
  }
  const size_t n = t.points.size();
  if (n < static_cast<size_t>(kTrackMin) || n > static_cast<size_t>(kTrackMax))
    return badtrack(r, 0, n);
  int stage = 0;
  if (const size_t bad = badpoint(t, stage); bad > 0) return badtrack(r, stage, bad);
  const double chord = chordlength(t);
  if (!std::isfinite(chord)) return badtrack(r, 3, n);
  const Model m = makemodel(p, Kind::CP);
  r.scale = scaleof(chord, m.maxSteps);
  Spline s;
  splineof(r, s);
  // Points so close that their chord vanishes beside the scale are one point.
  for (size_t i = 1; i < n; ++i)
    if (!(s.u[i] > s.u[i - 1])) return badtrack(r, 2, i + 1);
  if (const size_t i = unbounded(s); i + 1 < n) return badtrack(r, 4, i + 2);
  const CurveModel c = splinemodel(s);
  if (const Status st = plancurve(m, c, r); st != Status::Done) return st;
  const CurveTable tab = tableof(r, c);
  double at = 0.0;
  if (!bends(tab, 1.0 / p.Ra, r.bends, at)) {
    r.planned = false;
    r.refusal.status = Status::CurveTooSharp;
    r.refusal.stage = 3;
    r.refusal.value = u2s(at, tab);
    return Status::CurveTooSharp;
  }
  return Status::Done;
}

Status runTrack(TrackResult& r) {
  // A catalogue curve planned into r (planCP) runs by runCP.
  if (!r.planned || r.refusal.status != Status::Done || iscurve(r.curve.I))
    return Status::NotPlanned;
  Spline s;
  splineof(r, s);
  const size_t bytes =
      s.u.capacity() * sizeof(double) + (s.x.capacity() + s.y.capacity()) * sizeof(Cubic);
  return runcurve(r, splinemodel(s), bytes);
}

Status passTrack(const Params& p, const Track& t, TrackResult& r) {
  const Status s = planTrack(p, t, r);
  return s == Status::Done ? runTrack(r) : s;
}

}  // namespace agv
