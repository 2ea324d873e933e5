// The recorded-game analyser on crafted records: its whole standard output,
// with the expected boards drawn by the library's own print.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "BoardDrawing.h"
#include "Modes.h"
#include "ProcessRunner.h"

namespace {

using Moves = std::vector<std::pair<int, int>>;

// The board after moves, player 1 first, later marks overwriting earlier ones.
Board2D boardOf(const Moves& moves) {
  Board2D board = make_Board2D();
  int mark = 1;
  for (const auto& [q, c] : moves) {
    board[q][c] = mark;
    mark = 3 - mark;
  }
  return board;
}

std::string report(int number, const Board2D& board, const Quadrant& states, int winner) {
  std::ostringstream out;
  out << "Game " << number << ":\n";
  print(out, board, states, true);
  out << "Winner:  " << winner << "\n";
  return out.str();
}

// The report for moves on a board where no quadrant is won.
std::string plainReport(int number, const Moves& moves) {
  return report(number, boardOf(moves), make_Quadrant(), 0);
}

std::string analyse(const std::string& input) {
  const SessionResult r = runInProcess(analyze, input);
  EXPECT_EQ(r.err, "");
  return r.out;
}

TEST(Analyzer, EveryLineIsOneGameNumberedFromOne) {
  EXPECT_EQ(analyse(""), "");
  EXPECT_EQ(analyse("40 13\n\n   \t\n04\n"), plainReport(1, {{4, 0}, {1, 3}}) + plainReport(2, {}) +
                                                 plainReport(3, {}) + plainReport(4, {{0, 4}}));
  // A last line without its line end is a game like the others.
  EXPECT_EQ(analyse("40\n13"), plainReport(1, {{4, 0}}) + plainReport(2, {{1, 3}}));
  EXPECT_EQ(analyse("\n"), plainReport(1, {}));
}

TEST(Analyzer, WhiteSpaceAnywhereCarriesNoMeaning) {
  const std::string expected = plainReport(1, {{4, 0}, {1, 3}, {4, 2}});
  for (const std::string line :
       {"401342", "40 13 42", "4 0\t1 3  4\r2", " \t4\t0 1\r3 42 \r", "40 13 42\r"}) {
    SCOPED_TRACE("line [" + line + "]");
    EXPECT_EQ(analyse(line + "\n"), expected);
  }
}

TEST(Analyzer, MovesEndAtALoneDigitOrAPairThatIsNotTwoDigitsUpToEight) {
  EXPECT_EQ(analyse("40134\n"
                    "40 94 13\n"
                    "40 49 13\n"
                    "40 x1 13\n"
                    "40 1x 13\n"
                    "4-0 13\n"
                    "40 1"),
            plainReport(1, {{4, 0}, {1, 3}}) + plainReport(2, {{4, 0}}) + plainReport(3, {{4, 0}}) +
                plainReport(4, {{4, 0}}) + plainReport(5, {{4, 0}}) + plainReport(6, {}) +
                plainReport(7, {{4, 0}}));
}

// No rule is applied: a cell given twice holds the later mark, and any
// quadrant may follow any move.
TEST(Analyzer, LaterMovesOverwriteAndNoRuleIsChecked) {
  Board2D board = make_Board2D();
  board[4][0] = 2;
  board[0][0] = 1;
  EXPECT_EQ(analyse("40 40 00\n"), report(1, board, make_Quadrant(), 0));
}

TEST(Analyzer, QuadrantStatesAndWinnerComeFromTheLinesOfThree) {
  // Player 1 takes the top row of quadrants; the game is over after the 17th
  // move but the analyser does not care.
  const Moves topRow = {{0, 0}, {3, 0}, {0, 1}, {4, 1}, {0, 2}, {5, 2}, {1, 0}, {6, 3}, {1, 1},
                        {7, 4}, {1, 2}, {8, 5}, {2, 0}, {3, 6}, {2, 1}, {4, 7}, {2, 2}};
  // Player 2 takes the left column of quadrants, each by its middle row.
  const Moves leftColumn = {{2, 0}, {0, 3}, {2, 1}, {0, 4}, {2, 3}, {0, 5}, {5, 0}, {3, 3}, {5, 1},
                            {3, 4}, {5, 3}, {3, 5}, {7, 0}, {6, 3}, {7, 1}, {6, 4}, {7, 3}, {6, 5}};
  // Quadrant 4 filled without a line of three: its state stays 0, never a tie.
  const Moves fullQuadrant = {{4, 0}, {4, 1}, {4, 2}, {4, 4}, {4, 3}, {4, 5}, {4, 7}, {4, 6}, {4, 8}};
  auto record = [](const Moves& moves) {
    std::string line;
    for (const auto& [q, c] : moves) line += std::to_string(q) + std::to_string(c) + " ";
    return line + "\n";
  };
  EXPECT_EQ(analyse(record(topRow) + record(leftColumn) + record(fullQuadrant)),
            report(1, boardOf(topRow), {1, 1, 1, 0, 0, 0, 0, 0, 0}, 1) +
                report(2, boardOf(leftColumn), {2, 0, 0, 2, 0, 0, 2, 0, 0}, 2) +
                report(3, boardOf(fullQuadrant), make_Quadrant(), 0));
}

TEST(Analyzer, ManyRecordsInARow) {
  const std::vector<std::pair<std::string, Moves>> records = {
      {"40 13 42 25", {{4, 0}, {1, 3}, {4, 2}, {2, 5}}},
      {"", {}},
      {"8 8 0 0 7", {{8, 8}, {0, 0}}},
      {"4", {}}};
  std::string input;
  std::string expected;
  for (int n = 1; n <= 5000; ++n) {
    const auto& [line, moves] = records[static_cast<std::size_t>(n) % records.size()];
    input += line + "\n";
    expected += plainReport(n, moves);
  }
  EXPECT_EQ(analyse(input), expected);
}

}  // namespace
