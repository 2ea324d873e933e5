// The network as the search's leaf evaluator: a leaf's verdict is the one a
// fresh sum gives, whichever root it is reached from, and a search judging
// its leaves by the network plays legal moves and keeps its counts whole.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "Game.h"
#include "NetworkFixtures.h"
#include "NetworkLeaf.h"
#include "NodePool.h"

namespace {

using nnue::testing::randomGame;
using nnue::testing::randomNetwork;

// A search of the empty board by that many iterations, every random source
// seeded with seed, after setUp(context) chose its knobs.
template <class SetUp>
std::unique_ptr<Node> seededSearch(unsigned seed, int iterations, SetUp setUp) {
  std::srand(seed);
  Random playouts(seed);
  SearchContext search(seed, &playouts);
  setUp(search);
  auto top = std::make_unique<Node>();
  for (int i = 0; i < iterations; ++i) select(search, top.get());
  return top;
}

// The visits, wins and ties of a node's children, summed.
struct ChildTotals {
  std::int64_t visits = 0;
  std::int64_t wins = 0;
  std::int64_t ties = 0;
};
ChildTotals childTotals(const Node& node) {
  ChildTotals t;
  for (std::size_t i = 0; i < node.getNumChildren(); ++i) {
    t.visits += node.getChild(i)->getNumVisits();
    t.wins += node.getChild(i)->getNumWins();
    t.ties += node.getChild(i)->getNumTies();
  }
  return t;
}

TEST(NetworkLeaf, VerdictFromTheRootEqualsAFreshSumAtTheLeaf) {
  const auto net = randomNetwork(3);
  NetworkLeaf leaf(*net);
  for (unsigned seed = 1; seed <= 6; ++seed) {
    const std::vector<Position> game = randomGame(seed);
    // Roots at several depths, leaves from one ply below to the end.
    for (std::size_t r = 0; r + 1 < game.size(); r += 7) {
      leaf.begin(game[r]);
      for (std::size_t l = r + 1; l < game.size(); ++l) {
        if (game[l].winner != 0) continue;
        nnue::Accumulator fresh;
        fresh.refresh(*net, game[l]);
        const nnue::Evaluation expected = nnue::evaluatePortable(*net, fresh, game[l].playerToMove());
        EXPECT_EQ(leaf.verdict(game[l]).logits, expected.logits) << "seed " << seed << " root " << r << " leaf " << l;
      }
    }
  }
}

TEST(NetworkLeaf, ChildVerdictsOneMoveFromTheirNodeEqualVerdictsFromTheRoot) {
  const auto net = randomNetwork(4);
  NetworkLeaf leaf(*net);
  for (unsigned seed = 1; seed <= 4; ++seed) {
    const std::vector<Position> game = randomGame(seed);
    for (std::size_t r = 0; r + 1 < game.size(); r += 9) {
      leaf.begin(game[r]);
      // Nodes from the root itself down; every legal child of each.
      for (std::size_t n = r; n < game.size(); n += 3) {
        if (game[n].winner != 0) continue;
        leaf.beginChildren(game[n]);
        for (int m = 0; m < 81; ++m) {
          if (!game[n].isLegal(m / 9, m % 9)) continue;
          Position child = game[n];
          child.play(m / 9, m % 9);
          if (child.winner != 0) continue;
          EXPECT_EQ(leaf.childVerdict(child, m / 9, m % 9).logits, leaf.verdict(child).logits)
              << "seed " << seed << " root " << r << " node " << n << " move " << m;
        }
      }
    }
  }
}

TEST(NetworkLeaf, SampledResultsFollowTheVerdict) {
  const auto net = randomNetwork(5);
  NetworkLeaf leaf(*net);
  const std::vector<Position> game = randomGame(9);
  const Position& pos = game[10];
  leaf.begin(game[0]);
  const auto p = leaf.verdict(pos).probabilities();
  Random rng(77);
  int wins = 0;
  int ties = 0;
  const int n = 20000;
  for (int i = 0; i < n; ++i) {
    const int result = leaf.evaluate(pos, rng);
    ASSERT_TRUE(result == 1 || result == 2 || result == -1);
    wins += result == pos.playerToMove() ? 1 : 0;
    ties += result == -1 ? 1 : 0;
  }
  // Five standard errors of a proportion over 20,000 draws: under 0.018.
  EXPECT_NEAR(static_cast<double>(wins) / n, p[nnue::kWin], 0.018);
  EXPECT_NEAR(static_cast<double>(ties) / n, p[nnue::kDraw], 0.018);
}

TEST(NetworkLeaf, ANetworkSearchPlaysLegalMovesAndCountsEveryResult) {
  NodePool::setMaxSize(NodePool::kDefaultCapacity);
  std::srand(4);
  Random playouts(4);
  SearchContext search(4u, &playouts);
  search.evaluation = LeafEvaluation::network;
  auto top = std::make_unique<Node>();
  Node* at = top.get();
  NodePool::setMaxSize(NodePool::maxSize() - NodePool::size() + 20000);
  for (int turn = 0; turn < 6 && at->getWinner() == 0; ++turn) {
    SearchReport report;
    const Move move = getMove(search, at, 1e9, Disposal::immediate, report);
    ASSERT_TRUE(at->isLegal(move));
    if (report.searched) {
      const SearchCounters& c = report.counters;
      EXPECT_GT(c.p1Wins + c.p2Wins + c.ties, 1000);
    }
    at->setChild(move);
    at = at->getChildren().back();
  }
  top.reset();
  NodePool::setMaxSize(NodePool::kDefaultCapacity);
  EXPECT_EQ(NodePool::size(), NodePool::maxSize());
}

// A network sure of a draw everywhere marks the leaves it judges: only
// playouts and finished games give wins. The share of ties follows the mix.
TEST(NetworkLeaf, TheMixSharesLeavesBetweenNetworkAndPlayouts) {
  auto drawish = std::make_unique<nnue::Network>();
  drawish->outputBias[nnue::kDraw] = 40 * nnue::kOutputScale;
  NodePool::setMaxSize(NodePool::kDefaultCapacity);
  const auto tieShare = [&](double share) {
    std::srand(6);
    Random playouts(6);
    SearchContext search(6u, &playouts);
    search.evaluation = LeafEvaluation::network;
    search.network = drawish.get();
    search.networkShare = share;
    auto top = std::make_unique<Node>();
    // A few hundred iterations stay near the root, far from finished games.
    for (int i = 0; i < 400; ++i) select(search, top.get());
    const SearchCounters& c = search.counters;
    return static_cast<double>(c.ties) / (c.p1Wins + c.p2Wins + c.ties);
  };
  const double none = tieShare(0.0);
  const double half = tieShare(0.5);
  EXPECT_LT(none, 0.3);
  EXPECT_DOUBLE_EQ(tieShare(1.0), 1.0);
  // Half the leaves certain ties, the other half tie as playouts do; five
  // standard errors of 400 draws is 0.125.
  EXPECT_NEAR(half, 0.5 + 0.5 * none, 0.125);
}

// Priors arrive once, when the root's own visits reach priorAt: every child
// gets priorVisits results, here all wins for its mover, since the network
// is sure the side to move loses. Up to then the search is the same as
// without priors.
TEST(NetworkLeaf, PriorsGiveEachChildItsResultsOnceTheParentHasItsVisits) {
  auto losing = std::make_unique<nnue::Network>();
  losing->outputBias[nnue::kLoss] = 40 * nnue::kOutputScale;
  NodePool::setMaxSize(NodePool::kDefaultCapacity);
  constexpr int kAt = 6;
  constexpr int kPrior = 10;
  const auto searched = [&](unsigned seed, int priorVisits, int iterations) {
    return seededSearch(seed, iterations, [&](SearchContext& search) {
      search.network = losing.get();
      search.priorVisits = priorVisits;
      search.priorAt = kAt;
    });
  };
  const auto childSums = [&](int priorVisits, int iterations) {
    return childTotals(*searched(8, priorVisits, iterations));
  };
  EXPECT_EQ(childSums(kPrior, kAt).visits, childSums(0, kAt).visits);
  EXPECT_EQ(childSums(kPrior, kAt).wins, childSums(0, kAt).wins);
  const ChildTotals with = childSums(kPrior, kAt + 1);
  const ChildTotals without = childSums(0, kAt + 1);
  EXPECT_EQ(with.visits - without.visits, 81 * kPrior);
  // The last iteration's own result may differ by one.
  EXPECT_NEAR(static_cast<double>(with.wins - without.wins), 81.0 * kPrior, 1.0);
  EXPECT_EQ(childSums(kPrior, 200).visits - childSums(0, 200).visits, 81 * kPrior);

  // Below the root too: a node's children hold its own visits less the one
  // that judged it as a leaf, plus the priors exactly when its own visits
  // passed priorAt. Early in the game no node is decided, so every child
  // gets them.
  const std::unique_ptr<Node> top = searched(9, kPrior, 3000);
  int withPriors = 0;
  const auto check = [&](const auto& self, const Node* node, bool gotPriors) -> void {
    const std::int32_t own = node->getNumVisits() - (gotPriors ? kPrior : 0);
    if (node->hasNoChildren()) return;
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < node->getNumChildren(); ++i) sum += node->getChild(i)->getNumVisits();
    const auto children = static_cast<std::int64_t>(node->getNumChildren());
    const std::int64_t priors = own > kAt ? kPrior * children : 0;
    // A child first reached after its priors is expanded at once, without a
    // result of its own, so its children hold all of its own visits.
    EXPECT_GE(sum - priors, own - 1);
    EXPECT_LE(sum - priors, own);
    withPriors += priors > 0 ? 1 : 0;
    for (std::size_t i = 0; i < node->getNumChildren(); ++i) self(self, node->getChild(i), own > kAt);
  };
  for (std::size_t i = 0; i < top->getNumChildren(); ++i) check(check, top->getChild(i), true);
  EXPECT_GT(withPriors, 20);
}

