// The computer's turn: its report, the move it applies, and what it leaves
// behind when the search fails.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>

#include "GameFixtures.h"
#include "ComputerTurn.h"
#include "Game.h"
#include "NodePool.h"
#include "ProcessRunner.h"
#include "Random.h"

namespace {

// The report at the start of out, which must be all of it.
TurnReport wholeReport(const std::string& out) {
  std::size_t pos = 0;
  std::string why;
  const std::optional<TurnReport> report = readTurnReport(out, pos, why);
  EXPECT_TRUE(report) << why;
  EXPECT_EQ(pos, out.size()) << "more output: " << out.substr(pos);
  return report.value_or(TurnReport());
}

// Random legal play from a new root (returned in root) until the player to
// move can win the game at once.
Node* positionWithAWinInOne(Node*& root) {
  std::mt19937 rng(7);
  for (;;) {
    root = new Node();
    for (Node* at = root; at->getWinner() == 0;) {
      if (isWin(at)) return at;
      Move move;
      do move = Move(static_cast<int>(rng() % 9), static_cast<int>(rng() % 9));
      while (!at->isLegal(move));
      at->setChild(move);
      at = at->getChildren().back();
    }
    delete root;
  }
}

class ComputerTurnTest : public ::testing::Test {
 protected:
  void TearDown() override {
    NodePool::setMaxSize(NodePool::kDefaultCapacity);
    EXPECT_EQ(NodePool::size(), NodePool::maxSize()) << "a node outlived its tree";
  }
};

TEST_F(ComputerTurnTest, ReportsTheSearchAndTheMoveAndReturnsTheOnlyChild) {
  seedEverything(11);
  Node* root = new Node();
  Node* next = nullptr;
  const SessionResult r = runInProcess([&] { next = AI_move(root, 0.0); }, "");
  ASSERT_NE(next, nullptr);
  ASSERT_EQ(root->getChildren().size(), 1u);
  EXPECT_EQ(root->getChild(0), next);
  EXPECT_GT(next->getNumVisits(), 0);

  const TurnReport report = wholeReport(r.out);
  EXPECT_TRUE(report.searched);
  EXPECT_EQ(report.searchSpace, root->getNumVisits());
  EXPECT_EQ(report.move, next->getMove());
  EXPECT_EQ(report.wins, next->getNumWins());
  EXPECT_EQ(report.visits, next->getNumVisits());
  EXPECT_EQ(r.err, "");

  // The next turn searches on from the kept subtree: the size reported is
  // the node's visits after the search, earlier turns included.
  const int visitsBefore = next->getNumVisits();
  Node* after = nullptr;
  const SessionResult again = runInProcess([&] { after = AI_move(next, 0.0); }, "");
  EXPECT_EQ(wholeReport(again.out).searchSpace, next->getNumVisits());
  EXPECT_GT(next->getNumVisits(), visitsBefore);
  EXPECT_EQ(after->getParent(), next);
  delete root;
}

// The reports of a seeded run of turns, pinned byte for byte: searches bound
// by a small pool, not by the clock, so every count is repeatable.
TEST_F(ComputerTurnTest, SeededTurnsPrintThePinnedReports) {
  seedEverything(21);
  NodePool::setMaxSize(30000);
  Node* root = new Node();
  std::string out;
  Node* at = root;
  for (int turn = 0; turn < 6; ++turn) {
    const SessionResult r = runInProcess([&] { at = AI_move(at, 1e9); }, "");
    out += r.out;
  }
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : out) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
  EXPECT_EQ(hash, 0x5092a197e736efccULL) << std::hex << hash << "\n" << out;
  delete root;
}

// A game-winning move is played without a search: nothing of the search's
// report, and the fresh child has no visits, so the confidence is NaN.
TEST_F(ComputerTurnTest, AWinInOneSkipsTheSearchReport) {
  seedEverything(12);
  Node* root = nullptr;
  Node* at = positionWithAWinInOne(root);
  const std::unique_ptr<Move> win = isWin(at);
  Node* next = nullptr;
  const SessionResult r = runInProcess([&] { next = AI_move(at, 3.0); }, "");
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->getMove(), *win);
  EXPECT_EQ(next->getWinner(), next->getPlayer());
  const TurnReport report = wholeReport(r.out);
  EXPECT_FALSE(report.searched);
  EXPECT_EQ(report.searchSpace, at->getNumVisits());
  EXPECT_EQ(report.move, *win);
  EXPECT_EQ(report.visits, 0);
  EXPECT_NE(r.out.find("nan"), std::string::npos);
  delete root;
}

// With no room for one expansion the search cannot start: the message
// passes through and the position is left as it was.
TEST_F(ComputerTurnTest, AFailedSearchPassesItsMessageOnAndAppliesNothing) {
  seedEverything(13);
  Node* root = new Node();
  NodePool::setMaxSize(kFreeNodeThreshold + 1);
  const char* message = nullptr;
  const SessionResult r = runInProcess(
      [&] {
        try {
          AI_move(root, 0.0);
        } catch (const char* thrown) {
          message = thrown;
        }
      },
      "");
  ASSERT_NE(message, nullptr);
  EXPECT_STREQ(message, "No Move found...");
  EXPECT_EQ(r.out, "Getting Move\n" + std::to_string(kFreeNodeThreshold) + "\n");
  EXPECT_TRUE(root->hasNoChildren());
  delete root;
}

}  // namespace
