// The interactive game in this process, with a scripted person who looks at
// the live position before typing each line; the real program's dialogue is
// checked line by line in tests/e2e.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "GameFixtures.h"
#include "ComputerTurn.h"
#include "Game.h"
#include "Modes.h"
#include "NodePool.h"
#include "ProcessRunner.h"
#include "Random.h"

namespace {

const char* const kOpening = "Play as Player 1 or 2:  Enter thinking time for AI (in seconds):  ";

// The drawing of node's position after one more move, worked out on a tree
// of its own so the game's tree is left alone.
std::string drawingAfter(const Node& node, const Move& move) {
  std::ostringstream trace;
  node.printTrace(trace);
  std::istringstream moves(trace.str());
  Node* root = new Node();
  Node* at = root;
  auto play = [&](const Move& m) {
    at->setChild(m);
    at = at->getChildren().back();
  };
  for (std::string pair; moves >> pair;) play(Move(pair[0] - '0', pair[1] - '0'));
  play(move);
  std::string text = drawing(*at);
  delete root;
  return text;
}

std::string moveLine(const Move& m) { return std::to_string(m.global) + " " + std::to_string(m.local); }

Move firstLegal(const Node& node) {
  for (int m = 0; m < 81; ++m)
    if (node.isLegal(Move(m / 9, m % 9))) return Move(m / 9, m % 9);
  return Move();
}

class InteractiveGameTest : public ::testing::Test {
 protected:
  // Standard output may be a terminal when the tests are run by hand; the
  // expected boards are plain.
  void SetUp() override { ::setenv("NO_COLOR", "1", 1); }
  void TearDown() override {
    EXPECT_EQ(game, nullptr);
    NodePool::setMaxSize(NodePool::kDefaultCapacity);
    EXPECT_EQ(NodePool::size(), NodePool::maxSize()) << "a node outlived the game";
  }
};

// Each line the person types is checked at the next prompt: a rejected line
// leaves the position as it was and shows its message, the board and the
// prompt; an accepted one is the move the computer's reply follows.
TEST_F(InteractiveGameTest, OccupiedCellsWrongQuadrantsAndLoneCells) {
  seedEverything(21);
  int setupLines = 0;
  Node* before = nullptr;
  std::optional<Move> played;
  std::string rejection;
  std::size_t mark = 0;
  bool triedOccupied = false;
  bool triedWrongQuadrant = false;
  int loneCells = 0;
  std::string finalBoard;

  auto person = [&](const std::string& out) -> std::optional<std::string> {
    if (setupLines < 2) return ++setupLines == 1 ? "1" : "0";
    const std::string since = out.substr(mark);
    mark = out.size();
    const std::string prompt = drawing(*game) + "Enter Move:   ";
    if (!rejection.empty()) {
      EXPECT_EQ(game, before);
      EXPECT_EQ(since, rejection + "\n" + prompt);
    } else if (played) {
      if (before->getChildren().size() != 1) {
        ADD_FAILURE() << "the move was not applied";
        return std::nullopt;
      }
      const Node& human = *before->getChild(0);
      EXPECT_EQ(human.getMove(), *played);
      EXPECT_EQ(game->getParent(), &human) << "the computer answers every move";
      EXPECT_EQ(since.substr(0, drawing(human).size() + 13), drawing(human) + "Getting Move\n");
      EXPECT_EQ(since.substr(since.size() - std::min(since.size(), prompt.size())), prompt);
    }
    before = game;
    rejection.clear();
    played.reset();

    const int q = game->getNextQuadrant();
    if (q < 0) {
      played = firstLegal(*game);
      return moveLine(*played);
    }
    Quadrant cells = make_Quadrant();
    game->buildQuadrant(cells, q);
    for (int c = 0; c < 9 && !triedOccupied; ++c) {
      if (cells[c] != 0) {
        triedOccupied = true;
        rejection = "Not Valid Move:  " + moveLine(Move(q, c));
        return moveLine(Move(q, c));
      }
    }
    if (!triedWrongQuadrant) {
      triedWrongQuadrant = true;
      const Move elsewhere((q + 1) % 9, firstLegal(*game).local);
      rejection = "Not Valid Move:  " + moveLine(elsewhere);
      return moveLine(elsewhere);
    }
    if (triedOccupied && loneCells >= 3) {
      finalBoard = drawing(*game);
      return std::nullopt;
    }
    ++loneCells;
    played = firstLegal(*game);
    return std::to_string(played->local);
  };

  const SessionResult r = runInProcess(play, person);
  EXPECT_TRUE(triedOccupied);
  EXPECT_GE(loneCells, 3);
  EXPECT_EQ(r.out.substr(0, std::string(kOpening).size()), kOpening);
  EXPECT_EQ(r.out.substr(mark), finalBoard + "Winner:  0\n\n");
  EXPECT_EQ(r.err, "");
}

// The person's move, looking two plies ahead: a move that wins the game, else
// the first (from a rotating start) after which the computer cannot win at once.
Move carefulMove(const Node& node, int start) {
  const Position now = node.position();
  std::optional<Move> fallback;
  for (int k = 0; k < 81; ++k) {
    const int m = (start + k) % 81;
    if (!now.isLegal(m / 9, m % 9)) continue;
    Position after = now;
    after.play(m / 9, m % 9);
    if (after.winner == now.playerToMove()) return Move(m / 9, m % 9);
    bool safe = true;
    for (int reply = 0; reply < 81 && safe; ++reply) {
      if (!after.isLegal(reply / 9, reply % 9)) continue;
      Position answered = after;
      answered.play(reply / 9, reply % 9);
      safe = answered.winner != after.playerToMove();
    }
    if (safe && !fallback) fallback = Move(m / 9, m % 9);
    if (!fallback && k == 80) fallback = Move(m / 9, m % 9);
  }
  return fallback ? *fallback : firstLegal(node);
}

// A careful person against a computer with hardly any pool to search with:
// when the person's move decides the game (a win or a tie), its board is shown
// after the move and again in the end report.
TEST_F(InteractiveGameTest, TheDecidingHumanMoveShowsTheBoardTwice) {
  bool humanDecided = false;
  for (unsigned seed = 1; seed <= 20 && !humanDecided; ++seed) {
    seedEverything(seed);
    NodePool::setMaxSize(1000);
    int setupLines = 0;
    int turn = 0;
    std::string finalBoard;
    int result = 0;
    auto person = [&](const std::string&) -> std::optional<std::string> {
      if (setupLines < 2) return ++setupLines == 1 ? "1" : "0";
      const Move move = carefulMove(*game, static_cast<int>(seed) * 7 + 13 * turn++);
      Position after = game->position();
      after.play(move.global, move.local);
      if (after.winner != 0) {
        finalBoard = drawingAfter(*game, move);
        result = after.winner;
      }
      return moveLine(move);
    };
    const SessionResult r = runInProcess(play, person);
    humanDecided = !finalBoard.empty() && r.err.empty();
    if (humanDecided) {
      const std::string end = finalBoard + finalBoard + "Winner:  " + std::to_string(result) + "\n\n";
      ASSERT_GE(r.out.size(), end.size());
      EXPECT_EQ(r.out.substr(r.out.size() - end.size()), end);
    }
  }
  EXPECT_TRUE(humanDecided) << "the person's move never decided a game; make the computer weaker";
}

// A search that cannot start ends the game with its message on standard
// error: no end report, and the tree is still freed.
TEST_F(InteractiveGameTest, AFailedComputerTurnPrintsTheMessageAndNoEndReport) {
  seedEverything(22);
  // The initial node leaves 80 free: too few to expand it, or to search.
  NodePool::setMaxSize(kFreeNodeThreshold);
  const SessionResult second = runInProcess(play, "2\n0\n4 4\n");
  EXPECT_EQ(second.out, std::string(kOpening) + "Getting Move\n80\n");
  EXPECT_EQ(second.err, "No Move found...\n");

  Node empty;
  const std::string boardAfterMove = drawingAfter(empty, Move(4, 4));
  const SessionResult first = runInProcess(play, "1\n0\n4 4\n");
  EXPECT_EQ(first.out, std::string(kOpening) + drawing(empty) + "Enter Move:   " + boardAfterMove +
                           "Getting Move\n79\n");
  EXPECT_EQ(first.err, "No Move found...\n");
}

}  // namespace
