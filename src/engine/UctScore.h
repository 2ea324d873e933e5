#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "Node.h"
#include "Proof.h"

// The selection score of a child in the search tree, in one place: the
// search's scan over a node's children and nodeScore both call score(), so
// they give the same bits for the same counts.
namespace uct {

// The knobs of the score. The defaults are the values measured matches chose
// (see the strength table in the README).
struct Policy {
  // Weight of the exploration term: wins/visits + exploration * sqrt(ln N / visits).
  double exploration = 0.5;
  // What a tie is worth to both players, as a share of a win. Below a half:
  // a tie is only a little better than a loss, so the search plays for wins.
  double tieValue = 0.3;
  // Score of a child without visits; the default tries every child once first.
  double unvisited = std::numeric_limits<double>::infinity();
  // Whether proven results (see Proof) override the statistics (1) or not (0).
  double solver = 1.0;
};

// The policy every score is computed with. Change it only between searches.
extern Policy policy;

// Tables for small counts, where most of a search's scans happen: deep in
// the tree every count is small, and a look-up replaces a logarithm, a square
// root or a division. Each count is always scored through the same path, so a
// score does not depend on which caller asks.
inline constexpr std::int32_t kTableSize = 1024;
struct Reciprocals {
  double inverse;      // 1 / v
  double inverseRoot;  // 1 / sqrt(v)
};
inline const std::array<Reciprocals, kTableSize> kReciprocals = [] {
  std::array<Reciprocals, kTableSize> t{};
  for (std::int32_t v = 1; v < kTableSize; ++v)
    t[v] = {1.0 / static_cast<double>(v), 1.0 / std::sqrt(static_cast<double>(v))};
  return t;
}();
inline const std::array<double, kTableSize> kRootLogs = [] {
  std::array<double, kTableSize> t{};
  for (std::int32_t n = 2; n < kTableSize; ++n) t[n] = std::sqrt(std::log(static_cast<double>(n)));
  return t;
}();

// A count too large for the tables, as its top ten bits (an index into them)
// and the number of bits dropped. The dropped bits change the count by less
// than 0.2%, far below what selection feels; counts near the root, scanned
// every iteration, then need no logarithm or square root either.
struct TopBits {
  std::uint32_t index;  // kTableSize / 2 to kTableSize - 1
  int shift;
};
inline TopBits topBits(std::int32_t count) {
  const auto n = static_cast<std::uint32_t>(count);
  const int shift = std::bit_width(n) - 10;
  return {n >> shift, shift};
}

// ln n, for large counts: ln N = kLogs[index] + shift * ln 2.
inline const std::array<double, kTableSize> kLogs = [] {
  std::array<double, kTableSize> t{};
  for (std::int32_t n = 1; n < kTableSize; ++n) t[n] = std::log(static_cast<double>(n));
  return t;
}();

// 2^(-s/2), for large counts: 1 / sqrt(v) = kReciprocals[index].inverseRoot
// * kHalfPowers[shift].
inline const std::array<double, 32> kHalfPowers = [] {
  std::array<double, 32> t{};
  for (int shift = 0; shift < 32; ++shift) t[shift] = std::pow(2.0, -0.5 * shift);
  return t;
}();

// The part of the score that comes from the parent: exploration * sqrt(ln N)
// for N parent visits, 0 for one visit or fewer. Finite, never negative.
inline double parentTerm(std::int32_t parentVisits) {
  if (parentVisits <= 1) return 0.0;
  if (parentVisits < kTableSize) return policy.exploration * kRootLogs[parentVisits];
  const TopBits top = topBits(parentVisits);
  return policy.exploration * std::sqrt(kLogs[top.index] + top.shift * 0.69314718055994530942);
}

// The factor for lost children: an unproven visited child under a parent
// with more than one visit scores above 1e-6, a lost one at most 1e-288.
inline constexpr double kLostScale = 1e-300;

// Score of a child with these counts under a parent whose parentTerm is
// given: (wins + tieValue * ties) / visits + parentTerm / sqrt(visits), or
// policy.unvisited without visits. A visited child under a parent with more
// than one visit always scores above 0. Never NaN for counts that are not
// negative.
//
// With the solver on, a proven child scores outside that range: a win for the
// player choosing above every finite score, a loss scaled down below every
// unproven child's score, but still above 0 as it was.
inline double score(std::int32_t wins, std::int32_t ties, std::int32_t visits, double parent,
                    Proof proof = Proof::none) {
  if (proof == Proof::moverWins && policy.solver != 0.0) return std::numeric_limits<double>::max();
  if (visits <= 0) return policy.unvisited;
  const double value = static_cast<double>(wins) + policy.tieValue * static_cast<double>(ties);
  double s;
  if (visits < kTableSize) {
    const Reciprocals& r = kReciprocals[visits];
    s = value * r.inverse + parent * r.inverseRoot;
  } else {
    // The exploration factor by the count's top bits; the mean stays exact.
    const TopBits top = topBits(visits);
    const double inverseRoot = kReciprocals[top.index].inverseRoot * kHalfPowers[top.shift];
    s = value / static_cast<double>(visits) + parent * inverseRoot;
  }
  // Lost children keep their order among themselves (the longest resistance
  // is still found by the statistics) far below every other child.
  if (proof == Proof::moverLoses && policy.solver != 0.0) s *= kLostScale;
  return s;
}

// Score of node as a child of its parent: finite once visited,
// policy.unvisited before. Never NaN.
inline double nodeScore(const Node& node) {
  const Node* parent = node.getParent();
  return score(node.getNumWins(), node.getNumTies(), node.getNumVisits(),
               parentTerm(parent != nullptr ? parent->getNumVisits() : 0), node.getProof());
}

// Score of a child with the parent's part already worked out, for scans.
inline double nodeScore(const Node& node, double parent) {
  return score(node.getNumWins(), node.getNumTies(), node.getNumVisits(), parent, node.getProof());
}

}  // namespace uct
