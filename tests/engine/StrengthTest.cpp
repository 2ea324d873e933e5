#include <memory>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "SearchTestSupport.h"
#include "StdStreamCapture.h"

namespace {

using namespace searchtest;
using StrengthTest = SearchTest;

// O to move, sent to quadrant 2 (last move (8,2)). X holds quadrants 0 and 1,
// O holds 3 and 6. In quadrant 2 X has cells 0, 1, 5 and 8, O has 4 and 7, and
// cells 2, 3 and 6 are empty, so (2,2) wins quadrant 2 and the game for X.
//  - (2,3) and (2,6) send X to quadrants 3 and 6, both won by O: X may play
//    anywhere and wins at once with (2,2).
//  - (2,2) blocks the row. It sends X back to quadrant 2, where neither empty
//    cell wins: (2,3) would also need 6 (row 3-4-5 holds O's 4), and (2,6)
//    would also need 3 (row 6-7-8 and diagonal 2-4-6 hold O's marks).
// O has no game-winning move of its own (winning quadrant 2 completes no line
// of O's quadrants), so the search must find (2,2) rather than take a win.
constexpr const char* kOnlyBlockingMove =
    "00 01 13 33 30 04 46 63 36 60 03 35 53 34 48 83 64 43 61 11 16 66 06 24 40 27 70 41 10 50 20 "
    "51 21 71 25 58 86 76 28 88 82";

TEST_F(StrengthTest, BlocksTheOpponentsOnlyGameWinningThreat) {
  NodePool::setMaxSize(200000);
  std::unique_ptr<Node> top(new Node());
  Node* node = play(top.get(), kOnlyBlockingMove);
  ASSERT_EQ(isWin(node), nullptr);
  StdStreamCapture capture;
  EXPECT_EQ(getMove(node, kUnlimited), Move(2, 2));
}

Move randomLegalMove(Node* node, std::mt19937& rng) {
  std::vector<Move> legal;
  for (int g = 0; g < 9; ++g)
    for (int l = 0; l < 9; ++l)
      if (node->isLegal(Move(g, l))) legal.emplace_back(g, l);
  return legal[std::uniform_int_distribution<std::size_t>(0, legal.size() - 1)(rng)];
}

TEST_F(StrengthTest, BeatsAUniformlyRandomPlayerNearlyAlways) {
  // Small pool per move; the tree is kept from move to move as in a real game.
  NodePool::setMaxSize(10000);
  constexpr int kGames = 20;
  int searchWins = 0;
  StdStreamCapture capture;
  for (int game = 0; game < kGames; ++game) {
    const int searchPlays = game % 2 == 0 ? 1 : 2;
    std::mt19937 rng(static_cast<std::mt19937::result_type>(game));
    std::unique_ptr<Node> top(new Node());
    Node* node = top.get();
    while (node->getWinner() == 0) {
      const bool searchesNow = node->getPlayer() != searchPlays;
      node->setChild(searchesNow ? getMove(node, kUnlimited) : randomLegalMove(node, rng));
      node = node->getChildren().back();
    }
    searchWins += node->getWinner() == searchPlays ? 1 : 0;
  }
  EXPECT_GE(searchWins, 18) << "out of " << kGames;
}

}  // namespace
