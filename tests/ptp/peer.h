// The peer of the planner's tests, OMPL's Dubins and Reeds-Shepp paths (tests only), and how
// far a word driven from one pose ends from another.
#pragma once

#include <ompl/base/spaces/DubinsStateSpace.h>
#include <ompl/base/spaces/ReedsSheppStateSpace.h>

#include "ptp/reeds.h"
#include "ptputil.h"

namespace ptptest {

using agv::Pose;
using agv::Word;

// How far the word driven from a ends from b: the larger of the distance and the heading error.
inline double miss(const Pose& a, const Pose& b, const Word& w, double r) {
  const Pose q = agv::drive(a, w, r);
  return std::fmax(std::hypot(q.x - b.x, q.y - b.y), std::fabs(std::remainder(q.th - b.th, 2 * PI)));
}

// OMPL's paths and lengths, the peer of these tests, in metres.
class Ompl {
 public:
  explicit Ompl(double r) : r_(r), rs_(r), db_(r), a_(rs_.allocState()), b_(rs_.allocState()) {}
  ~Ompl() {
    rs_.freeState(a_);
    rs_.freeState(b_);
  }
  Ompl(const Ompl&) = delete;
  Ompl& operator=(const Ompl&) = delete;
  double reedsshepp(const Pose& a, const Pose& b) {
    set(a, b);
    return rs_.reedsShepp(a_, b_).length() * r_;
  }
  double dubins(const Pose& a, const Pose& b) {
    set(a, b);
    return db_.dubins(a_, b_).length() * r_;
  }
  // The Dubins path as a word (OMPL numbers its kinds left, line, right).
  Word dubinsword(const Pose& a, const Pose& b) {
    set(a, b);
    const auto p = db_.dubins(a_, b_);
    Word w;
    for (int i = 0; i < 3; ++i) w.seg[w.n++] = {1 - p.type_[i], 1, p.length_[i] * r_};
    return w;
  }

 private:
  void set(const Pose& a, const Pose& b) {
    for (auto [s, p] : {std::pair{a_, &a}, std::pair{b_, &b}}) {
      auto* se2 = s->as<ompl::base::SE2StateSpace::StateType>();
      se2->setXY(p->x, p->y);
      se2->setYaw(p->th);
    }
  }
  double r_;
  ompl::base::ReedsSheppStateSpace rs_;
  ompl::base::DubinsStateSpace db_;
  ompl::base::State *a_, *b_;
};

}  // namespace ptptest
