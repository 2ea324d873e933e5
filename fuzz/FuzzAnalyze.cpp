// Fuzz target: the recorded-game analyser reading arbitrary bytes as its
// standard input. Besides crashes and sanitizer reports it checks that every
// line of input gives exactly one numbered report with a winner 0, 1 or 2.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "Modes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::stringbuf in(input);
  const auto [out, err] = fuzz::runMode(&in, analyze);
  if (!err.empty()) fuzz::fail("the analyser wrote to standard error", err);

  const std::size_t lines = fuzz::countLines(input);
  if (fuzz::countOf(out, "Winner:  ") != lines)
    fuzz::fail("not one report per input line", std::to_string(lines) + " lines");
  const std::string lastHeader = "Game " + std::to_string(lines) + ":\n";
  if (lines > 0 && out.find(lastHeader) == std::string::npos)
    fuzz::fail("games not numbered 1 to the line count");
  // The analyser sees only won quadrants, never a tie, so -1 cannot appear.
  if (out.find("Winner:  -") != std::string::npos) fuzz::fail("negative winner reported");
  return 0;
}
