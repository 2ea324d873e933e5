#pragma once

#include "Node.h"

// The current position of the running game, shared by the playing modes.
// Null while no game runs; the mode that starts a game owns the tree.
extern Node* game;

// Plays the computer's move on node (not null, game not finished) after
// thinking for about `seconds`, reporting the search on standard output, and
// returns the new position, a child of node. Messages thrown by the search
// ("No Move found...", "No Children...") pass through with node unchanged.
Node* AI_move(Node* node, double seconds);

// Frees a whole game tree from any of its nodes: climbs to the initial
// position and destroys everything below it, each node exactly once. Null is
// ignored.
void deleteGameTree(Node* node);