// A node with more children than priorWide gets its priors as soon as it
// has children (its second visit), not at priorAt: the root of the empty
// board (81 children) at the third iteration, and below it every node by
// the rule its own count of children sets.
TEST(NetworkLeaf, WideNodesGetTheirPriorsAsSoonAsTheyHaveChildren) {
  NodePool::setMaxSize(NodePool::kDefaultCapacity);
  constexpr int kAt = 16;
  constexpr int kPrior = 10;
  const auto searched = [&](int priorVisits, int iterations) {
    return seededSearch(5, iterations, [&](SearchContext& search) {
      search.priorVisits = priorVisits;
      search.priorAt = kAt;
      search.priorWide = 9;
    });
  };
  const auto childVisits = [&](int priorVisits, int iterations) {
    return childTotals(*searched(priorVisits, iterations)).visits;
  };
  EXPECT_EQ(childVisits(kPrior, 2), childVisits(0, 2));
  EXPECT_EQ(childVisits(kPrior, 3) - childVisits(0, 3), 81 * kPrior);

  const std::unique_ptr<Node> top = searched(kPrior, 3000);
  int wide = 0;
  int narrow = 0;
  // A node arriving with priorAt own visits gives the priors and counts one
  // more, so a node holds them once its own visits pass priorAt.
  const auto check = [&](const auto& self, const Node* node, bool gotPriors) -> void {
    const std::int32_t own = node->getNumVisits() - (gotPriors ? kPrior : 0);
    if (node->hasNoChildren()) return;
    const auto children = static_cast<std::int64_t>(node->getNumChildren());
    const std::int32_t at = children > 9 ? kWidePriorAt : kAt;
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < node->getNumChildren(); ++i) sum += node->getChild(i)->getNumVisits();
    const std::int64_t priors = own > at ? kPrior * children : 0;
    EXPECT_GE(sum - priors, own - 1);
    EXPECT_LE(sum - priors, own);
    if (priors > 0) ++(children > 9 ? wide : narrow);
    for (std::size_t i = 0; i < node->getNumChildren(); ++i) self(self, node->getChild(i), own > at);
  };
  // The root counts all its visits as its own.
  check(check, top.get(), false);
  EXPECT_GT(narrow, 20);
  EXPECT_GT(wide, 0);
}

