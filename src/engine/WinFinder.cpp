#include "Game.h"

namespace {

// First cell of quadrant q whose mark wins it at once for player, or -1.
int winningCell(const Node* node, int q, int player) {
  Quadrant cells = make_Quadrant();
  node->buildQuadrant(cells, q);
  for (int k = 0; k < 9; ++k)
    if (cells[k] == 0 && potential3inRow(cells, k, player)) return k;
  return -1;
}

}  // namespace

std::unique_ptr<Move> isWin(Node* node) {
  const int player = node->getPlayer() == 1 ? 2 : 1;
  Quadrant states = make_Quadrant();
  node->buildQuadrant(states);

  if (node->getNextQuadrant() == -1) {
    for (int g = 0; g < 9; ++g) {
      if (states[g] != 0 || !potential3inRow(states, g, player)) continue;
      if (const int k = winningCell(node, g, player); k >= 0) return std::make_unique<Move>(g, k);
    }
    return nullptr;
  }
  const int f = node->getNextQuadrant();
  if (!potential3inRow(states, f, player)) return nullptr;
  if (const int k = winningCell(node, f, player); k >= 0) return std::make_unique<Move>(f, k);
  return nullptr;
}
