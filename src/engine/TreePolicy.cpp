#include <array>
#include <cstdlib>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

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

#if defined(__SSE2__)
// Constants of the quick "below the best" test in getChildHighestUCT, chosen
// so that its rounding errors stay far inside its margins (see there).
constexpr double kBoundShrink = 1.0 - 0x1p-40;
constexpr double kBoundMargin = 1.0 + 0x1p-30;
constexpr std::int32_t kBoundMaxVisits = 1 << 24;
constexpr double kBoundMaxBest = 64.0;
// Scans of at most this many children also prefetch each child's children
// array; wider nodes (the root) are visited so often that theirs stay cached.
constexpr std::size_t kPrefetchMaxChildren = 27;
#endif

}  // namespace

Node* getChildHighestUCT(Node* node) {
  Node::Children children = node->getChildren();
  const std::size_t n = children.size();
  if (n == 0) return nullptr;
  // The parent's part of the score is the same for every child: work it out once.
  const double numerator = explorationNumerator(node->getNumVisits());

  double bestScore = 0.0;
  int bestIndex = -1;
  // One step of the scan, on a child's score as Node::getUCT gives it.
  auto consider = [&](std::size_t i, double score) {
    if (score > bestScore) {
      bestIndex = static_cast<int>(i);
      bestScore = score;
    } else if (score == bestScore && tieBreakDraw()) {
      bestIndex = static_cast<int>(i);
    }
  };
  auto considerChild = [&](std::size_t i) {
    if (const Node* child = children[i]) consider(i, child->getUCT(numerator));
  };

  std::size_t i = 0;
#if defined(__SSE2__)
  // Two children at a time, with the same correctly rounded division, square
  // root and sum as uct::score, so the same bits. An unvisited child is
  // computed as 1/0 + sqrt(numerator/0) = +infinity, which is its score as
  // long as numerator > 0. Most children score below the best so far: a pair
  // that provably does not reach it is passed over as a whole, which is
  // exactly what the scan would do with each of them (no change, no draw).
  if (numerator > 0.0) {
    // Below the root the children are rarely in the cache: ask for all of
    // them at once, so that their misses overlap instead of coming one by one.
    for (std::size_t k = 0; k < n; ++k)
      _mm_prefetch(reinterpret_cast<const char*>(children[k]), _MM_HINT_T0);
    const bool prefetchGrandchildren = n <= kPrefetchMaxChildren;
    const __m128d num = _mm_set1_pd(numerator);
    const __m128d numWithMargin = _mm_set1_pd(numerator * kBoundMargin);
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi32(1);
    const __m128i minusOne = _mm_set1_epi32(-1);
    const __m128i visitsLimit = _mm_set1_epi32(kBoundMaxVisits + 1);
    for (; i + 1 < n; i += 2) {
      Node* a = children[i];
      Node* b = children[i + 1];
      if (a == nullptr || b == nullptr) {
        considerChild(i);
        considerChild(i + 1);
        continue;
      }
      if (prefetchGrandchildren) {
        // The next level of the descent starts with one of these arrays.
        _mm_prefetch(reinterpret_cast<const char*>(a->getChildren().begin()), _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(b->getChildren().begin()), _MM_HINT_T0);
      }
      __m128i v = _mm_unpacklo_epi32(_mm_cvtsi32_si128(a->getNumVisits()),
                                     _mm_cvtsi32_si128(b->getNumVisits()));
      __m128i w = _mm_unpacklo_epi32(_mm_cvtsi32_si128(a->getNumWins()),
                                     _mm_cvtsi32_si128(b->getNumWins()));

      // Division-free test that a score is below the best: with
      // B' = best * (1 - 2^-40), s = w/v + sqrt(L/v) < B' holds when
      // t = B'v - w > 0 and L v < t^2. Computed with a relative margin of
      // 2^-30 on L v, which for v <= 2^24, w >= 0 and best <= 64 exceeds
      // every rounding error of the test by a factor of ten; and s < B'
      // keeps the rounded score (at most 3 ulps above s) below best.
      if (bestScore <= kBoundMaxBest) {
        const __m128i eligible = _mm_and_si128(
            _mm_and_si128(_mm_cmpgt_epi32(v, zero), _mm_cmplt_epi32(v, visitsLimit)),
            _mm_cmpgt_epi32(w, minusOne));
        const __m128d vd = _mm_cvtepi32_pd(v);
        const __m128d t = _mm_sub_pd(_mm_mul_pd(_mm_set1_pd(bestScore * kBoundShrink), vd),
                                     _mm_cvtepi32_pd(w));
        const __m128d below = _mm_and_pd(_mm_cmpgt_pd(t, _mm_setzero_pd()),
                                         _mm_cmplt_pd(_mm_mul_pd(numWithMargin, vd), _mm_mul_pd(t, t)));
        const __m128d sure = _mm_and_pd(below, _mm_castsi128_pd(_mm_unpacklo_epi32(eligible, eligible)));
        if (_mm_movemask_pd(sure) == 3) continue;
      } else if (bestScore == std::numeric_limits<double>::infinity()) {
        // Only another unvisited child can tie with an unvisited one.
        if (_mm_movemask_epi8(_mm_cmpgt_epi32(v, zero)) == 0xFF) continue;
      }

      const __m128i visited = _mm_cmpgt_epi32(v, zero);
      v = _mm_and_si128(v, visited);
      w = _mm_or_si128(_mm_and_si128(w, visited), _mm_andnot_si128(visited, one));
      const __m128d vd = _mm_cvtepi32_pd(v);
      const __m128d score = _mm_add_pd(_mm_div_pd(_mm_cvtepi32_pd(w), vd),
                                       _mm_sqrt_pd(_mm_div_pd(num, vd)));
      if (_mm_movemask_pd(_mm_cmpge_pd(score, _mm_set1_pd(bestScore))) == 0) continue;
      consider(i, _mm_cvtsd_f64(score));
      consider(i + 1, _mm_cvtsd_f64(_mm_unpackhi_pd(score, score)));
    }
  }
#endif
  for (; i < n; ++i) considerChild(i);

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
