#pragma once

#include <cmath>
#include <cstdint>

// The UCT selection score, split so that a scan over many children can work
// out the parent's part once and still produce, bit for bit, the value that
// Node::getUCT gives for each child.
namespace uct {

// 2 ln(parent visits); 0 for one visit or fewer, so the score stays finite.
inline double explorationNumerator(std::int32_t parentVisits) {
  return parentVisits > 1 ? 2.0 * std::log(static_cast<double>(parentVisits)) : 0.0;
}

// wins / visits + sqrt(numerator / visits), for visits > 0.
inline double score(std::int32_t wins, std::int32_t visits, double numerator) {
  const double v = static_cast<double>(visits);
  return static_cast<double>(wins) / v + std::sqrt(numerator / v);
}

}  // namespace uct
