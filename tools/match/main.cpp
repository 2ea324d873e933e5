// uttt_match: plays a match between two arena bots and reports the result.
// See matchUsage() for the command line.

#include <exception>
#include <iostream>
#include <string_view>
#include <vector>

#include "Match.h"

int main(int argc, char* argv[]) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  for (const std::string_view arg : args) {
    if (arg == "--help" || arg == "-h") {
      std::cout << matchUsage();
      return 0;
    }
  }
  const auto parsed = parseMatchOptions(args);
  if (const std::string* error = std::get_if<std::string>(&parsed)) {
    std::cerr << "uttt_match: " << *error << " (see --help)" << std::endl;
    return 2;
  }
  try {
    runMatch(std::get<MatchOptions>(parsed), std::cout);
  } catch (const std::exception& e) {
    std::cerr << "uttt_match: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}
