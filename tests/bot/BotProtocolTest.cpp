// The bot's protocol loop in this process: whole games against the arena's
// side, each class of bad input with its message, and the command line.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "ArenaOpponent.h"
#include "BotProtocol.h"
#include "DefaultNetwork.h"
#include "GameFixtures.h"
#include "NodePool.h"
#include "ProcessRunner.h"
#include "SearchParameters.h"
#include "UctScore.h"
#include "WeightsFile.h"

namespace {

struct BotRun {
  int status = -1;
  std::string out;
  std::string err;
};

class BotProtocolTest : public ::testing::Test {
 protected:
  void SetUp() override { seedEverything(1); }
  void TearDown() override {
    searchParameters() = SearchParameters{};
    // Whatever happened, the game tree went back to the pool.
    EXPECT_EQ(NodePool::size(), NodePool::maxSize());
  }

  static BotRun run(const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    BotRun r;
    r.status = runBot(in, out, err, settings());
    r.out = out.str();
    r.err = err.str();
    return r;
  }

  // A short thinking time: these tests are about the protocol, not the play.
  static BotSettings settings(bool ponder = false) {
    BotSettings s;
    s.seconds = 0.002;
    if (ponder) {
      s.ponder = true;
      s.inputWaiting = inputEveryFewLooks;
    }
    return s;
  }

  // The harness hands a line over only when the bot reads, so pondering is
  // told input has come every 20th look (about a thousand iterations).
  static inline int looks = 0;
  static bool inputEveryFewLooks() { return ++looks % 20 == 0; }