// The priors' temperature evens out the network's verdict before it becomes
// results: logits of 2 for a loss and 0 for the others give a loss share of
// 0.79 as they stand, and e / (e + 2) = 0.576 at a temperature of 2.
TEST(NetworkLeaf, PriorTemperatureSoftensTheVerdictBehindThePriors) {
  auto net = std::make_unique<nnue::Network>();
  net->outputBias[nnue::kLoss] = 2 * nnue::kOutputScale;
  NodePool::setMaxSize(NodePool::kDefaultCapacity);
  constexpr int kAt = 4;
  constexpr int kPrior = 100;
  const auto childSums = [&](int priorVisits, double temperature) {
    return childTotals(*seededSearch(3, kAt + 1, [&](SearchContext& search) {
      search.network = net.get();
      search.priorVisits = priorVisits;
      search.priorAt = kAt;
      search.priorTemperature = temperature;
    }));
  };
  const ChildTotals without = childSums(0, 1.0);
  for (const double temperature : {1.0, 2.0}) {
    const double e = std::exp(2.0 / temperature);
    const ChildTotals with = childSums(kPrior, temperature);
    // The last iteration's own result may differ by one.
    EXPECT_NEAR(static_cast<double>(with.wins - without.wins), 81.0 * std::lround(kPrior * e / (e + 2)), 1.0);
    EXPECT_NEAR(static_cast<double>(with.ties - without.ties), 81.0 * std::lround(kPrior / (e + 2)), 1.0);
  }
}

}  // namespace
