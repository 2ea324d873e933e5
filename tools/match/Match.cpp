#include "Match.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <fstream>
#include <mutex>
#include <ostream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

constexpr int kMaxConcurrency = 2;
constexpr int kMaxGames = 1000000;

template <typename T>
bool parseNumber(std::string_view text, T& value) {
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && error == std::errc() && stop == text.data() + text.size();
}

// "+12.34", "-0.50", "+inf": numbers in reports, sign always shown.
std::string signedNumber(double value, int decimals) {
  if (std::isinf(value)) return value > 0 ? "+inf" : "-inf";
  value += 0.0;  // -0 shows as +0
  char text[64];
  std::snprintf(text, sizeof text, "%+.*f", decimals, value);
  return text;
}

std::string fixedNumber(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string tallyText(const Tally& t) {
  char text[64];
  std::snprintf(text, sizeof text, "+%d =%d -%d", t.wins, t.draws, t.losses);
  return text;
}

const char* verdictText(SprtVerdict v) {
  switch (v) {
    case SprtVerdict::AcceptH0:
      return "H0 accepted";
    case SprtVerdict::AcceptH1:
      return "H1 accepted";
    case SprtVerdict::Continue:
      break;
  }
  return "no decision";
}

// The state the games share: the next game to start and what finished.
class Scoreboard {
 public:
  Scoreboard(const MatchOptions& options, std::ostream& report) : options_(options), report_(report) {
    if (!options.logPath.empty()) {
      log_.open(options.logPath, std::ios::app);
      if (!log_) throw std::runtime_error("cannot open the log file " + options.logPath);
    }
  }

  // The number of the next game to play, or 0 when the match is over.
  int claimGame() {
    const std::lock_guard lock(mutex_);
    if (stopped_ || next_ > options_.games) return 0;
    return next_++;
  }

  void finish(int game, const GameOutcome& outcome) {
    const std::lock_guard lock(mutex_);
    const int playerA = game % 2 == 1 ? 1 : 2;
    result_.repliesA.add(outcome.replies[static_cast<std::size_t>(playerA - 1)]);
    result_.repliesB.add(outcome.replies[static_cast<std::size_t>(2 - playerA)]);
    std::string line = "Game " + std::to_string(game) + " of " + std::to_string(options_.games) +
                       ": A (player " + std::to_string(playerA) + ") ";
    // The game counts in the whole tally and in A's colour's.
    Tally& colour = result_.tallyAs[static_cast<std::size_t>(playerA - 1)];
    auto count = [&](int Tally::*result) {
      ++(result_.tally.*result);
      ++(colour.*result);
    };
    if (outcome.winner == -1) {
      count(&Tally::draws);
      line += "draws";
    } else if (outcome.winner == playerA) {
      count(&Tally::wins);
      line += "wins";
    } else {
      count(&Tally::losses);
      line += "loses";
    }
    if (outcome.forfeit) {
      const bool byA = outcome.forfeit->player == playerA;
      ++(byA ? result_.forfeitsA : result_.forfeitsB);
      line += std::string(", ") + (byA ? "A" : "B") + " forfeits by " + faultName(outcome.forfeit->fault) + ": " +
              outcome.forfeit->detail;
    }
    report_ << line << " | A " << tallyText(result_.tally) << ", score "
            << fixedNumber(result_.tally.score(), 3) << std::endl;
    if (log_.is_open()) log_ << outcome.record << std::endl;

    if (options_.sprt && !result_.verdict) {
      const double llr = sprtLlr(result_.tally, options_.sprt->elo0, options_.sprt->elo1);
      const SprtVerdict verdict = sprtVerdict(llr, *options_.sprt);
      if (verdict != SprtVerdict::Continue) {
        result_.verdict = verdict;
        stopped_ = true;
        report_ << "SPRT: " << verdictText(verdict) << " after " << result_.tally.games()
                << " games (LLR " << fixedNumber(llr, 2) << "); games under way are finished" << std::endl;
      }
    }
  }

  // Stops the match after a failure that is no bot's fault.
  void abort(std::exception_ptr error) {
    const std::lock_guard lock(mutex_);
    stopped_ = true;
    if (!error_) error_ = error;
  }

  MatchResult result() const {
    if (error_) std::rethrow_exception(error_);
    return result_;
  }

 private:
  const MatchOptions& options_;
  std::ostream& report_;
  std::ofstream log_;
  std::mutex mutex_;
  int next_ = 1;
  bool stopped_ = false;
  std::exception_ptr error_;
  MatchResult result_;
};

void playGames(const MatchOptions& options, Scoreboard& board) {
  try {
    while (const int game = board.claimGame()) {
      const bool aFirst = game % 2 == 1;
      const GameOutcome outcome = aFirst ? playGame(options.commandA, options.commandB, options.limits)
                                         : playGame(options.commandB, options.commandA, options.limits);
      board.finish(game, outcome);
    }
  } catch (...) {
    board.abort(std::current_exception());
  }
}

void printReplies(const char* side, const ReplyTimes& r, std::ostream& report) {
  report << "Reply times of " << side << ": ";
  if (r.count() == 0) {
    report << "none after the first move" << std::endl;
    return;
  }
  report << "worst " << fixedNumber(r.worst(), 1) << " ms, 99.9th percentile " << fixedNumber(r.percentile(99.9), 1)
         << " ms over " << r.count() << " replies" << std::endl;
}

void printSummary(const MatchOptions& options, const MatchResult& r, std::ostream& report) {
  const Tally& t = r.tally;
  report << "Result of A over " << t.games() << " games: " << tallyText(t) << " (wins, draws, losses)" << std::endl;
  if (t.games() == 0) return;
  report << "Score of A: " << fixedNumber(t.points(), 1) << " of " << t.games() << " = "
         << fixedNumber(t.score(), 4) << std::endl;
  report << "By colour, A as player 1: " << tallyText(r.tallyAs[0]) << ", as player 2: " << tallyText(r.tallyAs[1])
         << std::endl;
  const EloEstimate e = estimateElo(t);
  report << "Elo difference of A: " << signedNumber(e.elo, 2) << ", 95% interval " << signedNumber(e.low, 2)
         << " to " << signedNumber(e.high, 2) << std::endl;
  if (options.sprt) {
    const Sprt& s = *options.sprt;
    const double llr = sprtLlr(t, s.elo0, s.elo1);
    report << "SPRT H0 elo " << signedNumber(s.elo0, 1) << " against H1 elo " << signedNumber(s.elo1, 1)
           << " (alpha " << s.alpha << ", beta " << s.beta << "): LLR " << fixedNumber(llr, 2) << " within "
           << fixedNumber(s.lowerBound(), 2) << " and " << fixedNumber(s.upperBound(), 2) << ": "
           << verdictText(r.verdict.value_or(SprtVerdict::Continue)) << std::endl;
  }
  report << "Forfeits: A " << r.forfeitsA << ", B " << r.forfeitsB << std::endl;
  printReplies("A", r.repliesA, report);
  printReplies("B", r.repliesB, report);
}

}  // namespace