  // Plays a whole game with the bot as botPlayer, lines handed over one at a
  // time as the bot asks for them; returns the arena's view of it.
  static ArenaOpponent playGame(int botPlayer, std::uint32_t seed, BotRun& run, bool ponder = false) {
    ArenaOpponent arena(botPlayer, seed);
    std::deque<std::string> pending;
    std::size_t answered = 0;
    const auto nextLine = [&](const std::string& out) -> std::optional<std::string> {
      if (pending.empty()) {
        std::istringstream lines(out);
        std::string line;
        for (std::size_t i = 0; std::getline(lines, line); ++i) {
          if (i < answered) continue;
          ++answered;
          if (!arena.answer(line)) return std::nullopt;
        }
        std::istringstream turn(arena.nextTurn());
        while (std::getline(turn, line)) pending.push_back(line);
        if (pending.empty()) return std::nullopt;
      }
      std::string line = pending.front();
      pending.pop_front();
      return line;
    };
    const SessionResult session =
        runInProcess([&] { run.status = runBot(std::cin, std::cout, std::cerr, settings(ponder)); }, nextLine);
    run.out = session.out;
    run.err = session.err;
    return arena;
  }
};

// Input of the turn after the opponent played the centre of the centre: eight
// valid actions, the rest of the centre quadrant.
std::string afterCentre() {
  Referee referee;
  referee.play(Move(4, 4));
  return referee.turnText();
}

TEST_F(BotProtocolTest, PlaysAWholeGameAsEitherPlayerWithValidActionsOnly) {
  // Pondering searches the opponent's position between turns, and the next
  // turn must go on from the opponent's actual move.
  for (const auto& [botPlayer, ponder] : {std::pair{1, false}, {2, false}, {1, true}, {2, true}}) {
    SCOPED_TRACE("bot as player " + std::to_string(botPlayer) + (ponder ? ", pondering" : ""));
    looks = 0;
    BotRun run;
    const ArenaOpponent arena = playGame(botPlayer, 7, run, ponder);
    EXPECT_EQ(arena.failure(), "");
    EXPECT_NE(arena.winner(), 0) << "the game did not end";
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    // Nothing but answers on the output: every line was judged a valid action.
    EXPECT_EQ(static_cast<int>(std::count(run.out.begin(), run.out.end(), '\n')), arena.answers());
    EXPECT_GE(arena.answers(), 8);
    EXPECT_EQ(NodePool::size(), NodePool::maxSize());
    if (ponder) {
      EXPECT_GE(looks, 20 * (arena.answers() - 1)) << "every turn after the first pondered";
    }
  }
}

TEST_F(BotProtocolTest, AnswersOneLineWithTheSquareThenInformativeFigures) {
  const BotRun r = run(afterCentre());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  Referee referee;
  referee.play(Move(4, 4));
  const std::variant<Move, Fault> judged = referee.judge(r.out.substr(0, r.out.find('\n')));
  ASSERT_TRUE(std::holds_alternative<Move>(judged)) << r.out;
  EXPECT_EQ(std::get<Move>(judged).global, 4);
  EXPECT_NE(r.out.find(" winrate "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" playouts "), std::string::npos) << r.out;
  EXPECT_EQ(r.out.back(), '\n');
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
}

TEST_F(BotProtocolTest, EndOfInputBetweenTurnsEndsTheGameQuietly) {
  for (const std::string& input : {std::string(), Referee().turnText()}) {
    const BotRun r = run(input);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
  }
}

struct BadInput {
  const char* name;
  std::string input;
  std::string message;
};

TEST_F(BotProtocolTest, EachClassOfBadInputGivesOneLineAndFailure) {
  const std::string first = Referee().turnText();
  // The bot's first answer is not known in advance, but in the centre
  // quadrant it can only send the opponent away from the centre, and "4 4"
  // is taken already.
  const std::vector<BadInput> cases = {
      {"malformed move", "4\n", "line 1: expected the opponent's move as \"row col\", got \"4\""},
      {"words", "e5 please\n", "line 1: expected the opponent's move as \"row col\", got \"e5 please\""},
      {"off the grid", "9 0\n", "line 1: the opponent's move outside the 9x9 grid, got \"9 0\""},
      {"half a no-move", "-1 4\n", "line 1: the opponent's move outside the 9x9 grid, got \"-1 4\""},
      {"far off the grid", "2147483647 2147483647\n",
       "line 1: the opponent's move outside the 9x9 grid, got \"2147483647 2147483647\""},
      {"illegal move", afterCentre() + "4 4\n", "line 11: the opponent's move 4 4 is illegal on the board"},
      {"no-move after the start", first + "-1 -1\n",
       "line 84: \"-1 -1\" (no move yet) after the game has started, got \"-1 -1\""},
      {"count not a number", "-1 -1\nmany\n", "line 2: expected the number of valid actions, got \"many\""},
      {"count disagrees", "-1 -1\n80\n", "line 2: the input lists 80 valid actions, the board has 81"},
      {"action not on the board", "4 4\n8\n4 4\n", "line 3: valid action 4 4 is not legal on the board"},
      {"action off the grid", "4 4\n8\n3 9\n", "line 3: valid action 3 9 is not legal on the board"},
      {"action far off the grid", "4 4\n8\n2147483647 2147483647\n",
       "line 3: valid action 2147483647 2147483647 is not legal on the board"},
      {"action listed twice", "4 4\n8\n3 3\n3 3\n", "line 4: valid action 3 3 is listed twice"},
      {"malformed action", "4 4\n8\n3,3\n", "line 3: expected a valid action as \"row col\", got \"3,3\""},
      {"end before the count", "-1 -1\n", "line 2: input ended before the number of valid actions"},
      {"end inside the list", "-1 -1\n81\n0 0\n", "line 4: input ended before valid action 2 of 81"},
  };
  for (const BadInput& c : cases) {
    SCOPED_TRACE(c.name);
    const BotRun r = run(c.input);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "uttt_bot: " + c.message + "\n");
    EXPECT_EQ(NodePool::size(), NodePool::maxSize());
  }
}

