#include <exception>
#include <iostream>
#include <sstream>
#include <string>

#include "ComputerTurn.h"
#include "ConsoleInput.h"
#include "Game.h"
#include "Modes.h"
#include "PositionDrawing.h"
#include "Terminal.h"

namespace {

void showPosition(bool colour) { printPosition(std::cout, *game, colour); }

// One attempt at the side: anything but 1 or 2 ends the game.
int askSide(std::string& line) {
  std::cout << "Play as Player 1 or 2:  ";
  int side = 0;
  if (consoleInput::readLine(line)) {
    std::istringstream in(line);
    consoleInput::readInt(in, side);
  }
  if (side != 1 && side != 2) throw "Invalid Player Number:  " + std::to_string(side);
  return side;
}

// One attempt at the thinking time: a blank line or end of input keeps the
// default, text that is not a number gives 0, any number is taken as it is.
double askThinkingTime(std::string& line) {
  double seconds = 3.0;
  std::cout << "Enter thinking time for AI (in seconds):  ";
  if (consoleInput::readLine(line) && !consoleInput::isBlank(line)) {
    std::istringstream in(line);
    double value = 0.0;
    in >> value;  // stores 0 when no number starts the line
    seconds = value;
  }
  return seconds;
}

// Reads move lines until one is legal; false when input ends first. Wrong
// lines get their message and the board and prompt again.
bool readHumanMove(std::string& line, Move& move, bool colour) {
  for (;;) {
    showPosition(colour);
    std::cout << "Enter Move:   ";
    if (!consoleInput::readLine(line)) return false;
    std::istringstream in(line);
    int first = 0;
    if (!consoleInput::readInt(in, first)) {
      std::cout << "Please Enter move in quadrant:  " << game->getNextQuadrant() << std::endl;
      continue;
    }
    int second = 0;
    if (consoleInput::readInt(in, second)) {
      move = Move(first, second);
    } else if (game->getNextQuadrant() == -1) {
      std::cout << "Need a global input" << std::endl;
      continue;
    } else {
      // A lone number is the cell; the quadrant is where the last move sent us.
      move = Move(game->getLocal(), first);
    }
    const bool inRange = move.global >= 0 && move.global <= 8 && move.local >= 0 && move.local <= 8;
    if (!inRange || !game->isLegal(move)) {
      std::cout << "Not Valid Move:  " << move.global << " " << move.local << std::endl;
      continue;
    }
    return true;
  }
}

void dialogue(std::string& line, bool colour) {
  const int side = askSide(line);
  const double seconds = askThinkingTime(line);
  if (side == 2) game = AI_move(game, seconds);
  while (game->getWinner() == 0) {
    Move move;
    if (!readHumanMove(line, move, colour)) break;
    game->setChild(move);
    game = game->getChildren().back();
    showPosition(colour);
    if (game->getWinner() == 0) game = AI_move(game, seconds);
  }
  showPosition(colour);
  std::cout << "Winner:  " << game->getWinner() << std::endl << std::endl;
}

}  // namespace

void play() {
  game = new Node();
  std::string line;
  try {
    // Expanding the initial position before the first prompt gives the
    // computer a tree to start from whichever side it plays.
    select(game);
    // Colour only on a terminal: pipes and files get plain text.
    dialogue(line, terminal::stdoutWantsColour());
  } catch (const std::string& message) {
    std::cerr << message << std::endl;
  } catch (const char* message) {
    std::cerr << message << std::endl;
  } catch (const std::exception& failure) {
    // Out of memory or pool exhausted: end this game cleanly rather than abort.
    std::cerr << failure.what() << std::endl;
  }
  deleteGameTree(game);
  game = nullptr;
}