std::string matchUsage() {
  return "usage: uttt_match [OPTIONS] COMMAND_A COMMAND_B\n"
         "Plays games between two bots speaking the arena protocol on standard input and\n"
         "output, each command run through /bin/sh -c with a fresh pair of processes per game.\n"
         "A moves first in odd games, B in even ones. A bot that crashes, misses the time\n"
         "limit, or answers with a malformed line or an illegal move loses that game.\n"
         "\n"
         "  --games N          games to play (default 100)\n"
         "  --tc SECONDS       the bots' thinking time per move; the move limit is then\n"
         "                     that plus a margin of 100 ms (default 0.1, a 200 ms limit)\n"
         "  --move-ms MS       the move limit in milliseconds, instead of --tc plus margin\n"
         "  --startup-ms MS    extra time for each side's first move (default 1000)\n"
         "  --sprt ELO0,ELO1   sequential probability ratio test of H0: A is ELO0 stronger\n"
         "                     against H1: A is ELO1 stronger, alpha = beta = 0.05; the\n"
         "                     match stops once the LLR reaches a bound\n"
         "  --concurrency N    games at a time, 1 or 2 (default 1)\n"
         "  --log FILE         append each game's moves to FILE as a record line that\n"
         "                     `uttt -a` reads\n"
         "  --help             this text\n"
         "\n"
         "The time limit counts from sending a turn's input to receiving the answer line.\n"
         "Results are from A's point of view: wins, draws, losses, score, the Elo\n"
         "difference with its 95% interval, and the SPRT's log-likelihood ratio.\n";
}

