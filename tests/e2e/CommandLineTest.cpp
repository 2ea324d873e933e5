// Mode choice of the game program, and the UCT calculator's fixed report,
// through the real programs.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "BoardDrawing.h"
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
           {"uttt"}, {"uttt", "-ax"}, {"uttt", "-s2", "a", "s"}, {"uttt", "--a", " -s", "-A"}, {"-a-s"},
           {"uttt", "--"}, {"uttt", "help"}, {"uttt", "-help"}, {"uttt", "--HELP"}, {"uttt", "-hx"},
           {"uttt", "--h"}, {"uttt", "--version2"}, {"uttt", "-V"}, {"uttt", "version"}}) {
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
           {"uttt", "-a"}, {"uttt", "-a", "-s"}, {"uttt", "x", "-a", "-s"}, {"-a"}, {"-a", "-s"},
           {"uttt", "-a", "--help"}, {"uttt", "-a", "--version"}}) {
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
           {"uttt", "-s"}, {"uttt", "-s", "-a"}, {"uttt", "-x", "-s"}, {"-s"}, {"-s", "-a"}, {"uttt", "-s", "-h"}}) {
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

// Help and version read no input: standard input stays open, so a program
// that went on to a mode would hang until the timeout.
SessionResult runWithoutInput(const std::vector<std::string>& argv) {
  ProcessOptions options;
  options.keepInputOpen = true;
  options.timeout = std::chrono::seconds(20);
  return runProcess(binaryFromEnvironment("UTTT_BINARY"), argv, options);
}

// The first entry that is -h or --help, before any other option, prints the
// usage on standard output and ends with status 0.
TEST(CommandLine, HelpPrintsAShortUsage) {
  const SessionResult reference = runWithoutInput({"uttt", "--help"});
  const std::string& usage = reference.out;
  EXPECT_EQ(usage.rfind("Usage: uttt", 0), 0u) << usage;
  for (const char* part : {" -a ", " -s ", " --network ", " -h, --help ", " --version ", "RecordedGames.txt", "\"4 0\""})
    EXPECT_NE(usage.find(part), std::string::npos) << part;
  std::istringstream lines(usage);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;

  for (const std::vector<std::string>& argv : std::vector<std::vector<std::string>>{
           {"uttt", "-h"}, {"uttt", "--help"}, {"uttt", "--help", "-s"}, {"uttt", "x", "-h", "-a"},
           {"uttt", "-h", "--version"}, {"--help"}, {"-h", "-s"}}) {
    SCOPED_TRACE(joined(argv));
    const SessionResult r = runWithoutInput(argv);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.out, usage);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitStatus, 0);
  }
}

TEST(CommandLine, VersionPrintsTheProjectVersion) {
  for (const std::vector<std::string>& argv : std::vector<std::vector<std::string>>{
           {"uttt", "--version"}, {"uttt", "--version", "-a"}, {"uttt", "-x", "--version", "--help"}, {"--version"}}) {
    SCOPED_TRACE(joined(argv));
    const SessionResult r = runWithoutInput(argv);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.out, std::string("uttt ") + UTTT_VERSION + "\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitStatus, 0);
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
