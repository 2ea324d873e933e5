// The real game program (UTTT_BINARY) fed what a careless person or a broken
// pipe produces: binary bytes, lines of a million characters, input that ends
// at each prompt or is not open at all, numbers too large for 32 bits, and
// output that cannot be written. Each session must end by itself (every run
// has a timeout), exit normally with status 0, and show the specified message
// or report. The computer thinks 0.01 s per move.

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "ProcessRunner.h"

namespace {

const std::string kFast = "0.01\n";
const std::string kEndAtMovePrompt = "Winner:  0\n\n";

std::size_t countOf(const std::string& text, const std::string& needle) {
  std::size_t n = 0;
  for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
  return n;
}

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The end report's winner, or "none" when the session printed no report.
std::string reportedWinner(const SessionResult& r) {
  const std::size_t at = r.out.rfind("Winner:  ");
  if (at == std::string::npos) return "none";
  return r.out.substr(at + 9, r.out.find('\n', at) - at - 9);
}

SessionResult run(const std::vector<std::string>& argv, const std::string& input) {
  ProcessOptions options;
  options.input = input;
  options.timeout = std::chrono::seconds(90);
  return runProcess(binaryFromEnvironment("UTTT_BINARY"), argv, options);
}

SessionResult play(const std::string& input) { return run({"uttt"}, input); }
SessionResult analyze(const std::string& input) { return run({"uttt", "-a"}, input); }

// Runs the game program through the shell so that a redirection (closing a
// stream, or pointing it at a full device) applies to it.
SessionResult runRedirected(const std::string& redirection, const std::string& mode,
                            const std::string& input) {
  ProcessOptions options;
  options.input = input;
  options.timeout = std::chrono::seconds(90);
  const std::string script = "exec \"$0\" " + mode + " " + redirection;
  return runProcess("/bin/sh", {"sh", "-c", script, binaryFromEnvironment("UTTT_BINARY")}, options);
}

::testing::AssertionResult endedCleanly(const SessionResult& r) {
  if (r.timedOut) return ::testing::AssertionFailure() << "hung: killed after the timeout";
  if (r.signal != 0) return ::testing::AssertionFailure() << "killed by signal " << r.signal << "\n" << r.err;
  if (r.exitStatus != 0) return ::testing::AssertionFailure() << "exit status " << r.exitStatus << "\n" << r.err;
  return ::testing::AssertionSuccess();
}

// Move lines running through all 81 moves in order, over and over: within
// any 81 lines each move comes once, so the person always finds a legal move
// and a game fed enough of them plays through to its end.
std::string cyclicMoves(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) text += std::to_string(i % 81 / 9) + " " + std::to_string(i % 9) + "\n";
  return text;
}

