#include "Referee.h"

#include <array>

#include "GridMove.h"

std::string Referee::turnText() const {
  const GridSquare last = moves_.empty() ? GridSquare{} : toGrid(moves_.back());
  std::string valid;
  int count = 0;
  for (int row = 0; row < 9; ++row) {
    for (int col = 0; col < 9; ++col) {
      const Move m = fromGrid({row, col});
      if (!position_.isLegal(m.global, m.local)) continue;
      valid += std::to_string(row) + " " + std::to_string(col) + "\n";
      ++count;
    }
  }
  return std::to_string(last.row) + " " + std::to_string(last.col) + "\n" + std::to_string(count) + "\n" + valid;
}

const char* faultName(Fault fault) {
  switch (fault) {
    case Fault::Crash:
      return "crash";
    case Fault::Timeout:
      return "timeout";
    case Fault::Malformed:
      return "malformed answer";
    case Fault::Illegal:
      return "illegal move";
  }
  return "fault";
}

std::variant<Move, Fault> Referee::judge(std::string_view answer) const {
  std::array<int, 2> rc{};
  if (!parseIntegers(answer, rc, true)) return Fault::Malformed;
  const GridSquare s{rc[0], rc[1]};
  if (!onGrid(s)) return Fault::Illegal;
  const Move m = fromGrid(s);
  if (!position_.isLegal(m.global, m.local)) return Fault::Illegal;
  return m;
}

void Referee::play(const Move& move) {
  position_.play(move.global, move.local);
  moves_.push_back(move);
}

std::string Referee::record() const {
  std::string line;
  for (const Move& m : moves_) {
    if (!line.empty()) line += ' ';
    line += static_cast<char>('0' + m.global);
    line += static_cast<char>('0' + m.local);
  }
  return line;
}
