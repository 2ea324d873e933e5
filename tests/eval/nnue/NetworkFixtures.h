#pragma once

#include <memory>
#include <random>
#include <vector>

#include "Network.h"
#include "Position.h"

// Seeded networks and games for the network's tests.
namespace nnue::testing {

// A network with every weight drawn uniformly from its whole legal range
// (first layer kept small enough that the clipped ReLU sees all its cases).
inline std::unique_ptr<Network> randomNetwork(unsigned seed) {
  std::mt19937 draw(seed);
  auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(draw); };
  auto net = std::make_unique<Network>();
  for (auto& b : net->hiddenBias) b = static_cast<std::int16_t>(uniform(-60, 100));
  for (auto& row : net->hiddenWeights)
    for (auto& w : row) w = static_cast<std::int16_t>(uniform(-40, 40));
  for (auto& b : net->layer2Bias) b = uniform(-20000, 20000);
  for (auto& row : net->layer2Weights)
    for (auto& w : row) w = static_cast<std::int8_t>(uniform(-127, 127));
  for (auto& b : net->outputBias) b = uniform(-20000, 20000);
  for (auto& row : net->outputWeights)
    for (auto& w : row) w = static_cast<std::int8_t>(uniform(-127, 127));
  return net;
}

// The positions of one game of uniformly random legal moves, from the
// initial position to its end.
inline std::vector<Position> randomGame(unsigned seed) {
  std::mt19937 draw(seed);
  std::vector<Position> game(1);
  while (game.back().winner == 0) {
    const Position& pos = game.back();
    int legal[81];
    int count = 0;
    for (int m = 0; m < 81; ++m)
      if (pos.isLegal(m / 9, m % 9)) legal[count++] = m;
    const int m = legal[draw() % count];
    Position next = pos;
    next.play(m / 9, m % 9);
    game.push_back(next);
  }
  return game;
}

}  // namespace nnue::testing
