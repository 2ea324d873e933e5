#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstddef>

#include "Game.h"
#include "NetworkLeaf.h"
#include "NodePool.h"
#include "Playout.h"
#include "UctScore.h"

namespace {

// The scan of getChildHighestUCT over children given by `child(i)`.
template <class ChildAt>
int bestChild(SearchContext& search, std::size_t n, double parentTerm, ChildAt child) {
  double bestScore = 0.0;
  int bestIndex = -1;
  for (std::size_t i = 0; i < n; ++i) {
    const Node* c = child(i);
    if (c == nullptr) continue;
    const double score = uct::nodeScore(*c, parentTerm);
    if (score > bestScore) {
      bestIndex = static_cast<int>(i);
      bestScore = score;
    } else if (score == bestScore && tieBreakDraw(search)) {
      bestIndex = static_cast<int>(i);
    }
  }
  return bestIndex;
}

// The playout behind the leaf-evaluator interface of the descent.
struct PlayoutEvaluator {
  Random& rng;
  int evaluate(const Position& leaf) { return playOut(leaf, rng); }
};

// The network behind the same interface: it compares the leaf with the
// root, so the way down is no concern of either.
struct NetworkEvaluator {
  NetworkLeaf& leaf;
  Random& rng;
  int evaluate(const Position& pos) { return leaf.evaluate(pos, rng); }
};

// Both behind it, chosen leaf by leaf: the network for a draw below cut (of
// 2^32), a playout otherwise. Their errors differ, so the mixture can judge
// better than either.
struct MixedEvaluator {
  NetworkLeaf& leaf;
  Random& rng;
  std::uint64_t cut;
  int evaluate(const Position& pos) {
    return rng.next() < cut ? leaf.evaluate(pos, rng) : playOut(pos, rng);
  }
};

// Expansion of a node whose position is known (see expand).
template <class Evaluator>
void expandAt(SearchContext& search, Node* node, const Position& pos, Evaluator& eval) {
  if (!node->hasNoChildren()) return;

  // Candidates as 9 * quadrant + cell, in quadrant then cell order, in a
  // fixed array: expansion is on the hot path and allocates nothing itself.
  std::array<std::uint8_t, 81> candidates;
  unsigned k = 0;
  auto addQuadrant = [&](int q) {
    unsigned empty = lines::kFull & ~static_cast<unsigned>(pos.occupied(q));
    for (int c = 0; c < 9; ++c)
      if (empty >> c & 1u) candidates[k++] = static_cast<std::uint8_t>(9 * q + c);
  };
  // The quadrant a move sends to is the next one exactly when it is still open.
  if (pos.next >= 0) {
    addQuadrant(pos.next);
  } else {
    const std::uint16_t open = pos.openQuadrants();
    for (int q = 0; q < 9; ++q)
      if (open >> q & 1u) addQuadrant(q);
  }

  if (NodePool::size() < k) return;
  if (k == 0) throw "No Children...";
  node->addChildren(candidates.data(), k);

  Node* child = node->getChild(static_cast<std::size_t>(std::rand()) % k);
  Position after = pos;
  after.play(child->getGlobal(), child->getLocal());
  backpropogate(search, child, eval.evaluate(after));
}

// The player who moved into node won the game there: node is a won position
// for its mover, so the position above is lost for its own mover (a winning
// reply exists), and a position whose every move is lost is won for the player
// who moved into it. Proofs go no higher than the search root, and a node
// whose children are not every legal move (a caller changed them) is not
// judged by them.
void proveWin(const Node* searchRoot, Node* node) {
  for (;;) {
    node->setProof(uct::Proof::moverWins);
    Node* parent = node == searchRoot ? nullptr : node->getParent();
    if (parent == nullptr) return;
    parent->setProof(uct::Proof::moverLoses);
    Node* grand = parent == searchRoot ? nullptr : parent->getParent();
    if (grand == nullptr) return;
    const Node* run = grand->runBegin();
    if (run == nullptr || !grand->hasEveryMove()) return;
    for (std::size_t i = 0; i < grand->getNumChildren(); ++i)
      if (run[i].getProof() != uct::Proof::moverLoses) return;
    node = grand;
  }
}

// Gives node's undecided children the network's priors (see SearchContext):
// the verdict is for the child's side to move, and a child's wins are its
// mover's, so the loss share becomes its wins.
void givePriors(SearchContext& search, Node* node, const Position& pos) {
  NetworkLeaf& leaf = search.networkLeaf();
  const std::int32_t k = search.priorVisits;
  leaf.beginChildren(pos);
  for (std::size_t i = 0; i < node->getNumChildren(); ++i) {
    Node* child = node->getChild(i);
    if (child == nullptr || child->getProof() != uct::Proof::none) continue;
    const int quadrant = child->getGlobal();
    const int cell = child->getLocal();
    Position after = pos;
    after.play(quadrant, cell);
    if (after.winner != 0) continue;
    const std::array<double, nnue::kOutputs> p =
        leaf.childVerdict(after, quadrant, cell).probabilities(search.priorTemperature);
    child->incrementVisits(k);
    child->incrementWins(static_cast<std::int32_t>(std::lround(k * p[nnue::kLoss])));
    child->incrementTies(static_cast<std::int32_t>(std::lround(k * p[nnue::kDraw])));
  }
}

// The own visits at which node, which has its children, gets their priors
// (see SearchContext): a node's count of children never changes once it has
// them, so every descent through it agrees on whether it got them.
std::int32_t priorAtFor(const SearchContext& search, const Node& node) {
  const std::int32_t at = search.priorAt;
  if (search.priorWide > 0 && node.getNumChildren() > static_cast<std::size_t>(search.priorWide))
    return std::min(at, kWidePriorAt);
  return at;
}

// One iteration with the given leaf evaluation: the position is carried
// down the descent, one move per level.
template <class Evaluator>
void selectWith(SearchContext& search, Node* root, Position pos, Evaluator& eval) {
  // A node's own visits leave out the priors it got as a child; they are
  // known from its parent's, level by level (the root's count as its own).
  const std::int32_t prior = search.priorVisits;
  Node* node = root;
  std::int32_t own = root->getNumVisits();
  // The current node's threshold, asked once per level.
  std::int32_t at = prior > 0 ? priorAtFor(search, *root) : 0;
  if (prior > 0 && !root->hasNoChildren() && own == at) givePriors(search, root, pos);
  while (!node->hasNoChildren()) {
    Node* next = getChildHighestUCT(search, node);
    if (next == nullptr) break;
    const bool gotPriors = prior > 0 && own >= at;
    node = next;
    const int code = node->getMoveCode();
    pos.play(code / 9, code % 9);
    if (prior > 0) {
      own = node->getNumVisits() - (gotPriors ? prior : 0);
      at = priorAtFor(search, *node);
      if (!node->hasNoChildren() && own == at) givePriors(search, node, pos);
    }
  }
  if (pos.winner != 0) {
    if (uct::policy.solver != 0.0 && pos.winner == node->getPlayer()) proveWin(search.above.root, node);
    backpropogate(search, node, pos.winner);
  } else if (!node->hasMove() || node->getNumVisits() != 0) {
    expandAt(search, node, pos, eval);
  } else {
    backpropogate(search, node, eval.evaluate(pos));
  }
}

// Calls work with the leaf evaluator that search asks for, started at start.
template <class Work>
void withEvaluator(SearchContext& search, const Position& start, Work&& work) {
  // Priors and network leaves share one accumulator from the root.
  if (search.priorVisits > 0 || search.evaluation == LeafEvaluation::network) search.networkLeaf().begin(start);
  if (search.evaluation == LeafEvaluation::network) {
    NetworkLeaf& leaf = search.networkLeaf();
    if (search.networkShare >= 1.0) {
      NetworkEvaluator eval{leaf, search.playoutRandom()};
      work(eval);
    } else {
      const double share = search.networkShare > 0.0 ? search.networkShare : 0.0;
      MixedEvaluator eval{leaf, search.playoutRandom(), static_cast<std::uint64_t>(share * 4294967296.0)};
      work(eval);
    }
  } else {
    PlayoutEvaluator eval{search.playoutRandom()};
    work(eval);
  }
}

}  // namespace

