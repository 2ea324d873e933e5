// Games and matches between scripted bots whose outcome is known: the
// referee's results, each way of forfeiting, the colours, the log, the SPRT's
// early stop, and that no process outlives its game.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "KnownGames.h"
#include "Match.h"
#include "ProcessRunner.h"

namespace {

using knownGames::movesOf;

std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The command line of a scripted bot: `first` when it moves first, `second` otherwise.
std::string scriptedBot(const std::string& first, const std::string& second) {
  return shellQuoted(binaryFromEnvironment("SCRIPTED_BOT_BINARY")) + " " + shellQuoted(first) + " " +
         shellQuoted(second);
}
// The same as a command the shell replaces itself with, so that the bot's
// own end (a signal, its error line) is what the runner sees.
std::string scripted(const std::string& first, const std::string& second) {
  return "exec " + scriptedBot(first, second);
}
// A scripted bot that plays one side of a record, whichever side it gets.
std::string playing(const std::string& record, int player) {
  return scripted(movesOf(record, player), movesOf(record, player));
}

// Generous limits: scripted bots answer at once, so only a bot that hangs
// on purpose meets them.
GameLimits generous() {
  GameLimits limits;
  limits.move = std::chrono::milliseconds(10000);
  limits.startup = std::chrono::milliseconds(0);
  return limits;
}

// True when this process has no child left, running or unreaped.
bool noChildren() {
  int status = 0;
  return ::waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

TEST(MatchGame, TheRefereeDecidesWinLossAndTie) {
  const std::pair<const std::string*, int> games[] = {
      {&knownGames::kPlayer1Wins, 1}, {&knownGames::kPlayer2Wins, 2}, {&knownGames::kTie, -1}};
  for (const auto& [record, winner] : games) {
    SCOPED_TRACE(*record);
    const GameOutcome outcome = playGame(playing(*record, 1), playing(*record, 2), generous());
    EXPECT_EQ(outcome.winner, winner);
    EXPECT_FALSE(outcome.forfeit) << outcome.forfeit->detail;
    EXPECT_EQ(outcome.record, *record);
    // Every answer but each side's first is timed, under the move limit.
    const std::size_t moves = (record->size() + 1) / 3;
    EXPECT_EQ(outcome.replies[0].count(), (moves + 1) / 2 - 1);
    EXPECT_EQ(outcome.replies[1].count(), moves / 2 - 1);
    EXPECT_LT(outcome.replies[0].worst(), 10000.0);
  }
  EXPECT_TRUE(noChildren());
}

struct ForfeitCase {
  const char* name;
  std::string player1;
  std::string player2;
  int loser;
  Fault fault;
  std::string detail;  // the whole detail, or "" when only parts are checked
  std::vector<std::string> detailParts;
};

TEST(MatchGame, EachFaultLosesTheGameWithTheOffendingLine) {
  const std::string x = movesOf(knownGames::kPlayer1Wins, 1);
  const std::string o = movesOf(knownGames::kPlayer1Wins, 2);
  const std::vector<ForfeitCase> cases = {
      {"taken square", scripted("44", ""), scripted("", "say:4_4"), 2, Fault::Illegal, "\"4 4\"", {}},
      {"off the grid", scripted("say:9_9_winrate_1", ""), scripted("", o), 1, Fault::Illegal,
       "\"9 9 winrate 1\"", {}},
      {"wrong quadrant", scripted("06 say:8_8", ""), scripted("", o), 1, Fault::Illegal, "\"8 8\"", {}},
      {"garbage", scripted(x, ""), scripted("", "say:hello"), 2, Fault::Malformed, "\"hello\"", {}},
      {"empty answer", scripted("say:", ""), scripted("", o), 1, Fault::Malformed, "\"\"", {}},
      {"crash", scripted(x, ""), scripted("", "60 crash"), 2, Fault::Crash, "",
       {"killed by signal " + std::to_string(SIGABRT), "last error line \"scripted crash\""}},
      {"exit without answer", scripted("quit", ""), scripted("", o), 1, Fault::Crash, "exited with status 0", {}},
      {"script runs out", scripted("06", ""), scripted("", o), 1, Fault::Crash, "exited with status 0", {}},
      {"no such program", scripted(x, ""), "/nonexistent/bot", 2, Fault::Crash, "",
       {"exited with status 127", "not found"}},
  };
  for (const ForfeitCase& c : cases) {
    SCOPED_TRACE(c.name);
    const GameOutcome outcome = playGame(c.player1, c.player2, generous());
    ASSERT_TRUE(outcome.forfeit);
    EXPECT_EQ(outcome.forfeit->player, c.loser);
    EXPECT_EQ(outcome.winner, 3 - c.loser);
    EXPECT_EQ(outcome.forfeit->fault, c.fault);
    if (!c.detail.empty()) {
      EXPECT_EQ(outcome.forfeit->detail, c.detail);
    }
    for (const std::string& part : c.detailParts) {
      EXPECT_NE(outcome.forfeit->detail.find(part), std::string::npos) << outcome.forfeit->detail;
    }
  }
  EXPECT_TRUE(noChildren());
}

// The hanging bot runs under a shell that stays (it has more to do after
// the bot), so the bot is a grandchild: killing the group must reach it.
TEST(MatchGame, ABotThatHangsLosesOnTimeAndIsKilledWithItsGroup) {
  TempDir dir;
  const std::string pidFile = dir.file("pid");
  GameLimits limits;
  limits.move = std::chrono::milliseconds(300);
  limits.startup = std::chrono::milliseconds(0);
  const std::string hanging = scriptedBot("pid:" + pidFile + " hang", "") + "; true";
  const GameOutcome outcome = playGame(hanging, playing(knownGames::kPlayer1Wins, 2), limits);
  ASSERT_TRUE(outcome.forfeit);
  EXPECT_EQ(outcome.forfeit->player, 1);
  EXPECT_EQ(outcome.forfeit->fault, Fault::Timeout);
  EXPECT_EQ(outcome.forfeit->detail, "no answer within 300 ms");
  EXPECT_TRUE(noChildren());

  int pid = 0;
  ASSERT_TRUE(std::ifstream(pidFile) >> pid);
  // A killed process may take a moment to finish dying; then it is gone, or a
  // zombie waiting for its new parent to reap it.
  std::string state;
  for (int i = 0; i < 500; ++i) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string ignored;
    if (!(stat >> ignored >> ignored >> state) || state == "Z") return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ADD_FAILURE() << "the hanging bot still runs, state " << state;
}

// A wins as player 1 (the first known game) and draws as player 2 (the tie).
MatchOptions winsFirstDrawsSecond(int games) {
  MatchOptions options;
  options.commandA = scripted(movesOf(knownGames::kPlayer1Wins, 1), movesOf(knownGames::kTie, 2));
  options.commandB = scripted(movesOf(knownGames::kTie, 1), movesOf(knownGames::kPlayer1Wins, 2));
  options.games = games;
  options.limits = generous();
  return options;
}

TEST(Match, ColoursAlternateAndEveryGameIsLogged) {
  TempDir dir;
  MatchOptions options = winsFirstDrawsSecond(4);
  options.logPath = dir.file("games.txt");
  std::ostringstream report;
  const MatchResult result = runMatch(options, report);
  EXPECT_EQ(result.tally.wins, 2);
  EXPECT_EQ(result.tally.draws, 2);
  EXPECT_EQ(result.tally.losses, 0);
  EXPECT_EQ(result.forfeitsA + result.forfeitsB, 0);
  EXPECT_FALSE(result.verdict);
  const std::string& w = knownGames::kPlayer1Wins;
  const std::string& t = knownGames::kTie;
  EXPECT_EQ(linesOf(readFile(options.logPath)), (std::vector<std::string>{w, t, w, t}));
  const std::string text = report.str();
  EXPECT_NE(text.find("Game 1 of 4: A (player 1) wins | A +1 =0 -0, score 1.000\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Game 2 of 4: A (player 2) draws | A +1 =1 -0, score 0.750\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Result of A over 4 games: +2 =2 -0 (wins, draws, losses)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Score of A: 3.0 of 4 = 0.7500\n"
                      "By colour, A as player 1: +2 =0 -0, as player 2: +0 =2 -0\n"),
            std::string::npos)
      << text;
  EXPECT_TRUE(noChildren());

  // A second match appends to the log.
  options.games = 1;
  std::ostringstream again;
  runMatch(options, again);
  EXPECT_EQ(linesOf(readFile(options.logPath)).size(), 5u);
}

TEST(Match, TwoGamesAtATimeCountTheSame) {
  MatchOptions options = winsFirstDrawsSecond(6);
  options.concurrency = 2;
  std::ostringstream report;
  const MatchResult result = runMatch(options, report);
  EXPECT_EQ(result.tally.wins, 3);
  EXPECT_EQ(result.tally.draws, 3);
  EXPECT_EQ(result.tallyAs[0].wins, 3);
  EXPECT_EQ(result.tallyAs[1].draws, 3);
  for (int game = 1; game <= 6; ++game)
    EXPECT_NE(report.str().find("Game " + std::to_string(game) + " of 6: "), std::string::npos);
  EXPECT_TRUE(noChildren());
}

// Results W D W D W ... against H0 elo 0, H1 elo 200 (s1 = 0.7597469):
// after 2 games s = 0.75, v = 0.0625, LLR = 2 * 0.2597469 * 0.2402531 / 0.125 = 0.998;
// after 3, s = 5/6, v = 1/18, LLR = 2.854; after 4, 1.997; after 5, s = 0.8,
// v = 0.06, LLR = 5 * 0.2597469 * 0.3402531 / 0.12 = 3.682 >= 2.944: H1.
// The other way round, D L: s = 0.25, LLR = -3.157 <= -2.944 after 2 games: H0.
TEST(Match, TheSprtStopsTheMatchAtABound) {
  MatchOptions options = winsFirstDrawsSecond(20);
  options.sprt = Sprt{0, 200};
  std::ostringstream report;
  MatchResult result = runMatch(options, report);
  EXPECT_EQ(result.tally.games(), 5);
  EXPECT_EQ(result.verdict, SprtVerdict::AcceptH1);
  EXPECT_NE(report.str().find("SPRT: H1 accepted after 5 games (LLR 3.68)"), std::string::npos) << report.str();

  std::swap(options.commandA, options.commandB);
  std::ostringstream swapped;
  result = runMatch(options, swapped);
  EXPECT_EQ(result.tally.games(), 2);
  EXPECT_EQ(result.verdict, SprtVerdict::AcceptH0);
  EXPECT_NE(swapped.str().find(": H0 accepted\n"), std::string::npos) << swapped.str();
}

TEST(Match, OptionsAndTheirDefaults) {
  const std::vector<std::string_view> plain = {"a", "b"};
  const MatchOptions defaults = std::get<MatchOptions>(parseMatchOptions(plain));
  EXPECT_EQ(defaults.commandA, "a");
  EXPECT_EQ(defaults.commandB, "b");
  EXPECT_EQ(defaults.games, 100);
  EXPECT_EQ(defaults.limits.move, std::chrono::milliseconds(200));
  EXPECT_EQ(defaults.limits.startup, std::chrono::milliseconds(1000));
  EXPECT_EQ(defaults.concurrency, 1);
  EXPECT_FALSE(defaults.sprt);
  EXPECT_EQ(defaults.logPath, "");

  const std::vector<std::string_view> all = {"--games", "400", "--tc", "0.05", "uttt_bot 0.05",
                                             "--sprt",  "-5,5", "--concurrency", "2", "--log",
                                             "g.txt",   "--startup-ms", "0", "refbot 0.05"};
  const MatchOptions set = std::get<MatchOptions>(parseMatchOptions(all));
  EXPECT_EQ(set.games, 400);
  EXPECT_EQ(set.limits.move, std::chrono::milliseconds(150));  // 50 ms plus the 100 ms margin
  EXPECT_EQ(set.limits.startup, std::chrono::milliseconds(0));
  EXPECT_EQ(set.concurrency, 2);
  ASSERT_TRUE(set.sprt);
  EXPECT_EQ(set.sprt->elo0, -5);
  EXPECT_EQ(set.sprt->elo1, 5);
  EXPECT_EQ(set.logPath, "g.txt");
  EXPECT_EQ(set.commandA, "uttt_bot 0.05");
  EXPECT_EQ(set.commandB, "refbot 0.05");

  const std::vector<std::string_view> explicitLimit = {"--move-ms", "75", "--tc", "3", "a", "b"};
  EXPECT_EQ(std::get<MatchOptions>(parseMatchOptions(explicitLimit)).limits.move, std::chrono::milliseconds(75));
}

TEST(Match, WrongOptionsAreNamed) {
  const std::vector<std::pair<std::vector<std::string_view>, std::string>> cases = {
      {{"a"}, "expected two bot commands, got 1"},
      {{"a", "b", "c"}, "expected two bot commands, got 3"},
      {{"a", "b", "--games"}, "--games needs a value"},
      {{"a", "b", "--games", "0"}, "bad value \"0\" for --games"},
      {{"a", "b", "--games", "ten"}, "bad value \"ten\" for --games"},
      {{"a", "b", "--tc", "-1"}, "bad value \"-1\" for --tc"},
      {{"a", "b", "--move-ms", "0"}, "bad value \"0\" for --move-ms"},
      {{"a", "b", "--concurrency", "3"}, "bad value \"3\" for --concurrency"},
      {{"a", "b", "--sprt", "5"}, "bad value \"5\" for --sprt (expected ELO0,ELO1 with ELO0 < ELO1)"},
      {{"a", "b", "--sprt", "5,0"}, "bad value \"5,0\" for --sprt (expected ELO0,ELO1 with ELO0 < ELO1)"},
      {{"a", "b", "--rounds", "3"}, "unknown option --rounds"},
  };
  for (const auto& [args, message] : cases) {
    SCOPED_TRACE(message);
    const auto parsed = parseMatchOptions(args);
    ASSERT_TRUE(std::holds_alternative<std::string>(parsed));
    EXPECT_EQ(std::get<std::string>(parsed), message);
  }
}

}  // namespace
