// The arena grid's coordinates and the strict reading of protocol lines.

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

#include "GridMove.h"

namespace {

TEST(GridMove, SquaresFollowQuadrantRowsAndColumns) {
  EXPECT_EQ(toGrid(Move(0, 0)), (GridSquare{0, 0}));
  EXPECT_EQ(toGrid(Move(4, 4)), (GridSquare{4, 4}));
  EXPECT_EQ(toGrid(Move(2, 6)), (GridSquare{2, 6}));  // top-right quadrant, its bottom-left cell
  EXPECT_EQ(toGrid(Move(3, 2)), (GridSquare{3, 2}));  // middle-left quadrant, its top-right cell
  EXPECT_EQ(toGrid(Move(7, 5)), (GridSquare{7, 5}));
  EXPECT_EQ(toGrid(Move(5, 1)), (GridSquare{3, 7}));
  EXPECT_EQ(toGrid(Move(8, 8)), (GridSquare{8, 8}));
}

TEST(GridMove, EverySquareIsOneMoveAndBack) {
  std::set<std::pair<int, int>> squares;
  for (int g = 0; g < 9; ++g) {
    for (int l = 0; l < 9; ++l) {
      const GridSquare s = toGrid(Move(g, l));
      EXPECT_TRUE(onGrid(s));
      EXPECT_EQ(fromGrid(s), Move(g, l));
      squares.insert({s.row, s.col});
    }
  }
  EXPECT_EQ(squares.size(), 81u);
  EXPECT_FALSE(onGrid(GridSquare{}));
  EXPECT_FALSE(onGrid({9, 0}));
  EXPECT_FALSE(onGrid({0, -1}));
}

TEST(GridMove, ParsesExactlyTheNumbersAsked) {
  std::array<int, 2> rc{};
  for (const char* good : {"4 4", "  4\t4 ", "4 4\r", "-1 -1", "08 0"}) {
    SCOPED_TRACE(good);
    EXPECT_TRUE(parseIntegers(good, rc, false));
  }
  EXPECT_TRUE(parseIntegers("-1 -1", rc, false));
  EXPECT_EQ(rc, (std::array<int, 2>{-1, -1}));
  for (const char* bad : {"", " ", "4", "4 4 4", "4x 4", "4 4x", "+4 4", "4,4", "- 4 4", "4 99999999999",
                          "4\n4"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(parseIntegers(bad, rc, false));
  }
}

TEST(GridMove, ARestMayFollowTheNumbersWhenAllowed) {
  std::array<int, 2> rc{};
  EXPECT_TRUE(parseIntegers("7 3 winrate 0.5 playouts 100", rc, true));
  EXPECT_EQ(rc, (std::array<int, 2>{7, 3}));
  EXPECT_TRUE(parseIntegers("7 3", rc, true));
  EXPECT_FALSE(parseIntegers("7 3x", rc, true));  // the rest starts after a blank
  EXPECT_FALSE(parseIntegers("7", rc, true));
}

TEST(GridMove, QuotedLinesStayOnOneLine) {
  EXPECT_EQ(quoteLine("4 4"), "\"4 4\"");
  EXPECT_EQ(quoteLine("a\tb\r\x7f\xc3\xa9"), "\"a\\x09b\\x0D\\x7F\\xC3\\xA9\"");
  EXPECT_EQ(quoteLine(std::string(70, 'x'), 5), "\"xxxxx...\"");
}

}  // namespace
