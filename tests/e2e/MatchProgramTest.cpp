// The match runner through the real program: a short match of the engine's
// bot against the random mover, cross-checked with the game program's
// analyser, and its command-line errors.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ProcessRunner.h"

namespace {

SessionResult runMatchProgram(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {"uttt_match"};
  argv.insert(argv.end(), args.begin(), args.end());
  ProcessOptions options;
  options.timeout = std::chrono::seconds(120);
  return runProcess(binaryFromEnvironment("UTTT_MATCH_BINARY"), argv, options);
}

// The logged games, read back by `uttt -a`, end as the runner reported them.
TEST(MatchProgram, AShortMatchReportsEachGameAndLogsRecordsTheAnalyserReads) {
  TempDir dir;
  const std::string log = dir.file("games.txt");
  const SessionResult r = runMatchProgram({"--games", "2", "--move-ms", "3000", "--log", log,
                                           "exec '" + binaryFromEnvironment("UTTT_BOT_BINARY") + "' 0.01",
                                           "exec '" + binaryFromEnvironment("UTTT_RANDOM_BOT_BINARY") + "' 5"});
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out.find("forfeits"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Result of A over 2 games: "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Elo difference of A: "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Forfeits: A 0, B 0\nReply times of A: worst "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" replies\nReply times of B: worst "), std::string::npos) << r.out;

  const std::vector<std::string> records = linesOf(readFile(log));
  ASSERT_EQ(records.size(), 2u);
  ProcessOptions analyse;
  analyse.input = readFile(log);
  const SessionResult boards = runProcess(binaryFromEnvironment("UTTT_BINARY"), {"uttt", "-a"}, analyse);
  std::vector<std::string> winners;
  for (const std::string& line : linesOf(boards.out))
    if (line.rfind("Winner:  ", 0) == 0) winners.push_back(line.substr(9));
  ASSERT_EQ(winners.size(), 2u) << boards.out;
  for (int game = 1; game <= 2; ++game) {
    SCOPED_TRACE("game " + std::to_string(game));
    const std::string& winner = winners[static_cast<std::size_t>(game - 1)];
    const int playerA = game % 2 == 1 ? 1 : 2;
    const std::string result = winner == "-1"                          ? "draws"
                               : winner == std::to_string(playerA) ? "wins"
                                                                       : "loses";
    const std::string expected =
        "Game " + std::to_string(game) + " of 2: A (player " + std::to_string(playerA) + ") " + result + " |";
    EXPECT_NE(r.out.find(expected), std::string::npos) << r.out;
  }
}

TEST(MatchProgram, UsageAndErrors) {
  const SessionResult help = runMatchProgram({"--help"});
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_EQ(help.out.rfind("usage: uttt_match [OPTIONS] COMMAND_A COMMAND_B\n", 0), 0u) << help.out;

  const SessionResult bad = runMatchProgram({"--games", "lots", "a", "b"});
  EXPECT_EQ(bad.exitStatus, 2);
  EXPECT_EQ(bad.err, "uttt_match: bad value \"lots\" for --games (see --help)\n");
  EXPECT_EQ(bad.out, "");

  TempDir dir;
  const SessionResult noLog = runMatchProgram({"--log", dir.path(), "true", "true"});
  EXPECT_EQ(noLog.exitStatus, 1);
  EXPECT_NE(noLog.err.find("uttt_match: cannot open the log file " + dir.path()), std::string::npos) << noLog.err;
}

}  // namespace