Node* getChildHighestUCT(Node* node) { return getChildHighestUCT(defaultSearch(), node); }

Node* getChildHighestUCT(SearchContext& search, Node* node) {
  const std::size_t n = node->getNumChildren();
  if (n == 0) return nullptr;
  // The parent's part of the score is the same for every child: work it out once.
  const double parentTerm = uct::parentTerm(node->getNumVisits());
  int best;
  if (const Node* run = node->runBegin()) {
    // The run is read in order, which the hardware prefetcher follows;
    // software prefetches of the run and of the children's runs measured no
    // gain beyond the noise of the whole-game benchmark.
    best = bestChild(search, n, parentTerm, [run](std::size_t i) { return run + i; });
  } else {
    best = bestChild(search, n, parentTerm, [node](std::size_t i) { return node->getChild(i); });
  }
  // No child won a place (all scored below 0, or 0 with every draw keeping
  // the start value): stay inside the children rather than index -1.
  return node->getChild(best < 0 ? 0 : static_cast<std::size_t>(best));
}

void select(Node* root) { select(defaultSearch(), root); }

void select(SearchContext& search, Node* root) {
  const Position pos = root->position();
  withEvaluator(search, pos, [&](auto& eval) { selectWith(search, root, pos, eval); });
}

void expand(Node* node) { expand(defaultSearch(), node); }

