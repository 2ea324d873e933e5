// Colour through the real game program: on a pseudo-terminal the boards are
// coloured unless NO_COLOR is set; into pipes no mode writes an escape code.

#include <gtest/gtest.h>
#include <signal.h>

#include <optional>
#include <string>
#include <vector>

#include "DrawingReader.h"
#include "ProcessRunner.h"
#include "TerminalSession.h"

namespace {

// The person plays X in the centre, the computer answers, then input ends.
const char* const kShortGame = "1\n0.05\n4 4\n";

ProcessOptions withNoColor(const std::optional<std::string>& noColor) {
  ProcessOptions options;
  options.environment = {{"NO_COLOR", noColor}, {"TERM", std::string("xterm-256color")}};
  return options;
}

SessionResult gameInTerminal(const std::optional<std::string>& noColor) {
  ProcessOptions options = withNoColor(noColor);
  options.input = std::string(kShortGame) + "\x04";
  return runInTerminal(binaryFromEnvironment("UTTT_BINARY"), {"uttt"}, options);
}

// What the terminal showed, as text: no colour codes, no carriage returns.
std::string screenText(const std::string& out) {
  std::string text;
  for (const char c : withoutEscapes(out))
    if (c != '\r') text += c;
  return text;
}

TEST(TerminalColour, AGameOnATerminalIsInColour) {
  for (const std::optional<std::string>& noColor : {std::optional<std::string>(), std::optional<std::string>("")}) {
    SCOPED_TRACE(noColor ? "NO_COLOR empty" : "NO_COLOR unset");
    const SessionResult r = gameInTerminal(noColor);
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_FALSE(r.timedOut);
    EXPECT_NE(r.out.find("\x1b["), std::string::npos);
    // The same dialogue and markers as in plain text.
    const std::string text = screenText(r.out);
    EXPECT_NE(text.find("Play as Player 1 or 2:  "), std::string::npos) << text;
    EXPECT_NE(text.find("    O to move: play in quadrant 4 (the centre)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    last move [X]: quadrant 4, cell 4\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Getting Move\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Winner:  0\n"), std::string::npos) << text;
  }
}

TEST(TerminalColour, NoColorGivesPlainTextOnATerminal) {
  for (const std::string value : {"1", "yes", "0"}) {
    SCOPED_TRACE("NO_COLOR=" + value);
    const SessionResult r = gameInTerminal(value);
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_NE(r.out.find("Winner:  0"), std::string::npos) << r.out;
  }
}

// Standard output a pipe, NO_COLOR unset: whatever the mode, no escape byte
// on either stream.
TEST(TerminalColour, PipesGetNoEscapeCodes) {
  const std::string binary = binaryFromEnvironment("UTTT_BINARY");
  struct Run {
    std::vector<std::string> argv;
    std::string input;
    std::string stopWhen;
  };
  const std::vector<Run> runs = {
      {{"uttt"}, kShortGame, ""},
      {{"uttt"}, "2\n0.05\n", ""},
      {{"uttt", "-a"}, "00 01 02 10 11 12 20 21 22 40 41\n", ""},
      // Self-play is stopped once its first board is out.
      {{"uttt", "-s"}, "", "Getting Move\n"},
  };
  for (const Run& run : runs) {
    SCOPED_TRACE(run.argv.back() + " with input [" + run.input + "]");
    TempDir dir;
    ProcessOptions options = withNoColor(std::nullopt);
    options.input = run.input;
    options.cwd = dir.path();
    options.stopWhenOutput = run.stopWhen;
    const SessionResult r = runProcess(binary, run.argv, options);
    EXPECT_FALSE(r.timedOut);
    EXPECT_NE(r.out.find("+-------+"), std::string::npos) << "a board is drawn";
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
  }
  for (const char* option : {"--help", "--version"}) {
    SCOPED_TRACE(option);
    const SessionResult r = runProcess(binary, {"uttt", option}, withNoColor(std::nullopt));
    EXPECT_NE(r.out, "");
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
  }
}

}  // namespace
