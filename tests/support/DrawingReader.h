#pragma once

#include <string>
#include <vector>

#include "ProcessRunner.h"  // linesOf

#include "Move.h"

// Reading a drawn board back the way a person sees it, independently of the
// code that draws it: where the brackets and the '=' edges stand, and what
// the colour codes do to each character.

// The text with every ANSI escape sequence (ESC [ ... final letter) removed.
std::string withoutEscapes(const std::string& text);

// One visible character and the SGR parameters in force for it, as the
// sequences since the last reset set them ("" for the terminal's own style).
struct StyledChar {
  char c;
  std::string style;
};
std::vector<StyledChar> styledChars(const std::string& line);

// The cells drawn in brackets in a plain drawing (a leading empty line, then
// the 13 lines of the grid), in reading order.
std::vector<Move> bracketedCells(const std::string& drawing);

// The quadrants of a plain drawing with '=' on both their top and bottom edges.
std::vector<int> framedQuadrants(const std::string& drawing);

// The number of times c occurs in text.
std::size_t countOf(const std::string& text, char c);
