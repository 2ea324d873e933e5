// The arena bot through the real program: whole games on its pipes, bad
// input and bad arguments with their messages and exit statuses.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <variant>
#include <vector>

#include "ArenaOpponent.h"
#include "BotProcess.h"
#include "ProcessRunner.h"

namespace {

SessionResult runBot(const std::vector<std::string>& args, const std::string& input) {
  std::vector<std::string> argv = {"uttt_bot"};
  argv.insert(argv.end(), args.begin(), args.end());
  ProcessOptions options;
  options.input = input;
  return runProcess(binaryFromEnvironment("UTTT_BOT_BINARY"), argv, options);
}

// The turn after the opponent took the centre of the centre quadrant.
const char* const kAfterCentre = "4 4\n8\n3 3\n3 4\n3 5\n4 3\n4 5\n5 3\n5 4\n5 5\n";

// Whether out starts with an answer line to kAfterCentre naming a valid action.
bool answersAfterCentre(const std::string& out) {
  Referee referee;
  referee.play(Move(4, 4));
  return std::holds_alternative<Move>(referee.judge(out.substr(0, out.find('\n'))));
}

TEST(BotProgram, PlaysWholeGamesAnsweringOnlyValidActions) {
  for (int botPlayer : {1, 2}) {
    SCOPED_TRACE("bot as player " + std::to_string(botPlayer));
    BotProcess bot("exec '" + binaryFromEnvironment("UTTT_BOT_BINARY") + "' 0.01");
    ArenaOpponent arena(botPlayer, 11);
    for (std::string turn = arena.nextTurn(); !turn.empty(); turn = arena.nextTurn()) {
      // Generous: the limit only keeps a broken bot from stalling the test.
      const auto deadline = BotProcess::Clock::now() + std::chrono::seconds(20);
      std::string answer;
      ASSERT_EQ(bot.send(turn, deadline), BotProcess::Status::Ok);
      ASSERT_EQ(bot.readLine(answer, deadline), BotProcess::Status::Ok) << bot.lastErrorLine();
      ASSERT_TRUE(arena.answer(answer)) << arena.failure();
    }
    EXPECT_NE(arena.winner(), 0);
    // End of input after the last move: a clean exit with nothing more said,
    // and (in sanitizer builds) no leak report.
    bot.closeInput();
    std::string extra;
    EXPECT_EQ(bot.readLine(extra, BotProcess::Clock::now() + std::chrono::seconds(20)), BotProcess::Status::Closed)
        << extra;
    EXPECT_EQ(bot.exitDescription(BotProcess::Clock::now() + std::chrono::seconds(20)), "exited with status 0");
    EXPECT_EQ(bot.lastErrorLine(), "");
  }
}

TEST(BotProgram, BadInputEndsWithOneLineAndFailure) {
  std::string firstTurn = "-1 -1\n81\n";
  for (int row = 0; row < 9; ++row)
    for (int col = 0; col < 9; ++col) firstTurn += std::to_string(row) + " " + std::to_string(col) + "\n";
  const std::string afterCentre = kAfterCentre;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"row 4, col 4\n", "uttt_bot: line 1: expected the opponent's move as \"row col\", got \"row 4, col 4\"\n"},
      {afterCentre + "4 4\n", "uttt_bot: line 11: the opponent's move 4 4 is illegal on the board\n"},
      {"4 4\n9\n", "uttt_bot: line 2: the input lists 9 valid actions, the board has 8\n"},
      {"4 4\n8\n3 3\n3 4\n0 0\n", "uttt_bot: line 5: valid action 0 0 is not legal on the board\n"},
      {firstTurn.substr(0, 9 + 7 * 4), "uttt_bot: line 10: input ended before valid action 8 of 81\n"},
  };
  for (const auto& [input, message] : cases) {
    SCOPED_TRACE(message);
    const SessionResult r = runBot({"0.01"}, input);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, message);
  }
  // The illegal move came after one whole turn: its answer is out, and the
  // search's own report lines are not.
  const SessionResult r = runBot({"0.01"}, afterCentre + "4 4\n");
  ASSERT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
  EXPECT_TRUE(answersAfterCentre(r.out)) << r.out;
}

TEST(BotProgram, EmptyInputIsAGameNeverStarted) {
  const SessionResult r = runBot({}, "");
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
}

TEST(BotProgram, BadArgumentsExitWithStatusTwo) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"depth=3"}, "uttt_bot: unknown search parameter \"depth\"\n"},
      {{"0.1", "exploration=lots"}, "uttt_bot: bad value \"lots\" for search parameter exploration\n"},
      {{"-1"}, "uttt_bot: the thinking time must be a number of seconds above 0 and at most 3600, got \"-1\"\n"},
  };
  for (const auto& [args, message] : cases) {
    SCOPED_TRACE(message);
    const SessionResult r = runBot(args, "-1 -1\n");
    EXPECT_EQ(r.exitStatus, 2);
    EXPECT_EQ(r.err, message);
    EXPECT_EQ(r.out, "");
  }
  const SessionResult help = runBot({"--help"}, "");
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_EQ(help.out.rfind("usage: uttt_bot [SECONDS] [NAME=VALUE ...] [--timing]\n", 0), 0u) << help.out;
}

// --timing may stand before or after the thinking time and adds one line a
// turn on standard error; the answers are the same as without it.
TEST(BotProgram, TimingReportsEachTurnOnStandardError) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--timing", "0.01"}, std::vector<std::string>{"0.01", "--timing"}}) {
    const SessionResult r = runBot(args, kAfterCentre);
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_TRUE(answersAfterCentre(r.out)) << r.out;
    const std::string prefix = "uttt_bot: turn 1 answered in ";
    ASSERT_EQ(r.err.rfind(prefix, 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    const double ms = std::stod(r.err.substr(prefix.size()));
    EXPECT_GE(ms, 0.0);
    EXPECT_EQ(r.err.substr(r.err.size() - 4), " ms\n") << r.err;
  }
}

TEST(BotProgram, SearchParametersFromTheCommandLineStillGiveValidMoves) {
  const SessionResult r = runBot({"0.01", "exploration=0.5", "first_search_share=0.9"}, kAfterCentre);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(answersAfterCentre(r.out)) << r.out;
}

}  // namespace
