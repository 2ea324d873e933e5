#include "Symmetry.h"

#include <gtest/gtest.h>

#include <set>

#include "NetworkFixtures.h"

namespace {

bool same(const Position& a, const Position& b) {
  return a.marks == b.marks && a.won == b.won && a.closed == b.closed && a.next == b.next &&
         a.winner == b.winner && a.lastPlayer == b.lastPlayer;
}

TEST(Symmetry, EightDistinctPermutationsOfTheGrid) {
  std::set<std::vector<int>> maps;
  for (int s = 0; s < symmetry::kCount; ++s) {
    std::vector<int> map;
    std::set<int> image;
    for (int i = 0; i < 9; ++i) {
      map.push_back(symmetry::mapIndex(s, i));
      image.insert(map.back());
    }
    EXPECT_EQ(image.size(), 9u);
    EXPECT_EQ(map[4], 4) << "the centre stays";
    maps.insert(map);
  }
  EXPECT_EQ(maps.size(), 8u);
}

TEST(Symmetry, MappedGamesFollowTheRules) {
  // Playing the mapped move in the mapped position reaches the mapped next position.
  for (unsigned seed = 0; seed < 5; ++seed) {
    const std::vector<Position> game = nnue::testing::randomGame(seed);
    for (std::size_t i = 1; i < game.size(); ++i) {
      int g = 0;
      while (game[i].marks[0][g] == game[i - 1].marks[0][g] && game[i].marks[1][g] == game[i - 1].marks[1][g]) ++g;
      const int l = __builtin_ctz(game[i].occupied(g) & ~game[i - 1].occupied(g));
      for (int s = 0; s < symmetry::kCount; ++s) {
        Position mapped = symmetry::apply(game[i - 1], s);
        ASSERT_TRUE(mapped.isLegal(symmetry::mapIndex(s, g), symmetry::mapIndex(s, l)));
        mapped.play(symmetry::mapIndex(s, g), symmetry::mapIndex(s, l));
        ASSERT_TRUE(same(mapped, symmetry::apply(game[i], s))) << "seed " << seed << " ply " << i;
      }
    }
  }
}

}  // namespace
