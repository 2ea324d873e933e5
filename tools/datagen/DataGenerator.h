#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "TrainingData.h"

// Training positions from the engine's own games: a few random opening
// moves, then the engine's search plays both sides, and every position it
// searched is kept with the searched move's statistics and, once the game
// ends, its result.
struct GeneratorOptions {
  std::uint64_t seed = 1;
  // Pool nodes per search: the search runs until the pool is nearly full, so
  // this is the budget of each move, the same on any machine.
  std::uint64_t poolNodes = 40000;
  int minOpening = 2;  // random moves before the engine plays, at least
  int maxOpening = 8;  // and at most
};

// Plays games number first, first + step, first + 2 * step, ... below end
// and appends their positions to out, calling onGame(positions of that game)
// after each. Game n's play depends only on the seed and n: every random
// source of the engine is reseeded from them, so any split of the numbers
// among workers gives the same games. Leaves the node pool's capacity at
// options.poolNodes, and mutes standard output while it runs (the search
// reports there).
void generateGames(const GeneratorOptions& options, int first, int end, int step,
                   std::vector<Sample>& out, const std::function<void(int)>& onGame = {});
