#pragma once

#include "Position.h"
#include "Random.h"

// The random playout: the leaf evaluation the search was built on. Plays the
// game on from start with uniformly random moves drawn from rng, taking any
// win of the whole game in one move in the quadrant being played, and
// returns the winner (1 or 2) or -1 for a tie; never 0. Allocates nothing.
int playOut(const Position& start, Random& rng);
