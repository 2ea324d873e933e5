#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>
#include <stdexcept>

#include "Game.h"
#include "Node.h"
#include "NodePool.h"
#include "Random.h"

namespace bench {

// Every random source the search reads, set to fixed values so that runs
// follow the same games and build the same trees.
inline void seedEverything() {
  g_seed = 12345u;
  std::srand(12345);
  playoutRandom().reseed(12345);
}

// Plays `moves` moves from the node, each drawn from a fixed-seed generator
// among the legal moves (quadrant then cell order), and returns the node
// reached. The position it stands for is the same on every run; a sequence
// that would end the game is a broken benchmark, so it throws.
inline Node* playOpening(Node* node, int moves, std::uint32_t seed = 20) {
  std::mt19937 draw(seed);
  for (int n = 0; n < moves; ++n) {
    const Position& pos = node->position();
    Move legal[81];
    unsigned count = 0;
    for (int g = 0; g < 9; ++g)
      for (int l = 0; l < 9; ++l)
        if (pos.isLegal(g, l)) legal[count++] = Move(g, l);
    if (count == 0) throw std::logic_error("opening reached a finished game");
    node->setChild(legal[draw() % count]);
    node = node->getChildren().back();
  }
  if (node->getWinner() != 0) throw std::logic_error("opening reached a finished game");
  return node;
}

// Number of plies in the mid-game position the benchmarks use.
inline constexpr int kMidGameMoves = 20;

// A whole game tree (from the initial position) held by its top node, with
// the node the search runs on: the top itself or the mid-game node below it.
class Tree {
 public:
  explicit Tree(int openingMoves) : openingMoves_(openingMoves) { rebuild(); }
  ~Tree() { delete top_; }
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;

  Node* root() const { return root_; }

  // Frees everything and starts again from a fresh, unsearched position.
  void rebuild() {
    delete top_;
    top_ = new Node();
    root_ = playOpening(top_, openingMoves_);
    root_->init();
  }

 private:
  int openingMoves_;
  Node* top_ = nullptr;
  Node* root_ = nullptr;
};

}  // namespace bench
