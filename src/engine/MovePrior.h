#pragma once

#include "Position.h"

// A quick judgement of a move from features of the position, for ordering the
// search's first looks at new children: -3 (bad) to 3 (good). Plus for winning
// a quadrant or taking a cell the opponent needs to win one; minus for sending
// the opponent to a won or full quadrant (a free choice) or to a quadrant they
// can win at once. Expects a legal move in an unfinished position.
int movePrior(const Position& pos, int quadrant, int cell);
