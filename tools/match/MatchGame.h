#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>

#include "Referee.h"
#include "ReplyTimes.h"

// Time limits of one game between two bot processes.
struct GameLimits {
  // Longest wait for an answer, from the moment the turn's input is sent.
  std::chrono::milliseconds move{200};
  // Added to each side's first move, for its process to start.
  std::chrono::milliseconds startup{1000};
};

// A game lost before its end by the fault of one side.
struct Forfeit {
  int player = 0;  // 1 or 2: who lost
  Fault fault = Fault::Crash;
  // What happened, for the report: the offending answer line, quoted; the
  // time limit missed; or how the process ended and its last error line.
  std::string detail;
};

struct GameOutcome {
  int winner = 0;  // 1 or 2, or -1 for a tie
  std::optional<Forfeit> forfeit;
  std::string record;  // the moves played, as a record line
  // Milliseconds from sending each turn to receiving its answer, by player
  // (index 0 for player 1), leaving out each side's first turn: that one
  // includes starting the process.
  std::array<ReplyTimes, 2> replies;
};

// Plays one game: starts both commands through /bin/sh -c (player1 moves
// first), sends each turn's input to the player to move and judges its answer
// by the rules, until the game ends or a side forfeits by a crash, a timeout,
// a malformed or an illegal answer. Both processes are killed and reaped
// before it returns. Throws std::system_error when a process cannot start.
GameOutcome playGame(const std::string& player1, const std::string& player2, const GameLimits& limits);
