#pragma once

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "Game.h"
#include "NodePool.h"
#include "Random.h"

// Positions and a fixture shared by the search engine tests. Positions are
// move records ("quadrant cell" digit pairs); X is player 1, O player 2.
namespace searchtest {

// Thinking time for getMove that never ends a search: tests bound the search
// with the pool, never with the clock.
inline constexpr double kUnlimited = std::numeric_limits<double>::infinity();

// Plays record from node, checking that every move is legal; returns the node reached.
inline Node* play(Node* node, const std::string& record) {
  std::istringstream in(record);
  std::string pair;
  while (in >> pair) {
    const Move move(pair[0] - '0', pair[1] - '0');
    if (pair.size() != 2 || !node->isLegal(move)) throw std::logic_error("illegal move " + pair);
    node->setChild(move);
    node = node->getChildren().back();
  }
  return node;
}

// X to move. X holds quadrants 0, 1 and 3, O holds 4 and 8. Winning quadrant 2
// (row 0-1-2) or 6 (column 0-3-6) wins X the game: X wins quadrant 2 at cells
// 5, 6 or 8 and quadrant 6 at cell 2. The last move sends X to quadrant 8
// (won: free choice) or to quadrant 6.
inline constexpr const char* kTwoWinsPrefix =
    "03 34 41 14 43 33 30 01 10 00 04 40 05 50 20 48 84 44 54 80 60 82 24 81 16 64 31 18 32 21 13 "
    "22 23 27 73 ";
inline const std::string kTwoWinsFreeChoice = std::string(kTwoWinsPrefix) + "76 61 58";
inline const std::string kTwoWinsToQuadrant6 = std::string(kTwoWinsPrefix) + "58 61 76";

// X to move. X holds quadrants 3, 5, 6 and 8, O holds 4 and 7; 0, 1 and 2 are open.
//  - quadrant 0 (cells 2 and 7 empty) would complete X's column 0-3-6, but no
//    X mark there wins it at once;
//  - quadrant 1 would complete only O's column 1-4-7, although X wins it at (1,5);
//  - quadrant 2 would complete X's column 2-5-8, and (2,8) wins it;
//  - O's quadrant 4 has X on cells 3 and 4 with cell 5 empty.
// So (2,8) is X's only game-winning move. The last move sends X to quadrant 8
// (won: free choice) or to quadrant 0, 1 or 2.
inline constexpr const char* kLinesPrefix =
    "03 36 64 46 65 53 34 47 76 68 87 73 35 54 43 37 78 84 44 48 88 85 57 74 ";
inline const std::string kLinesFreeChoice =
    std::string(kLinesPrefix) + "14 00 04 24 33 01 13 06 63 05 56 16 86 10 08 22 26 25 58 75 27 18";
inline const std::string kLinesToQuadrant0 =
    std::string(kLinesPrefix) + "04 01 14 24 33 06 63 05 56 16 13 18 86 10 08 22 26 25 58 75 27 00";
inline const std::string kLinesToQuadrant1 =
    std::string(kLinesPrefix) + "14 00 04 24 33 06 63 05 56 16 13 18 86 10 08 22 26 25 58 75 27 01";
inline const std::string kLinesToQuadrant2 =
    std::string(kLinesPrefix) + "14 00 04 24 33 01 13 06 63 05 56 16 26 18 86 10 08 25 58 75 27 22";

// X to move with a single legal move, (1,3), which fills the last open
// quadrant without a line of quadrants for anybody: the game ends in a tie.
inline constexpr const char* kLastMoveTies =
    "81 10 00 06 62 22 23 34 44 47 76 63 31 14 43 30 02 26 64 46 68 88 86 61 12 24 45 57 73 38 84 "
    "65 54 52 05 50 08 83 18 82 58 85 55 56 66 15 53 77 70 11 17 16";

// Every test starts from a full pool at its default capacity with zeroed
// counters and seeded random sources, and must give back every node it took.
class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NodePool::setMaxSize(NodePool::kDefaultCapacity);
    ASSERT_EQ(NodePool::size(), NodePool::maxSize()) << "an earlier test kept nodes";
    std::srand(20240611);
    g_seed = 20240611u;
    playoutRandom().reseed(20240611);
    numP1Wins = numP2Wins = numTies = 0;
  }
  void TearDown() override {
    NodePool::setMaxSize(NodePool::kDefaultCapacity);
    EXPECT_EQ(NodePool::size(), NodePool::maxSize()) << "the test left nodes behind";
  }

  // Shrinks the pool's capacity so that exactly `free` nodes are free.
  static void leaveFreeNodes(std::uint64_t free) {
    NodePool::setMaxSize(NodePool::maxSize() - NodePool::size() + free);
  }
  static int counterSum() { return numP1Wins + numP2Wins + numTies; }
};

}  // namespace searchtest
