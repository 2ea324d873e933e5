#pragma once

#include <iosfwd>

#include "Node.h"

// Draws node's position as the interactive game shows it to the person: the
// board with the move that led there in brackets and, while the game goes
// on, who moves next and which quadrant that move must go in. With colour
// the drawing carries ANSI colour codes; its text stays the same.
void printPosition(std::ostream& out, const Node& node, bool colour);
