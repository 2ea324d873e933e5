#include "Features.h"

namespace nnue::features {

namespace {

// The player index of the side to move (0 or 1).
int mover(const Position& pos) { return pos.lastPlayer == 1 ? 1 : 0; }

int forcedFeature(const Position& pos, int perspective) {
  const int whose = mover(pos) == perspective ? 0 : 10;
  return kForcedBase + whose + (pos.next >= 0 ? pos.next : 9);
}

// Quadrant masks of the three quadrant states, in feature order for perspective.
void quadrantMasks(const Position& pos, int perspective, unsigned (&masks)[3]) {
  masks[0] = pos.won[perspective];
  masks[1] = pos.won[1 - perspective];
  masks[2] = pos.closed;
}

// Pushes index(bit) for every set bit of mask.
template <typename Index>
void pushBits(unsigned mask, List& out, Index index) {
  while (mask != 0) {
    const int bit = __builtin_ctz(mask);
    out.push(index(bit));
    mask &= mask - 1;
  }
}

}  // namespace

void active(const Position& pos, int perspective, List& out) {
  out.size = 0;
  for (int q = 0; q < 9; ++q)
    for (int side = 0; side < 2; ++side) {
      const int owner = side == 0 ? perspective : 1 - perspective;
      pushBits(pos.marks[owner][q], out,
               [&](int c) { return kCellBase + 2 * (9 * q + c) + side; });
    }
  unsigned masks[3];
  quadrantMasks(pos, perspective, masks);
  for (int kind = 0; kind < 3; ++kind)
    pushBits(masks[kind], out, [&](int q) { return kQuadrantBase + 3 * q + kind; });
  out.push(forcedFeature(pos, perspective));
}

void changed(const Position& before, const Position& after, int perspective, List& added,
             List& removed) {
  added.size = 0;
  removed.size = 0;
  for (int q = 0; q < 9; ++q)
    for (int side = 0; side < 2; ++side) {
      const int owner = side == 0 ? perspective : 1 - perspective;
      const unsigned was = before.marks[owner][q];
      const unsigned now = after.marks[owner][q];
      if (was == now) continue;
      const auto index = [&](int c) { return kCellBase + 2 * (9 * q + c) + side; };
      pushBits(now & ~was, added, index);
      pushBits(was & ~now, removed, index);
    }
  unsigned was[3];
  unsigned now[3];
  quadrantMasks(before, perspective, was);
  quadrantMasks(after, perspective, now);
  for (int kind = 0; kind < 3; ++kind) {
    const auto index = [&](int q) { return kQuadrantBase + 3 * q + kind; };
    pushBits(now[kind] & ~was[kind], added, index);
    pushBits(was[kind] & ~now[kind], removed, index);
  }
  const int forcedBefore = forcedFeature(before, perspective);
  const int forcedAfter = forcedFeature(after, perspective);
  if (forcedBefore != forcedAfter) {
    added.push(forcedAfter);
    removed.push(forcedBefore);
  }
}

void changedByMove(const Position& before, const Position& after, int quadrant, int cell, int perspective,
                   List& added, List& removed) {
  added.size = 0;
  removed.size = 0;
  const int side = mover(before) == perspective ? 0 : 1;
  added.push(kCellBase + 2 * (9 * quadrant + cell) + side);
  // Only the quadrant played in can change its state, and only from open.
  unsigned was[3];
  unsigned now[3];
  quadrantMasks(before, perspective, was);
  quadrantMasks(after, perspective, now);
  for (int kind = 0; kind < 3; ++kind)
    if ((now[kind] & ~was[kind]) >> quadrant & 1u) added.push(kQuadrantBase + 3 * quadrant + kind);
  // The mover changes with every move, so this feature always does.
  removed.push(forcedFeature(before, perspective));
  added.push(forcedFeature(after, perspective));
}

}  // namespace nnue::features
