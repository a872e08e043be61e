// Planning in a map: the path of least cost from a start pose to a goal pose around the map's
// obstacles, of arcs of radius Ra and lines, driven forward (and backward with reverse=1).
//
// A search over poses (x, y, heading) whose moves are the vehicle's own: arcs of radius Ra,
// left and right, and straight lines, each searchStep long (Hybrid A*, Dolgov et al. 2008),
// its estimate weighted by searchWeight.
// Its cost is the planner's: forward length + reverseCost x backward length + cuspCost per
// change of driving direction.  Its estimate of the cost to go is the larger of the planner's
// shortest path without obstacles (Reeds-Shepp with reverse=1, the shortest forward path
// otherwise) and a distance over the map's grid round the obstacles.  From the nodes it expands
// (more often near the goal) it tries the planner's shortest path to the goal and takes it where
// it is free; the path found is then shortened, stretches of it replaced by shortest joins
// where these are free and cheaper.  Every path found starts on the start pose, ends on the goal
// pose (its last segments a shortest join that ends there), turns no tighter than Ra, and is
// free of collisions by the map's check (segmentcontact, every half cell).
//
//   agv::MapIndex ix;                        // agv::buildindex(map, params, ix): the same params
//   agv::SearchWork work;                    // reuse it: a search then allocates little or nothing
//   agv::SearchResult r;
//   if (agv::planInMap(params, ix, {0, 0, 0}, {20, 5, 90}, work, r) == agv::SearchStatus::Found)
//     for (const agv::SearchSegment& g : r.segments) ... g.k, g.drive, g.len ...
//   else
//     ... agv::searchreason(r, params) ...
//
// Nothing is kept between searches but the memory of the work buffers, which the caller owns:
// any number of searches may run in threads at once, each with its own SearchWork and result.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "agv/map.h"
#include "agv/params.h"
#include "agv/ptp.h"
#include "agv/types.h"

namespace agv {

// One segment of a path: an arc of radius Ra or a line, in driving order (its length positive),
// as planPath takes it.
using SearchSegment = PathSegment;

// What a search came to.
enum class SearchStatus {
  Found,          // a path: SearchResult::segments
  StartCollides,  // the start pose collides (SearchResult::contact)
  GoalCollides,   // the goal pose collides (SearchResult::contact)
  Unreachable,    // no path: the goal's cell cannot be reached from the start's (stage 0), or
                  // every pose the moves reach has been expanded (stage 1)
  ExpansionBound,  // maxExpansions expansions without a path (count: the expansions)
  MemoryBound,     // the search would take more than maxMemory (value: MiB it would take;
                   // infinite where the system refused memory, or the nodes outgrew their numbers)
  Interrupted,     // the caller's stop callback asked the search to stop
  BadParams,       // a parameter out of its range (checkparams says which)
  BadPose,         // a pose that is not finite
  BadIndex,        // the map index is empty, or was built for another body than the params'
};

// A path found, or why none was.
struct SearchResult {
  SearchStatus status = SearchStatus::Found;
  std::vector<SearchSegment> segments;  // the path, from the start pose (no segment: start = goal)
  double cost = 0.0;       // its cost, as the planner counts it
  double length = 0.0;     // its length [m]
  int cusps = 0;           // its changes of driving direction
  long expansions = 0;     // nodes expanded
  double seconds = 0.0;    // the search's time, the grid distances included [s]
  double step = 0.0;       // the length of a move the search took [m] (searchStep, or automatic)
  // The numbers of a refusal: the pose that collides and what it touches (StartCollides,
  // GoalCollides); the stage (Unreachable); the count reached (ExpansionBound) or the MiB the
  // search would take and the limit (MemoryBound).
  Contact contact;
  int stage = 0;
  long count = 0;
  double value = 0.0;
  double limit = 0.0;
};

// The work buffers of a search: nodes, the open list, the visited poses, the grid distances.
// They grow as searches need them and keep their memory for the next; a value the caller owns.
class SearchWork {
 public:
  SearchWork();
  ~SearchWork();
  SearchWork(SearchWork&&) noexcept;
  SearchWork& operator=(SearchWork&&) noexcept;
  struct Buffers;                        // the search's own
  Buffers& buffers() { return *b_; }

 private:
  std::unique_ptr<Buffers> b_;
};

// The search from `start` to `goal` (positions [m], headings [deg], reduced as the planner
// reduces them: the goal heading is the start heading and the turn between them) in the map
// of index `ix`, which must be built by buildindex with the same body and unknownFree as p.
// The parameters that steer it: Ra, reverse, reverseCost, cuspCost (the moves and their
// costs), searchStep, headingBins, searchWeight (the estimate weighted: with 1 the path is
// the cheapest of the moves, with the default 1.5 it is found far sooner and in practice costs
// within a few per cent of that, never more than searchWeight times), maxExpansions and
// maxMemory (the work buffers and the grid distances count).  `stop`, where given, is called with `data` every so many expansions
// (kSearchAsk) and while the grid distances are computed; when it returns true the search
// stops as Interrupted.  Returns result.status.
inline constexpr long kSearchAsk = 1024;
SearchStatus planInMap(const Params& p, const MapIndex& ix, const Waypoint& start,
                       const Waypoint& goal, SearchWork& work, SearchResult& result,
                       bool (*stop)(void* data) = nullptr, void* data = nullptr);

// The length of a move that searchStep = 0 gives for p and a map of this resolution [m]: an
// arc of it turns by one heading bin, but it is at least a cell's diagonal.
double searchstep(const Params& p, double resolution);

// The poses along a path of segments (a search's) from its start pose (as planInMap takes it,
// heading [deg]), as samplePlan gives them along a plan alone: every ds of the distance driven,
// at every joint and at the end, in the order driven, each once, from the closed form of its arc
// of radius p.Ra or line (the same the search checks, so the last lies on the goal within
// 1e-9 m and rad of the poses' scale).  At a joint the driving direction is the next segment's,
// at the end the last one's.  `poses` is cleared, and reused without allocating where it is
// large enough.  BadParams for parameters out of their ranges, NotPlanned for a segment out of
// its ranges (planInMap's never are), BadPose for a start that is not finite, BadSpacing for a
// ds that is not above 0 or so small that the poses would exceed kSampleMax.
Status samplePath(const std::vector<SearchSegment>& segs, const Params& p, const Waypoint& start,
                  double ds, std::vector<PlanPose>& poses);

// Why a search found no path, in English; empty for Found.
std::string searchreason(const SearchResult& r, const Params& p);

}  // namespace agv
