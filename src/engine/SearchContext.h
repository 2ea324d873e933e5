#pragma once

#include <cstdint>
#include <memory>

#include "Random.h"

class Node;
class NetworkLeaf;
namespace nnue {
struct Network;
}

// How the search judges a leaf that is not a finished game.
enum class LeafEvaluation {
  playout,  // one random playout to the end of the game
  network,  // the value network's win, draw and loss, sampled to one result
};

// The network priors that won matches: 64 results for each child of a node
// with 4 visits of its own, or with 2 (as soon as it has children) when the
// node has more than 9 children, that is when its mover may play anywhere.
inline constexpr std::int32_t kStrongPriorVisits = 64;
inline constexpr std::int32_t kStrongPriorAt = 4;
inline constexpr std::int32_t kStrongPriorWide = 9;
// The own visits at which a node with more children than priorWide gets its
// priors (unless priorAt is lower): the first visit after it has children.
inline constexpr std::int32_t kWidePriorAt = 2;

// Results back-propagated in one search: player 1 wins, player 2 wins, ties.
struct SearchCounters {
  std::int32_t p1Wins = 0;
  std::int32_t p2Wins = 0;
  std::int32_t ties = 0;
};

// Results kept for the positions above the search root while a search runs
// (see SearchScope).
struct AboveRoot {
  Node* root = nullptr;
  std::int32_t visits = 0;
  std::int32_t ties = 0;
  std::int32_t winsOfRootMover = 0;  // wins of the player who made the root's move
  std::int32_t winsOfOther = 0;
};

// Everything a search keeps between its iterations besides the tree and the
// node pool: its random generators, its counters, the results waiting for
// the positions above the root, and how it judges a leaf. One context serves
// one search at a time; two contexts never share state, so each thread of a
// tool can search with its own (the node pool is still the process's).
class SearchContext {
 public:
  // Tie-breaks start from tieBreakSeed; playouts draw from playout, or from
  // the process-wide playoutRandom() when it is null.
  explicit SearchContext(std::uint32_t tieBreakSeed = 0, Random* playout = nullptr);
  ~SearchContext();
  SearchContext(const SearchContext&) = delete;
  SearchContext& operator=(const SearchContext&) = delete;

  // The 32-bit linear congruential generator of every random tie-break.
  std::uint32_t tieBreak;
  SearchCounters counters;
  AboveRoot above;

  // How leaves are judged; network uses `network`, or the built-in one when
  // that is null. Change both only between searches.
  LeafEvaluation evaluation = LeafEvaluation::playout;
  const nnue::Network* network = nullptr;
  // With the network evaluation, the share of leaves the network judges,
  // drawn leaf by leaf; the others get a random playout. From 0 to 1.
  double networkShare = 1.0;
  // Network priors, with any leaf evaluation: when a node's own visits reach
  // priorAt, each of its children not yet decided gets priorVisits results
  // in the proportions of the network's verdict on it. 0 turns them off.
  std::int32_t priorVisits = 0;
  std::int32_t priorAt = 16;
  // A node with more children than this gets them at kWidePriorAt visits
  // instead (when priorAt is higher), so that its first visits already go
  // where the network points; 0: every node at priorAt. A free choice of
  // quadrant spreads the first visits thinly, and the node's value to its
  // parent suffers most there.
  std::int32_t priorWide = 0;
  // The temperature of the network's verdict (see
  // nnue::Evaluation::probabilities): above 1 evens the proportions out.
  double priorTemperature = 1.0;

  Random& playoutRandom() { return playout_ != nullptr ? *playout_ : ::playoutRandom(); }
  // The network evaluation's per-search state, made on first use.
  NetworkLeaf& networkLeaf();

 private:
  Random* playout_;
  std::unique_ptr<NetworkLeaf> networkLeaf_;
};

// The context of the program's own searches: the one behind the console's
// globals g_seed, numP1Wins, numP2Wins and numTies, and behind every engine
// function that takes no context. Its tie-break generator is seeded from the
// calendar clock before main.
SearchContext& defaultSearch();
