// uttt_random_bot [SEED]: an arena bot that answers each turn with one of the
// listed valid actions, drawn uniformly by a generator seeded with SEED
// (default 1). A sparring partner the engine must beat nearly always.
// Exits 0 at the end of input between turns, 1 on input it cannot read.

#include <array>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "GridMove.h"

namespace {

bool readLineInts(std::span<int> values) {
  std::string line;
  return std::getline(std::cin, line) && parseIntegers(line, values, false);
}

}  // namespace

int main(int argc, char* argv[]) {
  std::uint32_t seed = 1;
  if (argc > 1) {
    const std::string_view text = argv[1];
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
    if (argc > 2 || error != std::errc() || stop != text.data() + text.size()) {
      std::cerr << "usage: uttt_random_bot [SEED]" << std::endl;
      return 2;
    }
  }
  std::mt19937 random(seed);
  std::string line;
  while (std::getline(std::cin, line)) {  // the opponent's move: not needed
    std::array<int, 1> count{};
    if (!readLineInts(count) || count[0] < 1 || count[0] > 81) {
      std::cerr << "uttt_random_bot: expected the number of valid actions" << std::endl;
      return 1;
    }
    std::vector<std::array<int, 2>> actions(static_cast<std::size_t>(count[0]));
    for (std::array<int, 2>& action : actions) {
      if (!readLineInts(action)) {
        std::cerr << "uttt_random_bot: expected a valid action \"row col\"" << std::endl;
        return 1;
      }
    }
    const auto pick = std::uniform_int_distribution<std::size_t>(0, actions.size() - 1)(random);
    std::cout << actions[pick][0] << ' ' << actions[pick][1] << std::endl;
  }
  return 0;
}
