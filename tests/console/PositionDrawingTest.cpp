// The interactive game's drawing of a position: the last move, the player to
// move and the quadrant to play in, read back from the text and compared with
// the reference rules over many random games.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "DrawingReader.h"
#include "Node.h"
#include "PositionDrawing.h"
#include "ReferenceRules.h"

namespace {

std::string drawnPlain(const Node& node) {
  std::ostringstream out;
  printPosition(out, node, false);
  return out.str();
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(PositionDrawing, TheStartHasNoLastMoveAndAFreeChoice) {
  const std::string text = drawnPlain(Node());
  EXPECT_TRUE(bracketedCells(text).empty());
  EXPECT_TRUE(framedQuadrants(text).empty());
  EXPECT_FALSE(contains(text, "last move"));
  EXPECT_TRUE(contains(text, "    X to move: play in any open quadrant\n"));
}

// Every position of random games, finished ones included: the brackets
// stand at the move that led there, the frame at the quadrant the reference
// rules send the next player to, and the line beside the board names that
// player; a decided game names nobody.
TEST(PositionDrawing, MarkersFollowTheRulesThroughWholeGames) {
  std::mt19937 rng(77);
  int freeAfterAMove = 0;
  for (int n = 0; n < 40; ++n) {
    reference::Game game;
    const std::unique_ptr<Node> root(new Node());  // children need a parent in the pool
    Node* node = root.get();
    for (;;) {
      const std::string text = drawnPlain(*node);
      SCOPED_TRACE("game " + std::to_string(n) + " after " + std::to_string(game.moves.size()) + " moves");
      const std::vector<Move> last =
          game.moves.empty() ? std::vector<Move>{} : std::vector<Move>{Move(game.moves.back().first, game.moves.back().second)};
      EXPECT_EQ(bracketedCells(text), last);
      const char mover = game.playerToMove() == 1 ? 'X' : 'O';
      if (game.winner() != 0) {
        EXPECT_TRUE(framedQuadrants(text).empty());
        EXPECT_FALSE(contains(text, "to move"));
        break;
      }
      const int next = game.nextQuadrant();
      if (next >= 0) {
        EXPECT_EQ(framedQuadrants(text), std::vector<int>{next});
        EXPECT_TRUE(contains(text, std::string("    ") + mover + " to move: play in quadrant " +
                                       std::to_string(next) + " ("));
      } else {
        EXPECT_TRUE(framedQuadrants(text).empty());
        EXPECT_TRUE(contains(text, std::string("    ") + mover + " to move: play in any open quadrant\n"));
        if (!game.moves.empty()) ++freeAfterAMove;
      }
      const auto [g, l] = reference::randomMove(game, rng);
      game.play(g, l);
      node->setChild(Move(g, l));
      node = node->getChildren().back();
    }
  }
  EXPECT_GT(freeAfterAMove, 0) << "no move sent the next player to a quadrant that was not open";
}

}  // namespace
