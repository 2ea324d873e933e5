#include <type_traits>

#include "Playout.h"

namespace {

// "No quadrant named": bit 9 is never set in a mask of open quadrants.
constexpr int kNoQuadrant = 9;

// Player indexes (player - 1) as types, so that each player's move compiles
// to its own straight code with the index folded in.
constexpr std::integral_constant<int, 0> kFirst{};
constexpr std::integral_constant<int, 1> kSecond{};

}  // namespace

// The playout works on bit masks: per player and quadrant the marks, per
// quadrant the empty cells, the set of open quadrants, and per player the
// open quadrants whose winning would complete that player's line of quadrants
// (the "potential" of each quadrant, refreshed only when a quadrant is won).
// Nothing is rescanned move by move. The empty cells and their counts are kept
// rather than the occupied cells because each move's draw waits on them: the
// chain from one move's cell to the next draw is the playout's critical path. The state is kept in plain locals (the
// generator too, copied in and written back) so that the compiler can hold it
// in registers across the loop.
int playOut(const Position& start, Random& generator) {
  if (start.winner != 0) return start.winner;

  unsigned open = start.openQuadrants();
  if (open == 0) return -1;  // cannot happen for a real position; end rather than loop
  std::array<std::array<std::uint16_t, 9>, 2> marks = start.marks;  // [player - 1][quadrant]
  std::array<std::uint16_t, 9> empty;
  std::array<std::uint32_t, 9> remaining;  // empty cells per quadrant
  for (int q = 0; q < 9; ++q) {
    empty[q] = static_cast<std::uint16_t>(lines::kFull & ~(marks[0][q] | marks[1][q]));
    remaining[q] = lines::kMembers[empty[q]][0];
  }
  unsigned won0 = start.won[0];
  unsigned won1 = start.won[1];
  unsigned potential0 = lines::kCompletes[won0] & open;
  unsigned potential1 = lines::kCompletes[won1] & open;
  int sentTo = start.next >= 0 ? start.next : kNoQuadrant;
  Random rng = generator;

  // One move by the player with index `me`; the game's result when it ends
  // with this move, otherwise 0.
  auto move = [&](auto me) -> int {
    constexpr int kMe = decltype(me)::value;
    unsigned& won = kMe == 0 ? won0 : won1;
    const unsigned potential = kMe == 0 ? potential0 : potential1;

    const int q = (open >> sentTo & 1u) ? sentTo : rng.randomBit(open);
    const unsigned free = empty[q];

    // Win in one: only where winning this quadrant completes the mover's line.
    if ((potential >> q & 1u) && (lines::kCompletes[marks[kMe][q]] & free)) return kMe + 1;

    // rng.randomBit(free), with the count of free cells at hand instead of
    // read from the table after them: the same draw, a shorter wait.
    const int k = lines::kMembers[free][1 + rng.below(remaining[q])];
    --remaining[q];
    const unsigned cell = 1u << k;
    sentTo = k;
    const unsigned mine = marks[kMe][q] | cell;
    marks[kMe][q] = static_cast<std::uint16_t>(mine);
    empty[q] = static_cast<std::uint16_t>(free & ~cell);

    if (lines::kHasLine[mine]) {
      open &= ~(1u << q);
      won |= 1u << q;
      if (lines::kHasLine[won]) return kMe + 1;
      if (open == 0) return -1;
      potential0 = lines::kCompletes[won0] & open;
      potential1 = lines::kCompletes[won1] & open;
    } else if (remaining[q] == 0) {
      open &= ~(1u << q);
      if (open == 0) return -1;
    }
    return 0;
  };

  // Player 1 moves first unless player 1 made the node's move.
  int result = start.lastPlayer == 1 ? move(kSecond) : 0;
  while (result == 0) {
    result = move(kFirst);
    if (result == 0) result = move(kSecond);
  }
  generator = rng;
  return result;
}