TEST_F(BotProtocolTest, ArgumentsSetTheTimeAndSearchParameters) {
  BotSettings s;
  const std::vector<std::string_view> args = {"0.25", "exploration=0.7", "first_search_share=0.5"};
  EXPECT_EQ(configureBot(args, s), std::nullopt);
  EXPECT_DOUBLE_EQ(s.seconds, 0.25);
  EXPECT_DOUBLE_EQ(uct::policy.exploration, 0.7);
  EXPECT_DOUBLE_EQ(searchParameters().firstSearchShare, 0.5);

  BotSettings defaults;
  EXPECT_EQ(configureBot({}, defaults), std::nullopt);
  EXPECT_DOUBLE_EQ(defaults.seconds, 0.1);
  const std::vector<std::string_view> parameterOnly = {"exploration=2"};
  EXPECT_EQ(configureBot(parameterOnly, defaults), std::nullopt);
  EXPECT_DOUBLE_EQ(defaults.seconds, 0.1);

  const std::vector<std::string_view> mixed = {"eval=network", "mix=0.25", "prior=24", "prior_at=8", "prior_wide=0",
                                               "prior_temp=2", "ponder=1"};
  EXPECT_EQ(configureBot(mixed, s), std::nullopt);
  EXPECT_EQ(s.priorVisits, 24);
  EXPECT_EQ(s.priorAt, 8);
  EXPECT_EQ(s.priorWide, 0);
  EXPECT_DOUBLE_EQ(s.priorTemperature, 2.0);
  EXPECT_TRUE(s.ponder);
  EXPECT_EQ(s.evaluation, LeafEvaluation::network);
  EXPECT_DOUBLE_EQ(s.networkShare, 0.25);
  EXPECT_EQ(s.network, nullptr);

  const std::string path = ::testing::TempDir() + "bot_weights.nnue";
  const std::vector<std::uint8_t> bytes = nnue::saveNetwork(nnue::defaultNetwork());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  const std::string netArg = "net=" + path;
  const std::vector<std::string_view> fromFile = {netArg};
  EXPECT_EQ(configureBot(fromFile, s), std::nullopt);
  ASSERT_NE(s.network, nullptr);
  EXPECT_EQ(s.network->outputBias, nnue::defaultNetwork().outputBias);
  std::remove(path.c_str());
}

TEST_F(BotProtocolTest, WrongArgumentsAreNamed) {
  const std::vector<std::pair<std::vector<std::string_view>, std::string>> cases = {
      {{"fast"}, "the thinking time must be a number of seconds above 0 and at most 3600, got \"fast\""},
      {{"0"}, "the thinking time must be a number of seconds above 0 and at most 3600, got \"0\""},
      {{"nan"}, "the thinking time must be a number of seconds above 0 and at most 3600, got \"nan\""},
      {{"4000"}, "the thinking time must be a number of seconds above 0 and at most 3600, got \"4000\""},
      {{"0.1", "0.2"}, "unexpected argument \"0.2\" (search parameters are NAME=VALUE)"},
      {{"depth=3"}, "unknown search parameter \"depth\""},
      {{"=3"}, "unknown search parameter \"\""},
      {{"exploration=high"}, "bad value \"high\" for search parameter exploration"},
      {{"exploration="}, "bad value \"\" for search parameter exploration"},
      {{"exploration=-1"}, "bad value \"-1\" for search parameter exploration"},
      {{"first_search_share=inf"}, "bad value \"inf\" for search parameter first_search_share"},
      {{"mix=1.5"}, "bad value \"1.5\" for mix (a share from 0 to 1)"},
      {{"mix=half"}, "bad value \"half\" for mix (a share from 0 to 1)"},
      {{"prior=2.5"}, "bad value \"2.5\" for prior (a whole number from 0 to 1000000)"},
      {{"prior_at=-1"}, "bad value \"-1\" for prior_at (a whole number from 0 to 1000000)"},
      {{"prior_wide=x"}, "bad value \"x\" for prior_wide (a whole number from 0 to 1000000)"},
      {{"prior_temp=0"}, "bad value \"0\" for prior_temp (a temperature from 0.1 to 100)"},
      {{"ponder=yes"}, "bad value \"yes\" for ponder (0 or 1)"},
      {{"net=/nonexistent/weights.nnue"}, "cannot open weights file /nonexistent/weights.nnue"},
  };
  for (const auto& [args, message] : cases) {
    SCOPED_TRACE(message);
    BotSettings s;
    EXPECT_EQ(configureBot(args, s), message);
  }
  EXPECT_NE(botUsage().find("exploration"), std::string::npos);
}

}  // namespace
