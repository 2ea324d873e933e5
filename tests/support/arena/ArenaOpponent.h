#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "Referee.h"

// The arena's side of one game against a bot under test, whatever carries
// the lines: it writes each turn's input, judges the bot's answers by the
// rules, and plays the other side with seeded random valid actions.
class ArenaOpponent {
 public:
  // botPlayer (1 or 2) is the side of the bot under test.
  ArenaOpponent(int botPlayer, std::uint32_t seed) : botPlayer_(botPlayer), random_(seed) {}

  // The input of the bot's next turn, after the opponent's move when it is
  // the opponent's turn; "" once the game is over.
  std::string nextTurn();

  // Judges an answer line of the bot and plays its move. False, with the
  // reason in failure(), when it is not one of the turn's valid actions.
  bool answer(const std::string& line);

  // 0 while the game goes on, 1 or 2 the winner, -1 a tie.
  int winner() const { return referee_.winner(); }
  int answers() const { return answers_; }
  const std::string& failure() const { return failure_; }
  const Referee& referee() const { return referee_; }

 private:
  int botPlayer_;
  std::mt19937 random_;
  Referee referee_;
  int answers_ = 0;
  std::string failure_;
};
