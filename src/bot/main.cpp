// uttt_bot: the game's engine as an arena bot, speaking the arena protocol on
// standard input and output. See botUsage() for the command line.

#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string_view>
#include <vector>

#include "BotProtocol.h"

int main(int argc, char* argv[]) {
  // Unsynchronised streams read standard input through a buffer that can
  // tell whether a line is waiting, which the bot asks before idle work.
  std::ios::sync_with_stdio(false);
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
    std::cout << botUsage();
    return 0;
  }
  BotSettings settings;
  if (const auto error = configureBot(args, settings)) {
    std::cerr << "uttt_bot: " << *error << std::endl;
    return 2;
  }
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  // Answers go through their own stream on the real standard output: the
  // bot silences std::cout while the engine searches.
  std::ostream answers(std::cout.rdbuf());
  return runBot(std::cin, answers, std::cerr, settings);
}
