// Whole-engine properties checked over thousands of random legal positions
// against the slow reference model of the rules: expansion, the immediate-win
// finder, the playout, the counts a search leaves in its tree, and the move
// search itself on a small pool. Every random source is seeded, so a failure
// names a position that fails again on the next run.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "Game.h"
#include "NodePool.h"
#include "Random.h"
#include "ReferenceRules.h"

namespace {

using reference::Game;

void seedSearch(std::uint32_t seed) {
  g_seed = seed;
  std::srand(seed);
  playoutRandom().reseed(seed);
}

// A position of a random game: either cut anywhere or within a few moves of
// its end (the finished position included), where wins in one are common.
Game randomPosition(std::mt19937& rng, bool nearEnd) {
  Game full;
  while (full.winner() == 0) {
    const auto [g, l] = reference::randomMove(full, rng);
    full.play(g, l);
  }
  const std::size_t length = full.moves.size();
  const std::size_t cut = nearEnd ? length - std::min<std::size_t>(length, rng() % 6)
                                  : rng() % (length + 1);
  Game game;
  for (std::size_t i = 0; i < cut; ++i) game.play(full.moves[i].first, full.moves[i].second);
  return game;
}

std::string describe(const Game& game) {
  std::ostringstream text;
  text << "moves:";
  for (const auto& [g, l] : game.moves) text << ' ' << g << l;
  return text.str();
}

std::vector<Move> referenceMoves(const Game& game) {
  std::vector<Move> moves;
  for (const auto& [g, l] : game.legalMoves()) moves.emplace_back(g, l);
  return moves;
}

std::vector<Move> childMoves(Node* node) {
  std::vector<Move> moves;
  for (Node* child : node->getChildren()) moves.push_back(child->getMove());
  return moves;
}

// The first legal move, in quadrant then cell order, after which the player
// to move has won: found by trying every one.
std::optional<Move> bruteForceWin(const Game& game) {
  for (const auto& [g, l] : game.legalMoves()) {
    Game after = game;
    after.play(g, l);
    if (after.winner() == game.playerToMove()) return Move(g, l);
  }
  return std::nullopt;
}

std::int32_t counterTotal() { return numP1Wins + numP2Wins + numTies; }

// The game's position as a tree of its own: the initial node and the path
// of moves down to the node under test; destroyed with everything below it.
class Tree {
 public:
  explicit Tree(const Game& game) : top_(new Node()), node_(reference::replay(top_, game)) {}
  ~Tree() { delete top_; }
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;
  Node* node() const { return node_; }

 private:
  Node* top_;
  Node* node_;
};

// Keeps the search's report lines off the test output.
class QuietStdout {
 public:
  QuietStdout() : old_(std::cout.rdbuf(&sink_)) {}
  ~QuietStdout() { std::cout.rdbuf(old_); }
  QuietStdout(const QuietStdout&) = delete;
  QuietStdout& operator=(const QuietStdout&) = delete;

