#pragma once

#include <cstdlib>
#include <sstream>
#include <string>

#include "Board.h"
#include "Game.h"
#include "Node.h"
#include "Random.h"

// Small helpers shared by the front end's tests.

// Seeds every random source the program draws from: the tie-break generator,
// rand() (expansion) and the playout generator.
inline void seedEverything(unsigned seed) {
  g_seed = seed;
  std::srand(seed);
  playoutRandom().reseed(seed);
}

// The board of node as the program draws it with print(); showStates as the
// caller of print passes it (false in the interactive game, true elsewhere).
inline std::string drawing(const Node& node, bool showStates = false) {
  Board2D board = make_Board2D();
  node.buildBoard2D(board);
  Quadrant states = make_Quadrant();
  node.buildQuadrant(states);
  std::ostringstream out;
  print(out, board, states, showStates);
  return out.str();
}
