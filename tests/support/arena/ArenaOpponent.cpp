#include "ArenaOpponent.h"

#include <sstream>
#include <vector>

std::string ArenaOpponent::nextTurn() {
  if (referee_.winner() == 0 && referee_.playerToMove() != botPlayer_) {
    // The valid actions follow the last-move and count lines of a turn's input.
    std::istringstream turn(referee_.turnText());
    std::string line;
    std::vector<std::string> actions;
    for (int i = 0; std::getline(turn, line); ++i)
      if (i >= 2) actions.push_back(line);
    const std::string& pick = actions[std::uniform_int_distribution<std::size_t>(0, actions.size() - 1)(random_)];
    referee_.play(std::get<Move>(referee_.judge(pick)));
  }
  return referee_.winner() == 0 ? referee_.turnText() : "";
}

bool ArenaOpponent::answer(const std::string& line) {
  const std::variant<Move, Fault> judged = referee_.judge(line);
  if (const Fault* fault = std::get_if<Fault>(&judged)) {
    failure_ = std::string(faultName(*fault)) + " in answer " + std::to_string(answers_ + 1) + ": " + line;
    return false;
  }
  referee_.play(std::get<Move>(judged));
  ++answers_;
  return true;
}
