// The results of passes that Python has let go, kept for the next passes of their kind.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <type_traits>
#include <vector>

#include "agv/agv.h"

namespace agvpy {

// The memory the records of a result hold.
template <class V>
size_t bytes(const V& v) {
  return v.capacity() * sizeof(typename V::value_type);
}
template <class R>
size_t footprint(const R& r) {
  size_t n = 0;
  const auto add = [&n](const auto& runs) {
    n += bytes(runs.ref) + bytes(runs.cv) + bytes(runs.err) + bytes(runs.tr) + bytes(runs.xte);
    if constexpr (!std::is_same_v<std::decay_t<decltype(runs)>, agv::CpRuns>) n += bytes(runs.vv);
    if constexpr (std::is_same_v<std::decay_t<decltype(runs)>, agv::RouteRuns>)
      n += bytes(runs.leg) + bytes(runs.vleg);
  };
  if constexpr (std::is_base_of_v<agv::CpResult, R>) {
    n += bytes(r.utab);
    if constexpr (std::is_same_v<R, agv::TrackResult>)
      n += bytes(r.track.points) + bytes(r.bends.tight);
    for (const agv::CpRuns& run : r.run) add(run);
  } else {
    for (int k = 0; k < 3; ++k) {
      add(r.arc[k]);
      add(r.cl[k]);
    }
    if constexpr (std::is_same_v<R, agv::RouteResult>) n += bytes(r.legs);
  }
  return n;
}

// Results of earlier passes that Python has let go, kept for the next passes: a pass into a
// result of its size allocates nothing and touches no memory it has not touched before.  A few
// are kept, up to a total size; the rest are freed.
template <class R>
class Pool {
 public:
  std::shared_ptr<R> get() {
    R* r = nullptr;
    {
      std::lock_guard<std::mutex> lock(mu_);
      if (!free_.empty()) {
        r = free_.back().release();
        free_.pop_back();
        held_ -= footprint(*r);
      }
    }
    if (r == nullptr) r = new R();
    return std::shared_ptr<R>(r, [this](R* done) { put(done); });
  }

 private:
  static constexpr size_t kKept = 8;               // enough for a pass in each of a few threads
  static constexpr size_t kKeptBytes = 64u << 20;  // as many as eight of the largest default passes
  void put(R* r) {
    const size_t n = footprint(*r);
    std::lock_guard<std::mutex> lock(mu_);
    if (free_.size() < kKept && held_ + n <= kKeptBytes) {
      free_.emplace_back(r);
      held_ += n;
    } else {
      delete r;
    }
  }
  std::mutex mu_;
  std::vector<std::unique_ptr<R>> free_;
  size_t held_ = 0;
};

// The pool of each kind of result; never destroyed: a result may go back after the interpreter
// has begun to end.
template <class R>
Pool<R>& pool() {
  static Pool<R>* p = new Pool<R>();
  return *p;
}

}  // namespace agvpy
