#pragma once

#include <array>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "MatchGame.h"
#include "MatchStats.h"

// What a match is to play, from the runner's command line.
struct MatchOptions {
  std::string commandA;
  std::string commandB;
  int games = 100;
  GameLimits limits;
  int concurrency = 1;
  std::optional<Sprt> sprt;
  std::string logPath;  // empty: no log
};

// The time the move limit allows beyond the bots' thinking time --tc.
inline constexpr std::chrono::milliseconds kMoveMargin{100};

// Usage text of uttt_match, several lines ending in a line end.
std::string matchUsage();

// Reads the arguments after the program name. Returns the options, or a
// one-line message (without line end) about the first wrong argument.
std::variant<MatchOptions, std::string> parseMatchOptions(std::span<const std::string_view> args);

struct MatchResult {
  Tally tally;  // from A's point of view
  // The same split by A's colour: [0] A as player 1, [1] A as player 2.
  // The first player's edge in this game is large, so a bot's strength
  // often shows in one colour's games more than in the other's.
  std::array<Tally, 2> tallyAs;
  int forfeitsA = 0;
  int forfeitsB = 0;
  // Each side's reply times (see GameOutcome::replies).
  ReplyTimes repliesA;
  ReplyTimes repliesB;
  // Set when the SPRT reached a bound; the match stopped there.
  std::optional<SprtVerdict> verdict;
};

// Plays the match: game n (from 1) has A as player 1 when n is odd, a fresh
// pair of processes each; with concurrency 2, two games run at once. Writes
// a header, one progress line per finished game and the summary to report,
// and appends each game's record line to the log. With an SPRT, no game
// starts after the LLR reached a bound. Throws std::runtime_error when the
// log cannot be opened, std::system_error when a process cannot start.
MatchResult runMatch(const MatchOptions& options, std::ostream& report);
