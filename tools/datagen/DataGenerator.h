#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Network.h"
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
  // One position in keepOneIn, drawn at random, is searched at poolNodes and
  // kept; the others are played by a search at movePoolNodes (0: poolNodes)
  // and not kept. Positions of one game share much, so many games with a few
  // positions each teach more than a few games kept whole.
  int keepOneIn = 1;
  std::uint64_t movePoolNodes = 0;
  // The share of moves after the opening drawn uniformly instead of searched:
  // the network must also judge the poor positions a search tree holds.
  double randomMoveShare = 0.0;
  // With a positive value, a kept position's search also gives a sample of
  // each of its moves visited at least this often (see searchMove). Those
  // samples take the game's result from their side to move, which is only
  // a guess where the move was not played.
  int childMinVisits = 0;
  // Leaf evaluation of the engine that plays (the network's games make the
  // next generation's data).
  bool networkEngine = false;
  // Network priors of the engine that plays (0: none), given at priorAt own
  // visits of a node. Their results count in the kept statistics, so a
  // sample's value leans a little towards the network that made it.
  std::int32_t priorVisits = 0;
  // 16 by default, the bot's count when the shipped network's data was made,
  // so that its commands still reproduce it.
  std::int32_t priorAt = 16;
  // The network of the engine that plays; the built-in one when null.
  std::shared_ptr<const nnue::Network> network;
};

// Plays games number first, first + step, first + 2 * step, ... below end
// and appends their positions to out, calling onGame(positions of that game)
// after each. Game n's play depends only on the seed and n: every random
// source of the engine is reseeded from them, so any split of the numbers
// among workers gives the same games. Leaves the node pool's capacity at
// options.poolNodes and the program's search set up as options say (its
// network pointing into options.network), and mutes standard output while
// it runs (the search reports there).
void generateGames(const GeneratorOptions& options, int first, int end, int step,
                   std::vector<Sample>& out, const std::function<void(int)>& onGame = {});
