#include <gtest/gtest.h>

#include <cstdint>

#include "MovePrior.h"
#include "Position.h"

namespace {

// X (player 1) to move in quadrant `next`, with the given marks per quadrant.
struct Board {
  Position p;
  explicit Board(int next) {
    p.lastPlayer = 2;
    p.next = static_cast<std::int8_t>(next);
  }
  Board& x(int q, std::initializer_list<int> cells) { return mark(0, q, cells); }
  Board& o(int q, std::initializer_list<int> cells) { return mark(1, q, cells); }
  Board& wonByX(int q) {
    p.won[0] = static_cast<std::uint16_t>(p.won[0] | (1u << q));
    return *this;
  }
  Board& mark(int player, int q, std::initializer_list<int> cells) {
    for (int c : cells) p.marks[player][q] = static_cast<std::uint16_t>(p.marks[player][q] | (1u << c));
    return *this;
  }
};

// Each feature alone and together: what the move does in its own quadrant
// (win it, block a line) and where it sends the opponent (a free choice, a
// quadrant they win at once).
TEST(MovePriorTest, FeaturesOfTheMoveAddUp) {
  EXPECT_EQ(movePrior(Board(4).p, 4, 7), 0);
  EXPECT_EQ(movePrior(Board(4).x(4, {0, 1}).p, 4, 2), 2);            // wins quadrant 4
  EXPECT_EQ(movePrior(Board(0).o(0, {0, 1}).p, 0, 2), 1);            // blocks O's row
  EXPECT_EQ(movePrior(Board(4).wonByX(2).p, 4, 2), -2);              // free choice for O
  EXPECT_EQ(movePrior(Board(4).o(5, {0, 1}).p, 4, 5), -1);           // O wins quadrant 5 next
  EXPECT_EQ(movePrior(Board(4).x(4, {0, 8}).p, 4, 4), 0);            // wins 4, whose closing frees O
  EXPECT_EQ(movePrior(Board(4).o(4, {0, 8}).p, 4, 4), 1);            // blocks, and O's threat is gone
  EXPECT_EQ(movePrior(Board(4).o(4, {0, 8}).o(2, {3, 4}).p, 4, 2), -1);  // no block; O wins 2 next
  // A full quadrant sends to a free choice too.
  Board full(4);
  full.x(6, {0, 1, 5, 6}).o(6, {2, 3, 4, 7, 8});
  full.p.closed = 1u << 6;
  EXPECT_EQ(movePrior(full.p, 4, 6), -2);
}

}  // namespace