// Lines of seeded random bytes, none of which can start a number: no digit,
// sign or point, and no line end inside a line.
std::string bytesWithoutNumbers(std::uint32_t seed, int lines, int length) {
  std::mt19937 rng(seed);
  std::string text;
  for (int n = 0; n < lines; ++n) {
    for (int i = 0; i < length; ++i) {
      char c;
      do {
        c = static_cast<char>(rng() & 0xFF);
      } while (c == '\n' || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.');
      text += c;
    }
    text += '\n';
  }
  return text;
}

// prefix, then count copies of c, then suffix. (Built by appending: GCC 12
// warns falsely about a literal added to a temporary string.)
std::string padded(const std::string& prefix, std::size_t count, char c, const std::string& suffix) {
  std::string text = prefix;
  text.append(count, c);
  text += suffix;
  return text;
}

std::string randomBytes(std::uint32_t seed, std::size_t size) {
  std::mt19937 rng(seed);
  std::string text(size, '\0');
  for (char& c : text) c = static_cast<char>(rng() & 0xFF);
  return text;
}

TEST(HostileInputTest, BinaryBytesAreAnsweredLikeAnyOtherWrongEntry) {
  const SessionResult side = play(bytesWithoutNumbers(1, 1, 300));
  ASSERT_TRUE(endedCleanly(side));
  EXPECT_EQ(side.err, "Invalid Player Number:  0\n");

  // At the first move the quadrant is free: each line gets the same answer.
  const SessionResult moves = play("1\n" + kFast + bytesWithoutNumbers(2, 200, 50));
  ASSERT_TRUE(endedCleanly(moves));
  EXPECT_EQ(countOf(moves.out, "Please Enter move in quadrant:  -1\n"), 200u);
  EXPECT_TRUE(endsWith(moves.out, kEndAtMovePrompt));
  EXPECT_EQ(moves.err, "");
}

TEST(HostileInputTest, RandomBytesAfterAValidStartEndWithTheReport) {
  for (std::uint32_t seed = 10; seed < 14; ++seed) {
    SCOPED_TRACE(seed);
    const SessionResult r = play((seed % 2 ? "1\n" : "2\n") + kFast + randomBytes(seed, 1 << 16));
    ASSERT_TRUE(endedCleanly(r));
    EXPECT_EQ(r.err, "");
    const std::string winner = reportedWinner(r);
    EXPECT_TRUE(winner == "0" || winner == "1" || winner == "2" || winner == "-1") << winner;
    EXPECT_TRUE(endsWith(r.out, "\n\n"));
  }
}

TEST(HostileInputTest, AnalyserReportsEveryLineOfBinaryInput) {
  std::string input = randomBytes(20, 1 << 18);
  input += std::string("\r\n\0\0\n", 5);  // a carriage-return line and a line of two NULs
  const std::size_t lines = countOf(input, "\n");
  const SessionResult r = analyze(input);
  ASSERT_TRUE(endedCleanly(r));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(countOf(r.out, "Winner:  "), lines);
  EXPECT_NE(r.out.find("Game " + std::to_string(lines) + ":\n"), std::string::npos);
  EXPECT_EQ(countOf(r.out, "Winner:  -"), 0u) << "the analyser never reports a tie";
}

TEST(HostileInputTest, LinesOfAMillionCharacters) {
  const std::size_t million = 1000000;

  const SessionResult sideWithTail = play(padded("1", million, 'x', "\n"));
  ASSERT_TRUE(endedCleanly(sideWithTail));
  EXPECT_EQ(sideWithTail.err, "");
  EXPECT_TRUE(endsWith(sideWithTail.out, kEndAtMovePrompt));

  const SessionResult sideDigits = play(padded("", million, '9', "\n"));
  ASSERT_TRUE(endedCleanly(sideDigits));
  EXPECT_EQ(sideDigits.err, "Invalid Player Number:  2147483647\n");

  // Blanks before the thinking time, then move lines of each kind.
  const std::string start = padded("1\n", million, ' ', kFast);
  const SessionResult moves = play(start + padded("", million, 'x', "\n") + padded("", million, '7', "\n") +
                                   padded("4 ", million, '9', "\n"));
  ASSERT_TRUE(endedCleanly(moves));
  EXPECT_EQ(moves.err, "");
  EXPECT_NE(moves.out.find("Please Enter move in quadrant:  -1\n"), std::string::npos);
  EXPECT_NE(moves.out.find("Need a global input\n"), std::string::npos);
  EXPECT_NE(moves.out.find("Not Valid Move:  4 2147483647\n"), std::string::npos);
  EXPECT_TRUE(endsWith(moves.out, kEndAtMovePrompt));

  const SessionResult spaced = play(start + padded("4", million, ' ', "4\n"));
  ASSERT_TRUE(endedCleanly(spaced));
  EXPECT_EQ(countOf(spaced.out, "Getting Move\n"), 1u) << "the move 4 4 was played and answered";
  EXPECT_TRUE(endsWith(spaced.out, kEndAtMovePrompt));

  std::string records;
  for (std::size_t i = 0; i < million / 2; ++i) records += "01";
  records += padded("\n", million, ' ', "44\n");
  const SessionResult analysed = analyze(records);
  ASSERT_TRUE(endedCleanly(analysed));
  EXPECT_EQ(countOf(analysed.out, "Winner:  0\n"), 2u);
  EXPECT_NE(analysed.out.find("Game 2:\n"), std::string::npos);
}

TEST(HostileInputTest, InputEndingAtEachPrompt) {
  const SessionResult atSide = play("");
  ASSERT_TRUE(endedCleanly(atSide));
  EXPECT_EQ(atSide.err, "Invalid Player Number:  0\n");
  EXPECT_EQ(atSide.out.find("Enter thinking time"), std::string::npos);

  // Side 1 moves first, so ending at the time prompt costs no search.
  const SessionResult atTime = play("1\n");
  ASSERT_TRUE(endedCleanly(atTime));
  EXPECT_EQ(countOf(atTime.out, "Enter Move:   "), 1u);
  EXPECT_TRUE(endsWith(atTime.out, kEndAtMovePrompt));

  const SessionResult afterOpening = play("2\n" + kFast);
  ASSERT_TRUE(endedCleanly(afterOpening));
  EXPECT_EQ(countOf(afterOpening.out, "Getting Move\n"), 1u);
  EXPECT_TRUE(endsWith(afterOpening.out, kEndAtMovePrompt));

  const SessionResult noFinalLineEnd = play("1\n" + kFast + "4 4");
  ASSERT_TRUE(endedCleanly(noFinalLineEnd));
  EXPECT_EQ(countOf(noFinalLineEnd.out, "Getting Move\n"), 1u) << "the unterminated line counts";
  EXPECT_TRUE(endsWith(noFinalLineEnd.out, kEndAtMovePrompt));

  // Deeper into a game: the input runs out after k move lines, and every
  // one of them was asked for by a prompt, plus the prompt that found the end.
  for (int k : {1, 2, 9, 81, 250}) {
    SCOPED_TRACE(k);
    const SessionResult r = play("1\n" + kFast + cyclicMoves(k));
    ASSERT_TRUE(endedCleanly(r));
    EXPECT_EQ(r.err, "");
    const std::string winner = reportedWinner(r);
    if (winner == "0") {
      EXPECT_EQ(countOf(r.out, "Enter Move:   "), static_cast<std::size_t>(k) + 1);
      EXPECT_TRUE(endsWith(r.out, kEndAtMovePrompt));
    } else {
      EXPECT_TRUE(winner == "1" || winner == "2" || winner == "-1") << winner;
    }
  }
}

TEST(HostileInputTest, StandardInputNotOpenAtAll) {
  const SessionResult game = runRedirected("0<&-", "", "");
  ASSERT_TRUE(endedCleanly(game));
  EXPECT_EQ(game.err, "Invalid Player Number:  0\n");

  const SessionResult analyser = runRedirected("0<&-", "-a", "");
  ASSERT_TRUE(endedCleanly(analyser));
  EXPECT_EQ(analyser.out, "");
  EXPECT_EQ(analyser.err, "");
}

TEST(HostileInputTest, NumbersBeyond32BitsAreClampedNotWrapped) {
  const std::vector<std::pair<std::string, std::string>> sides = {
      {"99999999999", "2147483647"},
      {"-99999999999", "-2147483648"},
      {"4294967297", "2147483647"},  // wrapping would read 1 and accept it
      {"2147483648", "2147483647"},
  };
  for (const auto& [line, shown] : sides) {
    SCOPED_TRACE(line);
    const SessionResult r = play(line + "\n");
    ASSERT_TRUE(endedCleanly(r));
    EXPECT_EQ(r.err, "Invalid Player Number:  " + shown + "\n");
    EXPECT_EQ(r.out.find("Enter thinking time"), std::string::npos);
  }

  const SessionResult moves = play("1\n" + kFast +
                                   "99999999999 1\n"
                                   "4 99999999999\n"
                                   "-99999999999 -99999999999\n"
                                   "4294967300 4\n"
                                   "99999999999\n");
  ASSERT_TRUE(endedCleanly(moves));
  EXPECT_NE(moves.out.find("Not Valid Move:  2147483647 1\n"), std::string::npos);
  EXPECT_NE(moves.out.find("Not Valid Move:  4 2147483647\n"), std::string::npos);
  EXPECT_NE(moves.out.find("Not Valid Move:  -2147483648 -2147483648\n"), std::string::npos);
  EXPECT_NE(moves.out.find("Not Valid Move:  2147483647 4\n"), std::string::npos);
  EXPECT_NE(moves.out.find("Need a global input\n"), std::string::npos) << "a lone number, quadrant free";
  EXPECT_EQ(countOf(moves.out, "Getting Move"), 0u);
  EXPECT_TRUE(endsWith(moves.out, kEndAtMovePrompt));

  // A lone huge number once the quadrant is forced: the quadrant is the cell
  // of the computer's reply, which after two moves is always open.
  const SessionResult forced = play("1\n" + kFast + "4 4\n99999999999\n");
  ASSERT_TRUE(endedCleanly(forced));
  const std::size_t at = forced.out.find("     L:  ");
  ASSERT_NE(at, std::string::npos);
  const std::string cell = forced.out.substr(at + 9, 1);
  EXPECT_NE(forced.out.find("Not Valid Move:  " + cell + " 2147483647\n"), std::string::npos);
}

TEST(HostileInputTest, WholeGamesEndWhenOutputCannotBeWritten) {
  // Enough move lines to finish any game; the computer's replies vary from
  // run to run, so only the ending is checked.
  const std::string wholeGame = "1\n" + kFast + cyclicMoves(81 * 45);
  const SessionResult full = runRedirected(">/dev/full", "", wholeGame);
  ASSERT_TRUE(endedCleanly(full));
  EXPECT_EQ(full.err, "");

  const SessionResult closed = runRedirected(">&-", "", wholeGame);
  ASSERT_TRUE(endedCleanly(closed));

  const SessionResult analyser = runRedirected(">/dev/full", "-a", cyclicMoves(500));
  ASSERT_TRUE(endedCleanly(analyser));

  // The same game with output readable plays through to a decided end.
  const SessionResult visible = play(wholeGame);
  ASSERT_TRUE(endedCleanly(visible));
  const std::string winner = reportedWinner(visible);
  EXPECT_TRUE(winner == "1" || winner == "2" || winner == "-1") << winner;
  EXPECT_EQ(visible.err, "");
}

}  // namespace
