// scripted_bot FIRST [SECOND]: an arena bot for the match runner's tests that
// plays a fixed script instead of thinking. FIRST is followed when the bot
// moves first (its first input line is "-1 -1"), SECOND otherwise (default:
// FIRST). A script is blank-separated steps, one per own turn:
//   qc        answer the move quadrant q, cell c (two digits), as "row col"
//   say:TEXT  answer TEXT as it is, '_' standing for a blank
//   hang      never answer again (keeps the process alive)
//   crash     write "scripted crash" to standard error and abort
//   quit      exit with status 0 without answering
//   pid:FILE  (no turn) write the process id to FILE and go on
// The bot reads each turn's whole input before it acts, and exits 0 at the
// end of input or once the script runs out.

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "GridMove.h"

int main(int argc, char* argv[]) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: scripted_bot FIRST [SECOND]" << std::endl;
    return 2;
  }
  std::string line;
  std::istringstream script;
  bool first = true;
  while (std::getline(std::cin, line)) {
    if (first) {
      script.str(line.rfind("-1 -1", 0) == 0 || argc == 2 ? argv[1] : argv[2]);
      first = false;
    }
    int count = 0;
    if (!std::getline(std::cin, line) || !(std::istringstream(line) >> count)) return 1;
    for (int i = 0; i < count; ++i)
      if (!std::getline(std::cin, line)) return 1;

    std::string step;
    while (script >> step && step.rfind("pid:", 0) == 0) std::ofstream(step.substr(4)) << ::getpid() << '\n';
    if (!script) return 0;
    if (step == "hang") {
      for (;;) ::pause();
    } else if (step == "crash") {
      std::cerr << "scripted crash" << std::endl;
      std::abort();
    } else if (step == "quit") {
      return 0;
    } else if (step.rfind("say:", 0) == 0) {
      std::string text = step.substr(4);
      for (char& c : text)
        if (c == '_') c = ' ';
      std::cout << text << std::endl;
    } else {
      const GridSquare s = toGrid(Move(step.at(0) - '0', step.at(1) - '0'));
      std::cout << s.row << ' ' << s.col << std::endl;
    }
  }
  return 0;
}
