#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "Move.h"
#include "Position.h"

// Why a bot lost a game before its end.
enum class Fault {
  Crash,      // its output closed without an answer: it exited, crashed or shut it
  Timeout,    // no whole answer line within the move's time limit
  Malformed,  // the answer does not start with two integers
  Illegal,    // the answer names a square that is not a valid action
};

// The fault's name in reports: "crash", "timeout", "malformed answer", "illegal move".
const char* faultName(Fault fault);

// The rules' side of one game between two arena bots: the board, the input
// each turn sends the player to move, and the judgement of its answer.
class Referee {
 public:
  // 1 or 2: whose turn it is.
  int playerToMove() const { return position_.playerToMove(); }
  // 0 while the game goes on, 1 or 2 the winner, -1 a tie (no quadrant open).
  int winner() const { return position_.winner; }

  // The turn's input for the player to move, each line ending in '\n': the
  // opponent's last move "row col" ("-1 -1" before the first move), the
  // number of valid actions, then each of them as "row col", in row then
  // column order.
  std::string turnText() const;

  // The move an answer line names when it starts with the "row col" of a
  // valid action (anything after those two numbers is ignored); otherwise
  // the fault, Malformed or Illegal. The game must not be over.
  std::variant<Move, Fault> judge(std::string_view answer) const;

  // Plays a legal move for the player to move.
  void play(const Move& move);

  // The moves so far as a record line: digit pairs "quadrant cell" separated
  // by blanks, without a line end.
  std::string record() const;

 private:
  Position position_;
  std::vector<Move> moves_;
};
