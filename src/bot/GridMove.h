#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "Move.h"

// The arena protocol's view of the board: one 9x9 grid of squares, row and
// column 0-8 from the top left, instead of (quadrant, cell) pairs. Shared by
// the bot and the match runner, which speak that protocol from both ends.

// A square of the 9x9 grid; (-1, -1) stands for "no move yet".
struct GridSquare {
  int row = -1;
  int col = -1;

  friend bool operator==(const GridSquare&, const GridSquare&) = default;
};

// Whether row and col both lie in 0-8.
inline bool onGrid(const GridSquare& s) { return s.row >= 0 && s.row <= 8 && s.col >= 0 && s.col <= 8; }

// The square of a move (quadrant and cell each 0-8).
inline GridSquare toGrid(const Move& m) {
  return {3 * (m.global / 3) + m.local / 3, 3 * (m.global % 3) + m.local % 3};
}

// The move at a square on the grid (the same mapping: it is its own inverse).
inline Move fromGrid(const GridSquare& s) {
  return Move(3 * (s.row / 3) + s.col / 3, 3 * (s.row % 3) + s.col % 3);
}

// Reads values.size() decimal integers (optional minus sign) from the start of
// line, separated and surrounded by blanks (spaces, tabs, a carriage return).
// With restAllowed, further blank-separated text may follow; otherwise only
// blanks. False, for example, on a missing number, "4x", or a value beyond int.
bool parseIntegers(std::string_view line, std::span<int> values, bool restAllowed);

// Line as it may be quoted in a one-line message: at most maxLength
// characters, each byte outside printable ASCII shown as "\xNN", with quotes
// around it.
std::string quoteLine(std::string_view line, std::size_t maxLength = 60);
