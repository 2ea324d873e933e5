#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string_view>

#include "Game.h"
#include "Modes.h"
#include "Usage.h"

// Picks the mode: the first argument (the program's own name included) that
// is exactly "-a", "-s", "-h", "--help" or "--version" decides; without one,
// the interactive game runs. So "uttt -s --help" plays self-play and
// "uttt --help -s" prints the usage. "--network" anywhere makes the
// interactive game's computer weigh the value network's priors in beside
// its random playouts.
int main(int argc, char* argv[]) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  bool network = false;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--network") {
      network = true;
      continue;
    }
    if (arg == "-a") {
      analyze();
      return 0;
    }
    if (arg == "-s") {
      for (int n = 0; n < 20; ++n) selfPlay();
      return 0;
    }
    if (arg == "-h" || arg == "--help") {
      printUsage(std::cout);
      return 0;
    }
    if (arg == "--version") {
      printVersion(std::cout);
      return 0;
    }
  }
  if (network) {
    defaultSearch().priorVisits = kStrongPriorVisits;
    defaultSearch().priorAt = kStrongPriorAt;
    defaultSearch().priorWide = kStrongPriorWide;
  }
  play();
  return 0;
}
