// uttt_bot: the game's engine as an arena bot, speaking the arena protocol on
// standard input and output. See botUsage() for the command line.

#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string_view>
#include <vector>

#include <poll.h>

#include "BotProtocol.h"

namespace {

// Whether standard input has a line waiting: in the stream's buffer, or in
// the pipe or terminal behind it (end of input counts, so the bot stops its
// idle work and reads it).
bool inputWaiting() {
  if (std::cin.rdbuf()->in_avail() > 0) return true;
  pollfd fd{0, POLLIN, 0};
  return ::poll(&fd, 1, 0) != 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  // Unsynchronised, standard input is read through the stream's own buffer,
  // whose count of waiting characters inputWaiting can trust.
  std::ios::sync_with_stdio(false);
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
    std::cout << botUsage();
    return 0;
  }
  BotSettings settings;
  settings.inputWaiting = inputWaiting;
  if (const auto error = configureBot(args, settings)) {
    std::cerr << "uttt_bot: " << *error << std::endl;
    return 2;
  }
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  return runBot(std::cin, std::cout, std::cerr, settings);
}
