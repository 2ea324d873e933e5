#include <cctype>
#include <iostream>
#include <string>

#include "BoardDrawing.h"
#include "Modes.h"

namespace {

// The next character of the line that is not white space, or -1 at its end.
int nextNonBlank(const std::string& line, std::size_t& pos) {
  while (pos < line.size() && std::isspace(static_cast<unsigned char>(line[pos]))) ++pos;
  return pos < line.size() ? static_cast<unsigned char>(line[pos++]) : -1;
}

bool isIndexDigit(int c) { return c >= '0' && c <= '8'; }

}  // namespace

void analyze() {
  int gameNumber = 0;
  std::string line;
  while (std::getline(std::cin, line)) {
    Board2D board = make_Board2D();
    Quadrant states = make_Quadrant();
    int mark = 1;
    std::size_t pos = 0;
    // Moves are read as they stand: no rule is checked, a later move may
    // overwrite a cell, and the first pair that is not two digits 0-8 ends them.
    for (;;) {
      const int quadrant = nextNonBlank(line, pos);
      const int cell = nextNonBlank(line, pos);
      if (!isIndexDigit(quadrant) || !isIndexDigit(cell)) break;
      board[quadrant - '0'][cell - '0'] = mark;
      mark = mark == 1 ? 2 : 1;
    }
    for (int q = 0; q < 9; ++q) states[q] = check3InRow(board[q]);
    const int winner = check3InRow(states);

    ++gameNumber;
    std::cout << "Game " << gameNumber << ":" << std::endl;
    print(std::cout, board, states, true);
    std::cout << "Winner:  " << winner << std::endl;
  }
}
