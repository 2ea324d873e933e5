#pragma once

#include <array>
#include <cstdint>

#include "LineTables.h"

// A whole game position as bit masks: for each player and quadrant the 9-bit
// mask of that player's marks, the masks of won and closed quadrants, and the
// facts the search asks for most (who moved last, where the next move goes,
// the result). Applying a move costs a handful of table look-ups.
struct Position {
  std::array<std::array<std::uint16_t, 9>, 2> marks{};  // [player - 1][quadrant]
  std::array<std::uint16_t, 2> won{};                   // [player - 1], quadrant mask
  std::uint16_t closed = 0;      // quadrants filled without a line
  std::int8_t next = -1;         // quadrant the next move must be in, or -1 for free choice
  std::int8_t winner = 0;        // 0 game goes on, 1 or 2 winner, -1 tie
  std::uint8_t lastPlayer = 2;   // who made the last move (2 before the first move)

  std::uint16_t openQuadrants() const {
    return static_cast<std::uint16_t>(lines::kFull & ~(won[0] | won[1] | closed));
  }
  std::uint16_t occupied(int q) const {
    return static_cast<std::uint16_t>(marks[0][q] | marks[1][q]);
  }
  int playerToMove() const { return lastPlayer == 1 ? 2 : 1; }

  // Mask of quadrants a move may be played in now (0 once the game is over).
  std::uint16_t playableQuadrants() const {
    if (winner != 0) return 0;
    return next >= 0 ? static_cast<std::uint16_t>(1u << next) : openQuadrants();
  }

  // Whether (g, l) may be played now; indexes outside 0-8 are illegal.
  bool isLegal(int g, int l) const {
    if (g < 0 || g > 8 || l < 0 || l > 8) return false;
    return (playableQuadrants() >> g & 1u) && !(occupied(g) >> l & 1u);
  }

  // Plays (g, l) for the player to move. Expects a legal move; an illegal one
  // leaves the masks consistent but the game it describes is no longer real.
  void play(int g, int l) {
    const int p = playerToMove();
    const int i = p - 1;
    const std::uint16_t qbit = static_cast<std::uint16_t>(1u << g);
    marks[i][g] = static_cast<std::uint16_t>(marks[i][g] | (1u << l));
    lastPlayer = static_cast<std::uint8_t>(p);
    if (openQuadrants() & qbit) {
      if (lines::kHasLine[marks[i][g]]) {
        won[i] = static_cast<std::uint16_t>(won[i] | qbit);
        if (lines::kHasLine[won[i]]) winner = static_cast<std::int8_t>(p);
      } else if (occupied(g) == lines::kFull) {
        closed = static_cast<std::uint16_t>(closed | qbit);
      }
    }
    const std::uint16_t open = openQuadrants();
    if (winner == 0 && open == 0) winner = -1;
    next = static_cast<std::int8_t>((open >> l & 1u) ? l : -1);
  }

  // Quadrant state as the arrays show it: 0 open, 1 or 2 won, -1 closed.
  int quadrantState(int q) const {
    if (won[0] >> q & 1u) return 1;
    if (won[1] >> q & 1u) return 2;
    if (closed >> q & 1u) return -1;
    return 0;
  }
  // Cell as the arrays show it: 0 empty, 1 or 2 that player's mark.
  int cell(int q, int c) const {
    if (marks[0][q] >> c & 1u) return 1;
    if (marks[1][q] >> c & 1u) return 2;
    return 0;
  }
};
