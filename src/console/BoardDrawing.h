#pragma once

#include <iosfwd>

#include "Board.h"
#include "Move.h"

// The drawing of the board for a person at a terminal.

// What a drawing adds for a person about to move. Every field is optional;
// the default adds nothing, so the board is drawn plain as before.
struct BoardMarks {
  // The move that led to the position: its cell is drawn in brackets and a
  // line beside the board names it. (-1, -1) for none.
  Move lastMove;
  // The quadrant the next move must go in, its frame drawn with '=' instead
  // of '-'; -1 when no quadrant is forced.
  int nextQuadrant = -1;
  // The player to move (1 or 2): a line beside the board says who moves and
  // where, the forced quadrant or any open one. 0 leaves the line out.
  int toMove = 0;
  // ANSI colours for a terminal: X and O, the forced quadrant, won quadrants
  // tinted by their winner, closed ones dimmed. Without them the text is the
  // same, character for character.
  bool colour = false;
};

// Draws the board with its quadrant states for a person at a terminal: X for
// player 1, O for player 2, dots for playable empty cells and a map of the
// large grid beside it. With showStates the map also lists every quadrant's
// state in words, for reading a finished game; marks adds the last move, the
// player to move and the quadrant to play in. Fits in 80 columns.
void print(std::ostream& out, const Board2D& board, const Quadrant& states, bool showStates,
           const BoardMarks& marks = {});
// Draws the board alone, working out won and closed quadrants from the marks.
std::ostream& operator<<(std::ostream& out, const Board2D& board);
