#include <cstdlib>
#include <ctime>
#include <string_view>

#include "Modes.h"

// Picks the mode: the first argument (the program's own name included) that is
// exactly "-a" or "-s" decides; without one, the interactive game runs.
int main(int argc, char* argv[]) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-a") {
      analyze();
      return 0;
    }
    if (arg == "-s") {
      for (int n = 0; n < 20; ++n) selfPlay();
      return 0;
    }
  }
  play();
  return 0;
}
