#include "PositionDrawing.h"

#include "BoardDrawing.h"

void printPosition(std::ostream& out, const Node& node, bool colour) {
  Board2D board = make_Board2D();
  node.buildBoard2D(board);
  Quadrant states = make_Quadrant();
  node.buildQuadrant(states);
  BoardMarks marks;
  marks.lastMove = node.getMove();
  if (node.getWinner() == 0) {
    marks.toMove = 3 - node.getPlayer();
    marks.nextQuadrant = node.getNextQuadrant();
  }
  marks.colour = colour;
  print(out, board, states, false, marks);
}
