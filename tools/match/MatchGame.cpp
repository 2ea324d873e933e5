#include "MatchGame.h"

#include <array>
#include <memory>

#include "BotProcess.h"
#include "GridMove.h"

namespace {

// How long a bot whose output closed gets to finish exiting, so that its
// exit status and last error line can go into the report.
constexpr std::chrono::milliseconds kExitGrace{500};

std::string crashDetail(BotProcess& bot) {
  std::string detail = bot.exitDescription(BotProcess::Clock::now() + kExitGrace);
  const std::string errorLine = bot.lastErrorLine();
  if (!errorLine.empty()) detail += ", last error line " + quoteLine(errorLine, 200);
  return detail;
}

}  // namespace

GameOutcome playGame(const std::string& player1, const std::string& player2, const GameLimits& limits) {
  std::array<std::unique_ptr<BotProcess>, 2> bots;
  bots[0] = std::make_unique<BotProcess>(player1);
  bots[1] = std::make_unique<BotProcess>(player2);
  std::array<bool, 2> started{};
  Referee referee;
  GameOutcome outcome;

  while (referee.winner() == 0 && !outcome.forfeit) {
    const int player = referee.playerToMove();
    BotProcess& bot = *bots[static_cast<std::size_t>(player - 1)];
    bool& first = started[static_cast<std::size_t>(player - 1)];
    const std::chrono::milliseconds limit = limits.move + (first ? std::chrono::milliseconds(0) : limits.startup);

    const bool firstTurn = !first;
    first = true;
    const BotProcess::Clock::time_point sent = BotProcess::Clock::now();
    const BotProcess::Clock::time_point deadline = sent + limit;
    std::string line;
    BotProcess::Status status = bot.send(referee.turnText(), deadline);
    if (status == BotProcess::Status::Ok) status = bot.readLine(line, deadline);
    if (status == BotProcess::Status::Ok && !firstTurn) {
      outcome.replies[static_cast<std::size_t>(player - 1)].add(
          std::chrono::duration<double, std::milli>(BotProcess::Clock::now() - sent).count());
    }

    if (status == BotProcess::Status::Closed) {
      outcome.forfeit = Forfeit{player, Fault::Crash, crashDetail(bot)};
    } else if (status == BotProcess::Status::Timeout) {
      outcome.forfeit =
          Forfeit{player, Fault::Timeout, "no answer within " + std::to_string(limit.count()) + " ms"};
    } else {
      const std::variant<Move, Fault> judged = referee.judge(line);
      if (const Fault* fault = std::get_if<Fault>(&judged)) {
        outcome.forfeit = Forfeit{player, *fault, quoteLine(line)};
      } else {
        referee.play(std::get<Move>(judged));
      }
    }
  }
  for (auto& bot : bots) bot->kill();
  outcome.winner = outcome.forfeit ? 3 - outcome.forfeit->player : referee.winner();
  outcome.record = referee.record();
  return outcome;
}
