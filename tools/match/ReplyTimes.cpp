#include "ReplyTimes.h"

#include <algorithm>
#include <cmath>

double ReplyTimes::worst() const { return times_.empty() ? 0.0 : *std::max_element(times_.begin(), times_.end()); }

double ReplyTimes::percentile(double p) const {
  if (times_.empty()) return 0.0;
  std::vector<double> sorted = times_;
  std::sort(sorted.begin(), sorted.end());
  // The small allowance keeps 99.9% of 2000 at rank 1998, not a rounding's 1999.
  const double rank = std::ceil(p * static_cast<double>(sorted.size()) / 100.0 - 1e-9);
  const auto index = static_cast<std::size_t>(std::clamp(rank, 1.0, static_cast<double>(sorted.size()))) - 1;
  return sorted[index];
}
