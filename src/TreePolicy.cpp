#include <array>
#include <cstdlib>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ChildArena.h"
#include "Game.h"
#include "NodePool.h"

std::int32_t numP1Wins = 0;
std::int32_t numP2Wins = 0;
std::int32_t numTies = 0;

namespace {

// Exploration numerators for small visit counts, filled by the very function
// Node::getUCT uses, so that a look-up gives the same bits as the logarithm:
// below the root most nodes on a descent have few visits.
constexpr std::int32_t kNumeratorTableSize = 1024;
const std::array<double, kNumeratorTableSize> kNumerators = [] {
  std::array<double, kNumeratorTableSize> t{};
  for (std::int32_t v = 0; v < kNumeratorTableSize; ++v) t[v] = uct::explorationNumerator(v);
  return t;
}();

double explorationNumerator(std::int32_t parentVisits) {
  if (parentVisits >= 0 && parentVisits < kNumeratorTableSize) return kNumerators[parentVisits];
  return uct::explorationNumerator(parentVisits);
}

// scores[i] := children[i]->getUCT(numerator), bit for bit, for i < n
// (entry n may be written too); a null child gets a score that is neither
// greater than nor equal to any other, so the scan passes over it.
void scoreChildren(Node* const* children, std::size_t n, double numerator, double* scores) {
#if defined(__SSE2__)
  // Two children at a time with the same correctly rounded operations as
  // uct::score. The counts are read first in a loop without decisions, so
  // that the loads from children scattered over the pool overlap. The
  // special cases fall out of IEEE arithmetic: an unvisited child becomes
  // 1/0 + sqrt(numerator/0) = +infinity (which needs numerator > 0), a null
  // child 0/0 = NaN.
  if (numerator > 0.0) {
    alignas(16) std::array<std::int32_t, childArena::kMaxChildren + 1> wins;
    alignas(16) std::array<std::int32_t, childArena::kMaxChildren + 1> visits;
    for (std::size_t i = 0; i < n; ++i) {
      const Node* child = children[i];
      if (child == nullptr) {
        wins[i] = 0;
        visits[i] = 0;
        continue;
      }
      const std::int32_t v = child->getNumVisits();
      wins[i] = v > 0 ? child->getNumWins() : 1;
      visits[i] = v > 0 ? v : 0;
    }
    wins[n] = 0;
    visits[n] = 1;  // pads an odd count
    const __m128d num = _mm_set1_pd(numerator);
    for (std::size_t i = 0; i < n; i += 2) {
      const __m128d v = _mm_cvtepi32_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&visits[i])));
      const __m128d w = _mm_cvtepi32_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&wins[i])));
      _mm_storeu_pd(scores + i, _mm_add_pd(_mm_div_pd(w, v), _mm_sqrt_pd(_mm_div_pd(num, v))));
    }
    return;
  }
#endif
  for (std::size_t i = 0; i < n; ++i)
    scores[i] = children[i] != nullptr ? children[i]->getUCT(numerator)
                                       : -std::numeric_limits<double>::infinity();
}

}  // namespace

Node* getChildHighestUCT(Node* node) {
  Node::Children children = node->getChildren();
  const std::size_t n = children.size();
  if (n == 0) return nullptr;
  // The parent's part of the score is the same for every child: work it out
  // once. Scores first, the choice after, so that the tie-break draws run
  // over plain numbers.
  std::array<double, childArena::kMaxChildren + 1> scores;
  scoreChildren(children.begin(), n, explorationNumerator(node->getNumVisits()), scores.data());

  double bestScore = 0.0;
  int bestIndex = -1;
  for (std::size_t i = 0; i < n; ++i) {
    const double score = scores[i];
    if (score > bestScore) {
      bestIndex = static_cast<int>(i);
      bestScore = score;
    } else if (score == bestScore && tieBreakDraw()) {
      bestIndex = static_cast<int>(i);
    }
  }
  // No child won a place (all scored below 0, or 0 with every draw keeping
  // the start value): stay inside the children rather than index -1.
  return children[bestIndex < 0 ? 0 : static_cast<std::size_t>(bestIndex)];
}

void select(Node* root) {
  Node* node = root;
  while (!node->hasNoChildren()) {
    Node* next = getChildHighestUCT(node);
    if (next == nullptr) break;
    node = next;
  }
  node->init();
  if (const int winner = node->getWinner(); winner != 0) {
    backpropogate(node, winner);
  } else if (!node->hasMove() || node->getNumVisits() != 0) {
    expand(node);
  } else {
    backpropogate(node, runSimulation(node));
  }
}

void expand(Node* node) {
  if (!node->hasNoChildren()) return;
  const Position pos = node->position();

  // Candidates as 9 * quadrant + cell, in quadrant then cell order, in a
  // fixed array: expansion is on the hot path and allocates nothing itself.
  std::array<std::uint8_t, 81> candidates;
  unsigned k = 0;
  auto addQuadrant = [&](int q) {
    unsigned empty = lines::kFull & ~static_cast<unsigned>(pos.occupied(q));
    for (int c = 0; c < 9; ++c)
      if (empty >> c & 1u) candidates[k++] = static_cast<std::uint8_t>(9 * q + c);
  };
  const std::uint16_t open = pos.openQuadrants();
  const int sentTo = node->getLocal();
  if (node->hasMove() && (open >> sentTo & 1u)) {
    addQuadrant(sentTo);
  } else {
    for (int q = 0; q < 9; ++q)
      if (open >> q & 1u) addQuadrant(q);
  }

  if (NodePool::size() < k) return;
  node->setNumChildren(k);
  for (unsigned i = 0; i < k; ++i) {
    Node* child = NodePool::getNode();
    child->init(candidates[i] / 9, candidates[i] % 9, node, false);
    node->addChild(child);
  }
  if (node->hasNoChildren()) throw "No Children...";

  Node* child = node->getChild(static_cast<std::size_t>(std::rand()) % k);
  backpropogate(child, runSimulation(child));
}

void backpropogate(Node* node, int result) {
  if (result == -1) {
    ++numTies;
    for (Node* x = node; x != nullptr; x = x->getParent()) x->incrementVisits(1);
    return;
  }
  if (result == 1) ++numP1Wins;
  if (result == 2) ++numP2Wins;
  // Players alternate level by level, so the winner made the moves of every
  // other node on the path: which ones follows from the starting node alone.
  bool winnerMovedHere = result == node->getPlayer();
  for (Node* x = node; x != nullptr; x = x->getParent()) {
    if (winnerMovedHere) x->incrementWins(1);
    x->incrementVisits(1);
    winnerMovedHere = !winnerMovedHere;
  }
}
