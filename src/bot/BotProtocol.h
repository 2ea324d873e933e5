#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "SearchContext.h"

// The engine behind the arena protocol of ultimate tic-tac-toe bots. Each
// turn the bot reads the opponent's last move as "row col" ("-1 -1" when the
// bot moves first), the number of valid actions and that many "row col"
// lines, and answers one line "row col" followed by informative figures.

struct BotSettings {
  // Thinking time per move, counted from the moment a turn's first line is read.
  double seconds = 0.1;
  // Write each turn's time, from reading its first line to writing the
  // answer, as a line on the error stream.
  bool reportTiming = false;
  // How the search judges its leaves.
  LeafEvaluation evaluation = LeafEvaluation::playout;
  // With the network, the share of leaves it judges (the rest get playouts).
  double networkShare = 1.0;
  // Network priors for the children of nodes with priorAt visits (0: none);
  // on by default, since they play stronger than playouts alone.
  std::int32_t priorVisits = kStrongPriorVisits;
  std::int32_t priorAt = kStrongPriorAt;
  // Nodes with more children than priorWide get them as soon as they have
  // children (0: none do).
  std::int32_t priorWide = kStrongPriorWide;
  // The temperature of the network's verdict behind the priors.
  double priorTemperature = 1.0;
  // Search on while the opponent thinks (pondering), from the position after
  // the bot's own move until inputWaiting says the next turn has come; the
  // next search goes on from that tree. Needs inputWaiting.
  bool ponder = false;
  // Weights read from a file (net=FILE); null means the built-in network.
  std::shared_ptr<const nnue::Network> network;
  // Whether the next input has arrived, asked between bits of idle work;
  // null asks the input stream's buffer (in_avail), which is enough for
  // in-memory input but cannot see into a pipe.
  bool (*inputWaiting)() = nullptr;
};

// Usage text of the program, several lines ending in a line end.
std::string botUsage();

// Reads the command-line arguments after the program name: an optional
// thinking time in seconds, then NAME=VALUE pairs that go to
// setSearchParameter in order, except eval=playout or eval=network, which
// chooses the leaf evaluation, mix=SHARE (0 to 1), the share of leaves
// the network judges, prior=N and prior_at=V, the network's priors (N
// results for each child of a node with V visits), prior_wide=C (nodes with
// more than C children get them at 2 visits; 0: none), prior_temp=T, the
// temperature of their proportions (0.1 to 100), ponder=0|1, whether to
// search while the opponent thinks, and net=FILE, a weights file to judge
// them by (its loader's message when it is refused);
// "--timing" may stand anywhere. Returns a one-line message (without line
// end) for the first argument that is wrong; settings and the parameters
// set before it keep what they got.
std::optional<std::string> configureBot(std::span<const std::string_view> args, BotSettings& settings);

// Plays one game: reads turns from in until a clean end of input between two
// turns (returns 0) and writes each answer to out as one flushed line. Bad
// input (a malformed line, an illegal opponent move, a list of valid actions
// that differs from the board's, end of input inside a turn) or a failed
// search writes one line to err and returns 1. The engine writes nothing of
// its own; the game tree is freed before returning.
// What the search prunes is freed off the clock: after an answer, until the
// next input arrives (settings.inputWaiting), or bit by bit when a search
// finds the pool short.
int runBot(std::istream& in, std::ostream& out, std::ostream& err, const BotSettings& settings);
