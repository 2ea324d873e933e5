// Mode choice of the game program, and the UCT calculator's fixed report,
// through the real programs.

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "Board.h"
#include "ProcessRunner.h"

namespace {

const char* const kInteractiveStart = "Play as Player 1 or 2:  ";

SessionResult runUttt(const std::vector<std::string>& argv, const std::string& input) {
  ProcessOptions options;
  options.input = input;
  return runProcess(binaryFromEnvironment("UTTT_BINARY"), argv, options);
}

std::string joined(const std::vector<std::string>& argv) {
  std::string all;
  for (const std::string& a : argv) all += "[" + a + "]";
  return all;
}

// What the analyser prints for the single record line "40 13".
std::string analysedRecord() {
  Board2D board = make_Board2D();
  board[4][0] = 1;
  board[1][3] = 2;
  std::ostringstream out;
  out << "Game 1:\n";
  print(out, board, make_Quadrant(), true);
  out << "Winner:  0\n";
  return out.str();
}

TEST(CommandLine, WithoutAnExactModeArgumentTheInteractiveGameRuns) {
  for (const std::vector<std::string>& argv : std::vector<std::vector<std::string>>{
           {"uttt"}, {"uttt", "-ax"}, {"uttt", "-s2", "a", "s"}, {"uttt", "--a", " -s", "-A"}, {"-a-s"}}) {
    SCOPED_TRACE(joined(argv));
    const SessionResult r = runUttt(argv, "");
    EXPECT_EQ(r.out, kInteractiveStart);
    EXPECT_EQ(r.err, "Invalid Player Number:  0\n");
    EXPECT_EQ(r.exitStatus, 0);
  }
}

// The first entry that is exactly "-a" or "-s" decides, the program's own
// name included.
TEST(CommandLine, TheFirstExactAnalyserArgumentRunsTheAnalyser) {
  for (const std::vector<std::string>& argv : std::vector<std::vector<std::string>>{
           {"uttt", "-a"}, {"uttt", "-a", "-s"}, {"uttt", "x", "-a", "-s"}, {"-a"}, {"-a", "-s"}}) {
    SCOPED_TRACE(joined(argv));
    const SessionResult r = runUttt(argv, "40 13\n");
    EXPECT_EQ(r.out, analysedRecord());
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitStatus, 0);
  }
}

// Twenty real self-play games take minutes, so the run is stopped as soon as
// the first computer turn begins: by then the empty board must be on screen,
// drawn with the quadrant states as self-play draws it.
TEST(CommandLine, TheFirstExactSelfPlayArgumentStartsSelfPlay) {
  std::ostringstream board;
  print(board, make_Board2D(), make_Quadrant(), true);
  const std::string expected = board.str() + "Getting Move\n";
  for (const std::vector<std::string>& argv : std::vector<std::vector<std::string>>{
           {"uttt", "-s"}, {"uttt", "-s", "-a"}, {"uttt", "-x", "-s"}, {"-s"}, {"-s", "-a"}}) {
    SCOPED_TRACE(joined(argv));
    TempDir dir;
    ProcessOptions options;
    options.input = "40\n";
    options.cwd = dir.path();
    options.stopWhenOutput = "Getting Move\n";
    const SessionResult r = runProcess(binaryFromEnvironment("UTTT_BINARY"), argv, options);
    EXPECT_TRUE(r.killed);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.signal, SIGKILL);
    EXPECT_EQ(r.out.substr(0, expected.size()), expected);
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(std::filesystem::exists(dir.file("RecordedGames.txt")));
  }
}

TEST(CommandLine, ScoreprobePrintsItsFixedReport) {
  ProcessOptions options;
  const SessionResult r = runProcess(binaryFromEnvironment("SCOREPROBE_BINARY"), {"scoreprobe"}, options);
  EXPECT_EQ(r.out, "6.38677\n  + -2.07775 = 4.30902\n  + -1.57775 = 4.80902\n\n3.69339\n1.20226\n1.45226\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.exitStatus, 0);
}

}  // namespace
