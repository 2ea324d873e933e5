#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <random>
#include <sstream>
#include <vector>

#include "Board.h"
#include "Game.h"
#include "Node.h"
#include "NodePool.h"
#include "Random.h"
#include "ReferenceRules.h"

namespace {

// The playout written out step by step on the board arrays, drawing through
// getRandomRemaining exactly where a move or a free quadrant is chosen. With
// the same seed runSimulation must give the same result and leave the
// generator in the same state.
int arrayPlayout(Node* node) {
  Board2D board = make_Board2D();
  node->buildBoard2D(board);
  Quadrant states = make_Quadrant();
  node->buildQuadrant(states);
  Quadrant codes = make_Quadrant();
  std::array<int, 9> remaining{};
  int open = 0;
  for (int q = 0; q < 9; ++q) {
    if (states[q] != 0) continue;
    ++open;
    codes[q] = potential3inRow(states, q);
    for (int k = 0; k < 9; ++k) remaining[q] += board[q][k] == 0 ? 1 : 0;
  }
  int sentTo = node->hasMove() ? node->getLocal() : -1;
  int lastMover = node->getPlayer();
  if (node->getWinner() != 0) return node->getWinner();
  for (;;) {
    const int mover = lastMover == 1 ? 2 : 1;
    const int q = sentTo != -1 && states[sentTo] == 0 ? sentTo : getRandomRemaining(states);
    if (codes[q] == mover || codes[q] == 3)
      for (int k = 0; k < 9; ++k)
        if (board[q][k] == 0 && potential3inRow(board[q], k, mover)) return mover;
    const int k = getRandomRemaining(board[q]);
    sentTo = k;
    --remaining[q];
    board[q][k] = mover;
    lastMover = mover;
    if (check3InRow(board[q], k)) {
      --open;
      states[q] = mover;
      updatePotential3inRow(codes, states, q);
      if (check3InRow(states, q)) return mover;
      if (open <= 0) return -1;
    } else if (remaining[q] <= 0) {
      --open;
      states[q] = -1;
      if (open <= 0) return -1;
    }
  }
}

class PlayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { root = new Node(); }
  void TearDown() override {
    delete root;
    EXPECT_EQ(NodePool::size(), NodePool::maxSize());
  }

  // The node for the first position of the seeded random games that wanted accepts.
  Node* find(std::uint32_t seed, const std::function<bool(const reference::Game&)>& wanted) {
    auto game = reference::findGame(seed, 5000, wanted);
    if (!game) return nullptr;
    found = *game;
    NodePool::returnNode(root);
    root = new Node();
    return reference::replay(root, found);
  }

  // Runs the playout from node under seed and checks it against arrayPlayout.
  static int play(Node* node, std::uint64_t seed, bool* drew = nullptr) {
    playoutRandom().reseed(seed);
    const int expected = arrayPlayout(node);
    const std::uint64_t expectedState = playoutRandom().state();
    playoutRandom().reseed(seed);
    const std::uint64_t start = playoutRandom().state();
    const int result = runSimulation(node);
    EXPECT_EQ(result, expected) << "seed " << seed;
    EXPECT_EQ(playoutRandom().state(), expectedState) << "seed " << seed;
    if (drew != nullptr) *drew = playoutRandom().state() != start;
    return result;
  }

  Node* root = nullptr;
  reference::Game found;
};

int sentTo(const reference::Game& g) { return g.winner() == 0 ? g.nextQuadrant() : -1; }

// Whether some empty cell of quadrant q wins the quadrant for player.
bool canWinQuadrant(const reference::Game& g, int q, int player) {
  for (int c = 0; c < 9; ++c)
    if (g.cell(q, c) == 0 && reference::wouldComplete(g.quadrantCells(q), c, player)) return true;
  return false;
}

TEST_F(PlayoutTest, FinishedPositionGivesItsResultWithoutDrawing) {
  for (int result : {1, 2, -1}) {
    Node* node = find(11, [&](const reference::Game& g) { return g.winner() == result; });
    ASSERT_NE(node, nullptr) << result;
    for (std::uint64_t seed = 0; seed < 5; ++seed) {
      playoutRandom().reseed(seed);
      const std::uint64_t before = playoutRandom().state();
      EXPECT_EQ(runSimulation(node), result);
      EXPECT_EQ(playoutRandom().state(), before) << result;
    }
  }
}

