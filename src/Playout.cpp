#include "Game.h"
#include "Random.h"

// The playout works on bit masks: per player and quadrant the marks, the set
// of open quadrants, and per player the open quadrants whose winning would
// complete that player's line of quadrants (the "potential" of each quadrant,
// refreshed only when a quadrant is won). Empty cells are the complement of
// the marks, so nothing is counted or rescanned move by move.
int runSimulation(Node* node) {
  node->init();
  const Position& start = node->position();
  if (start.winner != 0) return start.winner;

  std::array<std::array<std::uint16_t, 9>, 2> marks = start.marks;
  std::array<std::uint16_t, 2> won = start.won;
  unsigned open = start.openQuadrants();
  if (open == 0) return -1;  // cannot happen for a real position; end rather than loop
  std::array<unsigned, 2> potential = {lines::kCompletes[won[0]] & open,
                                       lines::kCompletes[won[1]] & open};
  int sentTo = node->hasMove() ? node->getLocal() : -1;
  int lastMover = node->getPlayer();
  Random& rng = playoutRandom();

  for (;;) {
    const int mover = lastMover == 1 ? 2 : 1;
    const int me = mover - 1;
    const int q = (sentTo >= 0 && (open >> sentTo & 1u)) ? sentTo : rng.randomBit(open);
    const unsigned occupied = marks[0][q] | marks[1][q];
    const unsigned empty = lines::kFull & ~occupied;

    // Win in one: only where winning this quadrant completes the mover's line.
    if ((potential[me] >> q & 1u) && (lines::kCompletes[marks[me][q]] & empty)) return mover;

    const int k = rng.randomBit(empty);
    sentTo = k;
    marks[me][q] = static_cast<std::uint16_t>(marks[me][q] | (1u << k));
    lastMover = mover;

    if (lines::kHasLine[marks[me][q]]) {
      open &= ~(1u << q);
      won[me] = static_cast<std::uint16_t>(won[me] | (1u << q));
      if (lines::kHasLine[won[me]]) return mover;
      if (open == 0) return -1;
      potential = {lines::kCompletes[won[0]] & open, lines::kCompletes[won[1]] & open};
    } else if ((occupied | (1u << k)) == lines::kFull) {
      open &= ~(1u << q);
      if (open == 0) return -1;
    }
  }
}
