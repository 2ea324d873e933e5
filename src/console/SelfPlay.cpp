#include <iostream>
#include <sstream>
#include <string>

#include "BoardDrawing.h"
#include "ComputerTurn.h"
#include "Modes.h"
#include "RecordFile.h"

namespace {

constexpr double kSelfPlaySeconds = 3.5;

}  // namespace

void selfPlay() {
  game = new Node();
  try {
    while (game->getWinner() == 0) {
      Board2D board = make_Board2D();
      game->buildBoard2D(board);
      Quadrant states = make_Quadrant();
      game->buildQuadrant(states);
      print(std::cout, board, states, true);
      game = AI_move(game, kSelfPlaySeconds);
    }
    std::cout << "Winner:  " << game->getWinner() << std::endl;
    Board2D board = make_Board2D();
    game->buildBoard2D(board);
    std::cout << board;
    game->printTrace(std::cout);
    std::cout << std::endl;

    std::ostringstream record;
    game->printTrace(record);
    appendRecord(kRecordFileName, record.str());
  } catch (...) {
    std::cerr << "Failed to complete game" << std::endl;
  }
  deleteGameTree(game);
  game = nullptr;
}
