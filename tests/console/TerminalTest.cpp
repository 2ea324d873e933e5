// When the program colours its output: the rule on its own, and through the
// real program on a pseudo-terminal in tests/e2e.

#include <gtest/gtest.h>

#include "Terminal.h"

namespace {

TEST(Terminal, ColourOnlyOnATerminalUnlessNoColorOrADumbTerminal) {
  struct Case {
    bool isTerminal;
    const char* noColor;
    const char* term;
    bool colour;
  };
  const Case cases[] = {
      {true, nullptr, "xterm-256color", true},
      {true, nullptr, nullptr, true},
      {true, "", "xterm", true},  // set but empty counts as unset
      {true, "1", "xterm", false},
      {true, "0", "xterm", false},  // any value at all
      {true, nullptr, "dumb", false},
      {false, nullptr, "xterm", false},
      {false, "", "xterm", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "terminal " << c.isTerminal << ", NO_COLOR "
                                      << (c.noColor ? c.noColor : "unset") << ", TERM "
                                      << (c.term ? c.term : "unset"));
    EXPECT_EQ(terminal::wantsColour(c.isTerminal, c.noColor, c.term), c.colour);
  }
}

}  // namespace
