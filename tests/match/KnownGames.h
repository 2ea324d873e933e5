#pragma once

#include <sstream>
#include <string>

// Whole games with a known result, as record lines (digit pairs "quadrant
// cell"; player 1 makes the first move), found by seeded random play and
// checked by the referee's tests.
namespace knownGames {

// Player 1 wins quadrants 0, 4 and 8 in 23 moves.
inline const std::string kPlayer1Wins = "06 60 08 80 04 42 26 62 23 35 52 21 11 12 20 01 17 77 72 81 14 40 02";
// Player 2 wins in 26 moves.
inline const std::string kPlayer2Wins =
    "56 68 87 75 53 32 25 50 03 38 80 02 23 34 40 00 06 67 73 30 04 42 20 01 10 66";
// No quadrant open after 45 moves and no line of won quadrants: a tie.
inline const std::string kTie =
    "41 15 57 70 02 25 55 53 31 18 81 12 20 07 74 46 65 56 68 80 08 84 44 45 58 88 05 50 48 62 26 60 23 30 75 72 47 "
    "78 71 67 77 61 34 35 37";

// One side's moves of a record (player 1 or 2), as a blank-separated script.
inline std::string movesOf(const std::string& record, int player) {
  std::istringstream in(record);
  std::string move;
  std::string script;
  for (int i = 0; in >> move; ++i) {
    if (i % 2 != player - 1) continue;
    if (!script.empty()) script += ' ';
    script += move;
  }
  return script;
}

}  // namespace knownGames
