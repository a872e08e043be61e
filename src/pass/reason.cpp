// Why a pass did not finish, in English, and the names of the mechanisms.
#include <cstdio>
#include <string>
#include <string_view>

#include "agv/params.h"
#include "agv/ptp.h"
#include "agv/search.h"
#include "agv/track.h"
#include "agv/types.h"
#include "ptp/planner.h"

namespace agv {

const char* name(Mechanism m) {
  switch (m) {
    case Mechanism::M2DW1C:
      return "2DW1C";
    case Mechanism::M1FDW1FS:
      return "1FDW1FS";
    case Mechanism::M1RDW1FS:
      return "1RDW1FS";
  }
  return "";
}

namespace {

// The smallest value the parameter `name` may take.
double smallest(std::string_view name) {
  for (int i = 0; i < nParams; ++i)
    if (paraminfo(i).name == name) return paraminfo(i).lo;
  return 0.0;
}

}  // namespace

std::string reason(const Refusal& r, const Params& p) {
  const std::string max = std::to_string(p.maxSteps);
  // What lifts a limit of the step capacity.
  const std::string lift = " (maxSteps = " + max + "; a larger maxSteps lets it run)";
  switch (r.status) {
    case Status::Done:
      return "";
    case Status::PathTooLong:
      // The planner adopts no join of lenNoSolution or more, which a fast vehicle with many
      // steps could drive.
      if (r.stage == 0 && p.Vmax * p.dt * p.maxSteps >= lenNoSolution)
        return "the path is too long: the planner adopts no join of " +
               std::to_string(static_cast<long>(lenNoSolution)) + " m or more";
      return "the path is too long: its runs need " + max + " time steps or more" + lift;
    case Status::RunTooLong:
      return "a run needs " + std::to_string(r.count) + " time steps; the capacity is " + max + lift;
    case Status::RangeTooLong:
      return "the curve's parameter range is too long for the arc-length table of " + max +
             " rows" + lift;
    case Status::CurveTooLong: {
      char len[32];
      std::snprintf(len, sizeof len, "%g", r.limit);
      return "the curve is longer than " + max + " CP steps, " + len + " m" + lift;
    }
    case Status::CurveSteps:
      return "a mechanism needs " + max + " CP steps or records or more" + lift;
    case Status::CurveTooSharp: {
      if (r.stage == 3) {
        char at[64];
        std::snprintf(at, sizeof at, "%.6g m", r.value);
        return std::string("the spline through the track's points has no heading at s = ") + at +
               " (it stops there to turn): space the points more evenly";
      }
      if (r.stage < 2)
        return std::string("the curve bends too sharply for its arc length ") +
               (r.stage == 0 ? "" : "table ") + "to be measured";
      char far[96];
      std::snprintf(far, sizeof far, "%.3g m from the curve (the limit is %.3g m)", r.value,
                    r.limit);
      const std::string head =
          "the curve bends too sharply for the time step: the reference point of mechanism " +
          std::to_string(r.mechanism) + " strays " + far;
      if (p.dtCP > smallest("dtCP")) return head + "; a smaller dtCP follows it";
      char at[96];
      std::snprintf(at, sizeof at, "; dtCP is at its smallest already (%g s): other constants "
                    "of the curve are needed", p.dtCP);
      return head + at;
    }
    case Status::TooMuchMemory: {
      const bool cp = r.run == 'c';
      char mem[256];
      std::snprintf(mem, sizeof mem,
                    "the records of the pass would take %.0f MiB, more than maxMemory = %d MiB: "
                    "its runs take up to %d time steps (%s = %g s, maxSteps = %d); a larger %s "
                    "or maxMemory lets it run",
                    r.value, p.maxMemory, r.count, cp ? "dtCP" : "dt", cp ? p.dtCP : p.dt,
                    p.maxSteps, cp ? "dtCP" : "dt");
      return mem;
    }
    case Status::BadParams:
      return checkparams(p);
    case Status::BadPose: {
      if (r.stage == 0) return "a pose is not finite";
      char bound[160];
      std::snprintf(bound, sizeof bound,
                    "a pose lies beyond %g m of the origin in x or y, where the rounding of the "
                    "coordinates changes the answers (|x|, |y| <= %g m)",
                    kPoseMax, kPoseMax);
      return bound;
    }
    case Status::BadRoute:
      return "a route has from 2 to 100000 waypoints";
    case Status::BadTrack: {
      const std::string n = std::to_string(r.count);
      switch (r.stage) {
        case 0:
          return "a track has from " + std::to_string(kTrackMin) + " to " +
                 std::to_string(kTrackMax) + " points, not " + n;
        case 1:
          return "point " + n + " of the track (or its heading) is not a finite number";
        case 2:
          return "point " + n + " of the track is the point before it";
        case 3:
          return "the track's points lie too far apart for their distances to be added";
      }
      return "the spline through the track's points is beyond a double's range up to point " + n +
             ": the points lie too close together for their size";
    }
    case Status::UnknownCurve:
      return "no curve of that number (the curves are 1, 2, 3, 4, 11, 12, 13, 14 and 16)";
    case Status::BadConstants:
      return "a curve constant is negative or not finite";
    case Status::UndefinedCurve:
      return "these constants define no curve (a division by zero or an endless range)";
    case Status::BadSpacing: {
      char spacing[128];
      std::snprintf(spacing, sizeof spacing,
                    "the spacing of the poses along a plan is a number above 0 that gives at most "
                    "%ld poses",
                    kSampleMax);
      return spacing;
    }
    case Status::NotPlanned:
      return "there is no plan to run: plan the path first";
    case Status::NoPathInMap: {
      SearchResult s;
      s.status = static_cast<SearchStatus>(r.stage);
      s.stage = r.count;
      s.count = s.expansions = r.count;
      s.value = r.value;
      s.limit = r.limit;
      s.contact = r.contact;
      return "no path in the map: " + searchreason(s, p);
    }
    case Status::BadPath: {
      if (r.stage == 0)
        return "segment " + std::to_string(r.count) +
               " of the path is not an arc (direction -1 or +1) or a line (0), driven forward "
               "(+1) or, with reverse=1, backward (-1), of a finite length 0 or more";
      char gap[160];
      std::snprintf(gap, sizeof gap, "the path's segments end %g (m or rad) from its end pose, "
                    "more than %g", r.value, kEndGap);
      return gap;
    }
  }
  return "";
}

}  // namespace agv
