#include "Accumulator.h"

#include <gtest/gtest.h>

#include "NetworkFixtures.h"

namespace nnue {
namespace {

Accumulator refreshed(const Network& net, const Position& pos) {
  Accumulator acc;
  acc.refresh(net, pos);
  return acc;
}

TEST(Accumulator, MoveByMoveUpdatesEqualAFreshSumAlongRandomGames) {
  const auto net = testing::randomNetwork(1);
  for (unsigned seed = 0; seed < 40; ++seed) {
    const std::vector<Position> game = testing::randomGame(seed);
    Accumulator acc = refreshed(*net, game[0]);
    for (std::size_t i = 1; i < game.size(); ++i) {
      Accumulator child;
      acc.updateInto(child, *net, game[i - 1], game[i]);
      acc.update(*net, game[i - 1], game[i]);
      const Accumulator fresh = refreshed(*net, game[i]);
      ASSERT_EQ(acc.values, fresh.values) << "game " << seed << ", ply " << i;
      ASSERT_EQ(child.values, fresh.values) << "game " << seed << ", ply " << i;
    }
  }
}

TEST(Accumulator, UpdatesAcrossSeveralMovesAtOnceEqualAFreshSum) {
  const auto net = testing::randomNetwork(2);
  const std::vector<Position> game = testing::randomGame(7);
  for (std::size_t from = 0; from < game.size(); from += 5)
    for (std::size_t to : {from + 1, from + 4, game.size() - 1, std::size_t{0}}) {
      if (to >= game.size()) continue;
      Accumulator acc = refreshed(*net, game[from]);
      acc.update(*net, game[from], game[to]);
      EXPECT_EQ(acc.values, refreshed(*net, game[to]).values) << from << " to " << to;
    }
}

TEST(Accumulator, ABoardSeenFromTheOtherSideSwapsThePerspectives) {
  // The same marks with the players' roles swapped: what player 1 saw, player 2 sees.
  const auto net = testing::randomNetwork(3);
  const std::vector<Position> game = testing::randomGame(11);
  for (const Position& pos : game) {
    Position mirrored = pos;
    std::swap(mirrored.marks[0], mirrored.marks[1]);
    std::swap(mirrored.won[0], mirrored.won[1]);
    mirrored.lastPlayer = static_cast<std::uint8_t>(pos.lastPlayer == 1 ? 2 : 1);
    const Accumulator a = refreshed(*net, pos);
    const Accumulator b = refreshed(*net, mirrored);
    EXPECT_EQ(a.values[0], b.values[1]);
    EXPECT_EQ(a.values[1], b.values[0]);
  }
}

}  // namespace
}  // namespace nnue