void expand(SearchContext& search, Node* node) {
  if (!node->hasNoChildren()) return;
  const Position pos = node->position();
  withEvaluator(search, pos, [&](auto& eval) { expandAt(search, node, pos, eval); });
}

SearchScope::SearchScope(SearchContext& search, Node* root) : search_(search) {
  flushAboveRoot(search);
  search.above.root = root;
}

SearchScope::~SearchScope() { flushAboveRoot(search_); }

void flushAboveRoot() { flushAboveRoot(defaultSearch()); }

void flushAboveRoot(SearchContext& search) {
  const AboveRoot& above = search.above;
  if (above.root != nullptr && above.visits != 0) {
    // Players alternate going up: the root's parent was reached by the other
    // player's move, its grandparent by the root mover's, and so on.
    bool rootMover = false;
    for (Node* x = above.root->getParent(); x != nullptr; x = x->getParent()) {
      x->incrementWins(rootMover ? above.winsOfRootMover : above.winsOfOther);
      x->incrementTies(above.ties);
      x->incrementVisits(above.visits);
      rootMover = !rootMover;
    }
  }
  search.above = AboveRoot{};
}

int runSimulation(Node* node) { return playOut(node->position()); }

int playOut(const Position& start) { return playOut(start, defaultSearch().playoutRandom()); }

void backpropogate(Node* node, int result) { backpropogate(defaultSearch(), node, result); }

void backpropogate(SearchContext& search, Node* node, int result) {
  SearchCounters& counters = search.counters;
  if (result == 1) ++counters.p1Wins;
  if (result == 2) ++counters.p2Wins;
  if (result == -1) ++counters.ties;
  AboveRoot& above = search.above;
  // Players alternate level by level, so the winner made the moves of every
  // other node on the path: which ones follows from the starting node alone.
  // A tie is a visit and no win for every node.
  const bool tie = result == -1;
  bool winnerMovedHere = result == node->getPlayer();
  for (Node* x = node; x != nullptr; x = x->getParent()) {
    if (tie) x->incrementTies(1);
    else if (winnerMovedHere) x->incrementWins(1);
    x->incrementVisits(1);
    if (x == above.root) {
      ++above.visits;
      if (tie) ++above.ties;
      else if (winnerMovedHere) ++above.winsOfRootMover;
      else ++above.winsOfOther;
      return;
    }
    winnerMovedHere = !winnerMovedHere;
  }
}