 private:
  std::stringbuf sink_;
  std::streambuf* old_;
};

class PropertyTest : public ::testing::Test {
 protected:
  void SetUp() override { seedSearch(2024); }
  void TearDown() override {
    EXPECT_EQ(NodePool::size(), NodePool::maxSize()) << "nodes still in use after the test";
    NodePool::setMaxSize(NodePool::kDefaultCapacity);
  }
};

TEST_F(PropertyTest, ExpansionMakesOneChildPerLegalMoveInQuadrantThenCellOrder) {
  std::mt19937 rng(11);
  int expanded = 0;
  int finished = 0;
  for (int n = 0; n < 3000; ++n) {
    const Game game = randomPosition(rng, n % 4 == 0);
    SCOPED_TRACE(describe(game));
    Tree tree(game);
    Node* node = tree.node();
    const std::int32_t countersBefore = counterTotal();

    if (game.winner() != 0) {
      // A finished position is scored again at each visit and never grows.
      ++finished;
      const std::int32_t& counter =
          game.winner() == 1 ? numP1Wins : game.winner() == 2 ? numP2Wins : numTies;
      const std::int32_t before = counter;
      for (int i = 0; i < 3; ++i) select(node);
      ASSERT_TRUE(node->hasNoChildren());
      EXPECT_EQ(node->getNumVisits(), 3);
      EXPECT_EQ(counter - before, 3);
      continue;
    }

    // A node reached by a move is played out on its first visit and expanded
    // on its second; the initial position is expanded at once.
    int visits = 0;
    if (node->hasMove()) {
      select(node);
      ASSERT_TRUE(node->hasNoChildren());
      ASSERT_EQ(node->getNumVisits(), ++visits);
    }
    select(node);
    ++visits;
    ++expanded;
    ASSERT_EQ(childMoves(node), referenceMoves(game));
    EXPECT_EQ(node->getNumVisits(), visits);
    EXPECT_EQ(counterTotal() - countersBefore, visits);
    std::int32_t childVisits = 0;
    for (Node* child : node->getChildren()) {
      EXPECT_EQ(child->getParent(), node);
      EXPECT_TRUE(child->hasNoChildren());
      childVisits += child->getNumVisits();
    }
    EXPECT_EQ(childVisits, 1) << "one new child is played out";

    if (n % 10 == 0) {
      for (Node* child : node->getChildren()) {
        Game after = game;
        after.play(child->getGlobal(), child->getLocal());
        ASSERT_TRUE(reference::matchesReference(*child, after));
      }
    }
  }
  EXPECT_GT(expanded, 2000);
  EXPECT_GT(finished, 100);
}

TEST_F(PropertyTest, IsWinAnswersTheFirstGameWinningMoveOrNone) {
  std::mt19937 rng(12);
  int withWin = 0;
  for (int n = 0; n < 3000; ++n) {
    const Game game = randomPosition(rng, n % 2 == 0);
    if (game.winner() != 0) continue;
    SCOPED_TRACE(describe(game));
    Tree tree(game);
    const std::optional<Move> expected = bruteForceWin(game);
    const std::unique_ptr<Move> found = isWin(tree.node());
    ASSERT_EQ(found != nullptr, expected.has_value());
    if (expected) {
      ++withWin;
      EXPECT_EQ(*found, *expected);
    }
    EXPECT_TRUE(tree.node()->hasNoChildren());
    EXPECT_EQ(tree.node()->getNumVisits(), 0);
  }
  EXPECT_GT(withWin, 300) << "too few positions with a win to say much";
}

TEST_F(PropertyTest, PlayoutsGiveAResultAndLeaveTheTreeAlone) {
  std::mt19937 rng(13);
  int forcedWins = 0;
  for (int n = 0; n < 1000; ++n) {
    const Game game = randomPosition(rng, n % 2 == 0);
    SCOPED_TRACE(describe(game));
    Tree tree(game);
    Node* node = tree.node();
    if (game.winner() == 0) {
      // Give the node counts and children, so that "unchanged" means something.
      select(node);
      select(node);
    }
    const std::int32_t visits = node->getNumVisits();
    const std::int32_t wins = node->getNumWins();
    const std::vector<Move> children = childMoves(node);
    const std::int32_t counters = counterTotal();

    // With the move forced into a quadrant where the mover can win the game
    // at once, every playout finds it before drawing anything.
    const bool forcedWin = game.winner() == 0 && game.nextQuadrant() != -1 && bruteForceWin(game);
    forcedWins += forcedWin ? 1 : 0;

    for (int i = 0; i < 5; ++i) {
      const int result = runSimulation(node);
      ASSERT_TRUE(result == 1 || result == 2 || result == -1) << "result " << result;
      if (game.winner() != 0) {
        EXPECT_EQ(result, game.winner());
      }
      if (forcedWin) {
        EXPECT_EQ(result, game.playerToMove());
      }
    }
    EXPECT_EQ(node->getNumVisits(), visits);
    EXPECT_EQ(node->getNumWins(), wins);
    EXPECT_EQ(childMoves(node), children);
    EXPECT_EQ(counterTotal(), counters);
    ASSERT_TRUE(reference::matchesReference(*node, game));
  }
  EXPECT_GT(forcedWins, 20);
}

// Every visit of a node either played the node out itself (once, before it
// was expanded; never for the initial position) or went on to a child.
void checkCounts(Node* node, int& nodes) {
  ++nodes;
  ASSERT_GE(node->getNumWins(), 0);
  ASSERT_LE(node->getNumWins(), node->getNumVisits());
  if (node->hasNoChildren()) return;
  std::int64_t childVisits = 0;
  for (Node* child : node->getChildren()) {
    ASSERT_EQ(child->getParent(), node);
    childVisits += child->getNumVisits();
    checkCounts(child, nodes);
  }
  ASSERT_EQ(node->getNumVisits(), childVisits + (node->hasMove() ? 1 : 0))
      << "at move " << node->getGlobal() << ' ' << node->getLocal() << " depth " << node->getDepth();
}

TEST_F(PropertyTest, SearchIterationsLeaveConsistentCountsInTheTree) {
  std::mt19937 rng(14);
  for (int n = 0; n < 200; ++n) {
    const Game game = randomPosition(rng, false);
    if (game.winner() != 0) continue;
    SCOPED_TRACE(describe(game));
    Tree tree(game);
    const std::int32_t counters = counterTotal();
    for (int i = 0; i < 300; ++i) select(tree.node());
    EXPECT_EQ(tree.node()->getNumVisits(), 300);
    EXPECT_EQ(counterTotal() - counters, 300) << "one back-propagation per iteration";
    int nodes = 0;
    checkCounts(tree.node(), nodes);
    EXPECT_EQ(NodePool::maxSize() - NodePool::size(),
              static_cast<std::uint64_t>(nodes + static_cast<int>(game.moves.size())))
        << "every node in use is in the tree";
  }
}

TEST_F(PropertyTest, GetMoveOnASmallPoolAnswersALegalMoveAndRepeatsIt) {
  NodePool::setMaxSize(1500);
  const double forever = std::numeric_limits<double>::infinity();
  QuietStdout quiet;
  std::mt19937 rng(15);
  for (int n = 0; n < 150; ++n) {
    const Game game = randomPosition(rng, n % 3 == 0);
    if (game.winner() != 0) continue;
    SCOPED_TRACE(describe(game));
    const std::optional<Move> win = bruteForceWin(game);

    Move first;
    {
      seedSearch(100 + n);
      Tree tree(game);
      first = getMove(tree.node(), forever);
      ASSERT_TRUE(game.isLegal(first.global, first.local)) << first.global << ' ' << first.local;
      if (win) {
        EXPECT_EQ(first, *win);
        EXPECT_TRUE(tree.node()->hasNoChildren()) << "an immediate win searches nothing";
      } else {
        ASSERT_EQ(tree.node()->getChildren().size(), 1u) << "the search keeps one child";
        EXPECT_EQ(tree.node()->getChild(0)->getMove(), first);
      }
    }
    ASSERT_EQ(NodePool::size(), NodePool::maxSize());

    // The pool, not the clock, ends these searches: the same seeds give the same move.
    seedSearch(100 + n);
    Tree again(game);
    EXPECT_EQ(getMove(again.node(), forever), first);
  }
}

}  // namespace
