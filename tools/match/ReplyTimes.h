#pragma once

#include <cstddef>
#include <vector>

// The reply times of one side over a match, for the worst case and the tail
// of the distribution, which is what an arena's move limit cares about.
class ReplyTimes {
 public:
  void add(double ms) { times_.push_back(ms); }
  void add(const ReplyTimes& other) {
    for (const double ms : other.times_) times_.push_back(ms);
  }

  std::size_t count() const { return times_.size(); }
  // The longest reply; 0 when there is none.
  double worst() const;
  // The nearest-rank percentile (0 < p <= 100): the smallest time that at
  // least p percent of the replies do not exceed; 0 when there is none.
  double percentile(double p) const;

 private:
  std::vector<double> times_;
};