std::variant<MatchOptions, std::string> parseMatchOptions(std::span<const std::string_view> args) {
  MatchOptions options;
  std::vector<std::string_view> commands;
  double tc = 0.1;
  int moveMs = -1;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg.size() < 2 || arg.substr(0, 2) != "--") {
      commands.push_back(arg);
      continue;
    }
    if (i + 1 >= args.size()) return std::string(arg) + " needs a value";
    const std::string_view value = args[++i];
    const std::string bad = "bad value \"" + std::string(value) + "\" for " + std::string(arg);
    if (arg == "--games") {
      if (!parseNumber(value, options.games) || options.games < 1 || options.games > kMaxGames) return bad;
    } else if (arg == "--tc") {
      if (!parseNumber(value, tc) || !(tc > 0) || tc > 3600) return bad;
    } else if (arg == "--move-ms") {
      if (!parseNumber(value, moveMs) || moveMs < 1) return bad;
    } else if (arg == "--startup-ms") {
      int ms = 0;
      if (!parseNumber(value, ms) || ms < 0) return bad;
      options.limits.startup = std::chrono::milliseconds(ms);
    } else if (arg == "--concurrency") {
      if (!parseNumber(value, options.concurrency) || options.concurrency < 1 ||
          options.concurrency > kMaxConcurrency)
        return bad;
    } else if (arg == "--sprt") {
      const std::size_t comma = value.find(',');
      Sprt sprt;
      if (comma == std::string_view::npos || !parseNumber(value.substr(0, comma), sprt.elo0) ||
          !parseNumber(value.substr(comma + 1), sprt.elo1) || !std::isfinite(sprt.elo0) ||
          !std::isfinite(sprt.elo1) || !(sprt.elo0 < sprt.elo1))
        return bad + " (expected ELO0,ELO1 with ELO0 < ELO1)";
      options.sprt = sprt;
    } else if (arg == "--log") {
      if (value.empty()) return bad;
      options.logPath = value;
    } else {
      return "unknown option " + std::string(arg);
    }
  }
  if (commands.size() != 2) return "expected two bot commands, got " + std::to_string(commands.size());
  options.commandA = commands[0];
  options.commandB = commands[1];
  options.limits.move = moveMs > 0 ? std::chrono::milliseconds(moveMs)
                                   : std::chrono::milliseconds(std::lround(tc * 1000)) + kMoveMargin;
  return options;
}

MatchResult runMatch(const MatchOptions& options, std::ostream& report) {
  report << "A: " << options.commandA << "\nB: " << options.commandB << "\n"
         << options.games << " games, move limit " << options.limits.move.count() << " ms (first move +"
         << options.limits.startup.count() << " ms), " << options.concurrency << " at a time" << std::endl;
  Scoreboard board(options, report);
  std::vector<std::thread> helpers;
  for (int i = 1; i < options.concurrency; ++i) helpers.emplace_back(playGames, std::cref(options), std::ref(board));
  playGames(options, board);
  for (std::thread& t : helpers) t.join();
  const MatchResult result = board.result();
  printSummary(options, result, report);
  return result;
}
