#pragma once

#include <cstdlib>
#include <sstream>
#include <string>

#include "BoardDrawing.h"
#include "Game.h"
#include "Node.h"
#include "PositionDrawing.h"
#include "Random.h"

// Small helpers shared by the front end's tests.

// Seeds every random source the program draws from: the tie-break generator,
// rand() (expansion) and the playout generator.
inline void seedEverything(unsigned seed) {
  g_seed = seed;
  std::srand(seed);
  playoutRandom().reseed(seed);
}

// The board of node as the program draws it, without colour: as the
// interactive game shows it (the last move, who moves next and where), or
// with showStates as self-play does.
inline std::string drawing(const Node& node, bool showStates = false) {
  std::ostringstream out;
  if (!showStates) {
    printPosition(out, node, false);
    return out.str();
  }
  Board2D board = make_Board2D();
  node.buildBoard2D(board);
  Quadrant states = make_Quadrant();
  node.buildQuadrant(states);
  print(out, board, states, true);
  return out.str();
}
