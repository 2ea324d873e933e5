#include "Features.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "NetworkFixtures.h"

namespace nnue {
namespace {

std::vector<int> sorted(const features::List& list) {
  std::vector<int> v(list.values, list.values + list.size);
  std::sort(v.begin(), v.end());
  return v;
}

TEST(Features, TheOtherSideIsTheMirrorOfThisOne) {
  for (const Position& pos : testing::randomGame(21)) {
    features::List mine;
    features::List theirs;
    features::List mirrored;
    features::active(pos, 0, mine);
    features::active(pos, 1, theirs);
    features::mirror(mine, mirrored);
    EXPECT_EQ(sorted(mirrored), sorted(theirs));
  }
}

TEST(Features, AMoveChangesAMarkAndWhereTheNextMoveGoes) {
  const std::vector<Position> game = testing::randomGame(22);
  for (std::size_t i = 1; i < game.size(); ++i) {
    features::List added;
    features::List removed;
    features::changed(game[i - 1], game[i], 0, added, removed);
    // One new mark, perhaps a closed quadrant; the forced-quadrant fact always changes side.
    EXPECT_GE(added.size, 2);
    EXPECT_LE(added.size, 3);
    EXPECT_EQ(removed.size, 1);
    EXPECT_GE(removed.values[0], features::kForcedBase);
  }
}

// Every legal move of positions along a few games, winning moves included,
// from both sides.
TEST(Features, ChangesFoundFromTheMoveEqualThoseFoundByComparison) {
  for (unsigned seed = 23; seed <= 26; ++seed) {
    for (const Position& pos : testing::randomGame(seed)) {
      for (int m = 0; m < 81; ++m) {
        if (!pos.isLegal(m / 9, m % 9)) continue;
        Position after = pos;
        after.play(m / 9, m % 9);
        for (int side = 0; side < 2; ++side) {
          features::List added, removed, addedByMove, removedByMove;
          features::changed(pos, after, side, added, removed);
          features::changedByMove(pos, after, m / 9, m % 9, side, addedByMove, removedByMove);
          EXPECT_EQ(sorted(addedByMove), sorted(added)) << "seed " << seed << " move " << m;
          EXPECT_EQ(sorted(removedByMove), sorted(removed)) << "seed " << seed << " move " << m;
        }
      }
    }
  }
}

}  // namespace
}  // namespace nnue