// Sent to a quadrant the mover can take: when its code names the mover (alone
// or with the other player) the mover wins at once and nothing is drawn; when
// it names only the other player it is not searched and a cell is drawn.
TEST_F(PlayoutTest, WinInOneOnlyWhereTheCodeNamesTheMover) {
  enum Names { kMover, kBoth, kOther };
  for (Names names : {kMover, kBoth, kOther}) {
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
      Node* node = find(seed, [&](const reference::Game& g) {
        const int q = sentTo(g);
        const int mover = g.playerToMove();
        const int code = names == kMover ? mover : names == kBoth ? 3 : 3 - mover;
        return q != -1 && reference::potentialCode(g.quadrantStates(), q) == code &&
               canWinQuadrant(g, q, mover);
      });
      ASSERT_NE(node, nullptr) << names;
      for (std::uint64_t s = 0; s < 20; ++s) {
        bool drew = false;
        const int result = play(node, s, &drew);
        EXPECT_EQ(drew, names == kOther) << names;
        if (names != kOther) {
          EXPECT_EQ(result, found.playerToMove());
        }
      }
    }
  }
}

// One open quadrant that completes nobody's line: whether it fills up or is
// won, the game ends in a tie.
TEST_F(PlayoutTest, TieWhenTheLastOpenQuadrantLeavesPlay) {
  for (std::uint32_t seed = 1; seed <= 4; ++seed) {
    Node* node = find(seed, [&](const reference::Game& g) {
      int open = 0, coded = 0;
      for (int q = 0; q < 9; ++q) {
        if (!g.isOpen(q)) continue;
        ++open;
        coded += reference::potentialCode(g.quadrantStates(), q) != 0 ? 1 : 0;
      }
      return g.winner() == 0 && open == 1 && coded == 0;
    });
    ASSERT_NE(node, nullptr);
    for (std::uint64_t s = 0; s < 20; ++s) EXPECT_EQ(play(node, s), -1);
  }
}

// Sent to a quadrant with one empty cell that wins it for the mover, where it
// does not yet win the game: the quadrant must count as won (opening lines
// through other quadrants), not as closed.
TEST_F(PlayoutTest, QuadrantWonWithItsLastCellIsWon) {
  int moverWins = 0;
  for (std::uint32_t seed = 1; seed <= 4; ++seed) {
    Node* node = find(seed, [](const reference::Game& g) {
      const int q = sentTo(g);
      const int mover = g.playerToMove();
      if (q == -1 || !canWinQuadrant(g, q, mover)) return false;
      int empty = 0;
      for (int c = 0; c < 9; ++c) empty += g.cell(q, c) == 0 ? 1 : 0;
      auto states = g.quadrantStates();
      if (empty != 1 || reference::potentialCode(states, q) != 0) return false;
      states[q] = mover;
      for (int r = 0; r < 9; ++r)
        if (states[r] == 0 && (reference::potentialCode(states, r) & mover)) return true;
      return false;
    });
    ASSERT_NE(node, nullptr);
    for (std::uint64_t s = 0; s < 50; ++s) moverWins += play(node, s) == found.playerToMove();
  }
  EXPECT_GT(moverWins, 0);
}

// From many positions of random games, including the empty board: the result
// is always a player or a tie, draw for draw as the array playout has it, and
// nothing in the tree changes.
TEST_F(PlayoutTest, RandomPositionsMatchArrayPlayoutAndLeaveTheTreeAlone) {
  std::mt19937 rng(2718);
  std::array<int, 3> results{};  // ties, player 1, player 2
  for (int n = 0; n < 400; ++n) {
    reference::Game game;
    const int length = static_cast<int>(rng() % 60);
    for (int i = 0; i < length && game.winner() == 0; ++i) {
      const auto [g, l] = reference::randomMove(game, rng);
      game.play(g, l);
    }
    NodePool::returnNode(root);
    root = new Node();
    Node* node = reference::replay(root, game);
    for (const auto& [g, l] : game.legalMoves()) {  // children with statistics
      Node* child = NodePool::getNode();
      child->init(g, l, node, false);
      child->incrementVisits(2);
      child->incrementWins(1);
      node->addChild(child);
    }
    node->incrementVisits(7);
    std::ostringstream trace;
    node->printTrace(trace);
    const std::vector<Node*> children(node->getChildren().begin(), node->getChildren().end());

    for (std::uint64_t s = 0; s < 10; ++s) {
      const int result = play(node, 1000 * n + s);
      ASSERT_TRUE(result == 1 || result == 2 || result == -1) << result;
      ++results[result == -1 ? 0 : result];
      if (!children.empty()) play(children[s % children.size()], s);
    }
    EXPECT_EQ(node->getNumVisits(), 7);
    EXPECT_EQ(node->getNumWins(), 0);
    EXPECT_EQ(std::vector<Node*>(node->getChildren().begin(), node->getChildren().end()),
              children);
    for (Node* child : children) {
      EXPECT_EQ(child->getNumVisits(), 2);
      EXPECT_EQ(child->getNumWins(), 1);
      EXPECT_TRUE(child->hasNoChildren());
    }
    std::ostringstream after;
    node->printTrace(after);
    EXPECT_EQ(after.str(), trace.str());
    ASSERT_TRUE(reference::matchesReference(*node, game));
  }
  for (int r : results) EXPECT_GT(r, 0);
}

}  // namespace
