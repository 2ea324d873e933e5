#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <utility>
#include <vector>

// A deliberately plain model of the rules for checking the game-state library:
// 81 cells in one array, every answer worked out from scratch by brute force.
// Slow, and meant to be obviously right rather than fast.
class Node;

namespace reference {

// The eight rows, columns and diagonals of a 3x3 grid, indexes row by row.
extern const std::array<std::array<int, 3>, 8> kLines;

// 1 or 2 when that player holds a whole line of the nine values, else 0.
int lineOwner(const std::array<int, 9>& values);
// Whether player holds a whole line of the nine values.
bool holdsLine(const std::array<int, 9>& values, int player);
// Whether setting values[i] (currently anything) to player would give player a line through i.
bool wouldComplete(std::array<int, 9> values, int i, int player);
// Potential code of quadrant q from the quadrant states: bit 1 when winning q
// would complete player 1's line of quadrants, bit 2 likewise for player 2.
int potentialCode(const std::array<int, 9>& states, int q);

struct Game {
  std::array<int, 81> cells{};  // 9 * quadrant + cell: 0 empty, 1 or 2
  std::vector<std::pair<int, int>> moves;

  int cell(int q, int c) const { return cells[9 * q + c]; }
  std::array<int, 9> quadrantCells(int q) const;
  // 0 open, 1 or 2 won, -1 full without a line of either player.
  int quadrantState(int q) const;
  std::array<int, 9> quadrantStates() const;
  bool isOpen(int q) const { return quadrantState(q) == 0; }
  // Who made the last move: 2 before the first move.
  int lastPlayer() const { return moves.size() % 2 == 1 ? 1 : 2; }
  int playerToMove() const { return 3 - lastPlayer(); }
  // The quadrant the last move's cell names when it is open, else -1.
  int nextQuadrant() const;
  // 0 game goes on, 1 or 2 winner, -1 tie.
  int winner() const;
  // Entry 9 * quadrant + cell: whether that move may be played now.
  std::array<bool, 81> legalMask() const;
  // Whether (g, l) may be played now; indexes outside 0-8 are illegal.
  bool isLegal(int g, int l) const;
  std::vector<std::pair<int, int>> legalMoves() const;
  // Plays a legal move for the player to move.
  void play(int g, int l);
};

// A random legal move of an unfinished game.
std::pair<int, int> randomMove(const Game& game, std::mt19937& rng);

// The first position, in random games drawn from seed, for which wanted is
// true; positions are tried move by move from the empty board. Empty when
// none turns up within maxGames games.
std::optional<Game> findGame(std::uint32_t seed, int maxGames,
                             const std::function<bool(const Game&)>& wanted);

// Everything the node says about its position (player, winner, next quadrant,
// legality of all 81 moves, quadrant states, marks, move) compared with game.
::testing::AssertionResult matchesReference(const Node& node, const Game& game);

// Plays game's moves from root with Node::setChild; returns the last node.
Node* replay(Node* root, const Game& game);

}  // namespace reference
