#include "Terminal.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace terminal {

bool wantsColour(bool isTerminal, const char* noColor, const char* term) {
  if (!isTerminal) return false;
  // The common convention: NO_COLOR set to anything but the empty string.
  if (noColor != nullptr && *noColor != '\0') return false;
  return term == nullptr || std::string_view(term) != "dumb";
}

bool stdoutWantsColour() {
  return wantsColour(::isatty(STDOUT_FILENO) == 1, std::getenv("NO_COLOR"), std::getenv("TERM"));
}

}  // namespace terminal
