#include "BotProtocol.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <iostream>
#include <memory>
#include <new>
#include <stdexcept>

#include "Game.h"
#include "GridMove.h"
#include "Node.h"
#include "SearchParameters.h"
#include "WeightsFile.h"

namespace {

using Clock = std::chrono::steady_clock;

// Longest thinking time accepted on the command line: an hour.
constexpr double kMaxSeconds = 3600.0;
// Discarded nodes freed between two looks at the input while idle: well
// under a millisecond of work, so a turn that arrives waits no longer.
constexpr std::uint64_t kIdleReclaimChunk = 16384;

// A fault in what the bot was told, with the input line it was found on.
class InputError : public std::runtime_error {
 public:
  InputError(long lineNumber, const std::string& what)
      : std::runtime_error("line " + std::to_string(lineNumber) + ": " + what) {}
};

// Numbered lines of the input.
class LineInput {
 public:
  explicit LineInput(std::istream& in) : in_(in) {}

  // Reads the next line; false at end of input.
  bool next() {
    if (!std::getline(in_, line_)) return false;
    ++number_;
    return true;
  }
  // Reads the next line, which must be there: `what` names it for the message.
  void require(const std::string& what) {
    if (!next()) throw InputError(number_ + 1, "input ended before " + what);
  }
  const std::string& line() const { return line_; }
  long number() const { return number_; }

  [[noreturn]] void fail(const std::string& what) const {
    throw InputError(number_, what + ", got " + quoteLine(line_));
  }
  // The line as a grid square "row col".
  GridSquare square(const char* what) const {
    std::array<int, 2> rc{};
    if (!parseIntegers(line_, rc, false)) fail(std::string("expected ") + what + " as \"row col\"");
    return {rc[0], rc[1]};
  }

 private:
  std::istream& in_;
  std::string line_;
  long number_ = 0;
};

std::string squareText(const GridSquare& s) { return std::to_string(s.row) + " " + std::to_string(s.col); }

// One game's tree, from the initial position down to the position now.
class BotGame {
 public:
  Node* now() const { return now_; }
  bool started() const { return now_->hasMove() || movedFirst_; }
  void moveFirst() { movedFirst_ = true; }
  void play(const Move& move) {
    now_->setChild(move, Disposal::deferred);
    now_ = now_->getChildren().back();
  }

 private:
  std::unique_ptr<Node> top_ = std::make_unique<Node>();
  Node* now_ = top_.get();
  bool movedFirst_ = false;
};

// The opponent's move line of a turn, played on the board.
void readOpponentMove(LineInput& input, BotGame& game) {
  const GridSquare s = input.square("the opponent's move");
  if (s == GridSquare{}) {
    if (game.started()) input.fail("\"-1 -1\" (no move yet) after the game has started");
    game.moveFirst();
    return;
  }
  if (!onGrid(s)) input.fail("the opponent's move outside the 9x9 grid");
  if (!game.now()->isLegal(fromGrid(s))) {
    throw InputError(input.number(), "the opponent's move " + squareText(s) + " is illegal on the board");
  }
  game.play(fromGrid(s));
}

// The list of valid actions of a turn, checked against the board's legal moves.
void readValidActions(LineInput& input, const Node& now) {
  std::array<bool, 81> legal{};
  int legalCount = 0;
  for (int g = 0; g < 9; ++g)
    for (int l = 0; l < 9; ++l)
      if (now.isLegal(Move(g, l))) {
        legal[static_cast<std::size_t>(9 * g + l)] = true;
        ++legalCount;
      }
  if (legalCount == 0) throw InputError(input.number(), "the game is over: there is no move to make");

  input.require("the number of valid actions");
  std::array<int, 1> count{};
  if (!parseIntegers(input.line(), count, false)) input.fail("expected the number of valid actions");
  if (count[0] != legalCount) {
    throw InputError(input.number(), "the input lists " + std::to_string(count[0]) + " valid actions, the board has " +
                                         std::to_string(legalCount));
  }
  std::array<bool, 81> listed{};
  for (int i = 1; i <= legalCount; ++i) {
    input.require("valid action " + std::to_string(i) + " of " + std::to_string(legalCount));
    const GridSquare s = input.square("a valid action");
    const Move m = onGrid(s) ? fromGrid(s) : Move();
    const auto index = static_cast<std::size_t>(9 * m.global + m.local);
    if (!onGrid(s) || !legal[index]) {
      throw InputError(input.number(), "valid action " + squareText(s) + " is not legal on the board");
    }
    if (listed[index]) throw InputError(input.number(), "valid action " + squareText(s) + " is listed twice");
    listed[index] = true;
  }
}

// The answer line: the square, then the chosen move's share of won playouts
// and the playouts behind it, for whoever watches.
void answer(std::ostream& out, const Move& move, const Node& chosen) {
  const GridSquare s = toGrid(move);
  out << s.row << ' ' << s.col;
  if (chosen.getNumVisits() > 0) {
    out << " winrate " << static_cast<double>(chosen.getNumWins()) / chosen.getNumVisits() << " playouts "
        << chosen.getNumVisits();
  }
  out << std::endl;
}

// Frees what the search and the moves discarded until input arrives.
void reclaimWhileIdle(std::istream& in, const BotSettings& settings) {
  while (Node::hasDiscards()) {
    const bool waiting = settings.inputWaiting != nullptr ? settings.inputWaiting() : in.rdbuf()->in_avail() != 0;
    if (waiting) return;
    Node::reclaim(kIdleReclaimChunk);
  }
}

// Frees every discarded node on leaving a game, however it ends.
struct ReclaimAtEnd {
  ReclaimAtEnd() = default;
  ReclaimAtEnd(const ReclaimAtEnd&) = delete;
  ReclaimAtEnd& operator=(const ReclaimAtEnd&) = delete;
  ~ReclaimAtEnd() { Node::reclaim(~std::uint64_t{0}); }
};

void playTurns(std::istream& in, LineInput& input, std::ostream& out, std::ostream& err,
               const BotSettings& settings) {
  const ReclaimAtEnd reclaimAtEnd;
  SearchContext& search = defaultSearch();
  search.evaluation = settings.evaluation;
  search.networkShare = settings.networkShare;
  search.network = settings.network.get();
  search.priorVisits = settings.priorVisits;
  search.priorAt = settings.priorAt;
  search.priorWide = settings.priorWide;
  search.priorTemperature = settings.priorTemperature;
  BotGame game;
  for (int turn = 1;; ++turn) {
    // What the last turn discarded goes first, so that pondering does not
    // grow the memory in use.
    reclaimWhileIdle(in, settings);
    if (settings.ponder && settings.inputWaiting != nullptr && game.started() && game.now()->getWinner() == 0)
      searchUntilInput(search, game.now(), settings.inputWaiting);
    if (!input.next()) break;
    const Clock::time_point start = Clock::now();
    readOpponentMove(input, game);
    readValidActions(input, *game.now());

    const double spent = std::chrono::duration<double>(Clock::now() - start).count();
    SearchReport report;
    const Move move = getMove(search, game.now(), settings.seconds - spent, Disposal::deferred, report);
    if (!game.now()->isLegal(move)) throw std::logic_error("the search chose an illegal move");
    game.play(move);
    answer(out, move, *game.now());
    if (settings.reportTiming) {
      const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      err << "uttt_bot: turn " << turn << " answered in " << ms << " ms" << std::endl;
    }
  }
}

}  // namespace

std::string botUsage() {
  std::string names;
  for (const std::string& name : searchParameterNames()) names += (names.empty() ? "" : ", ") + name;
  return "usage: uttt_bot [SECONDS] [NAME=VALUE ...] [--timing]\n"
         "Plays ultimate tic-tac-toe through the arena bot protocol on standard input and output.\n"
         "Each turn: the opponent's last move \"row col\" (\"-1 -1\" to move first), the number of\n"
         "valid actions, that many \"row col\" lines; the answer is \"row col\" and informative figures.\n"
         "SECONDS  thinking time per move, from reading the turn's first line (default 0.1)\n"
         "NAME=VALUE  sets a search parameter: " +
         names +
         "\n"
         "eval=playout|network  judges leaves by random playouts (default) or by the value network\n"
         "mix=SHARE  with the network, the share of leaves it judges; random playouts judge the rest\n"
         "prior=N  gives each child of a node with prior_at=V visits (default 4) N results in the\n"
         "          proportions of the network's verdict on it (default 64; 0: playouts alone)\n"
         "prior_wide=C  nodes with more than C children get them at 2 visits (default 9; 0: none)\n"
         "prior_temp=T  the temperature of those proportions: above 1 evens them out (default 1)\n"
         "ponder=1  searches on while the opponent thinks (default 0)\n"
         "net=FILE  the network's weights from FILE instead of the built-in ones\n"
         "--timing  writes each turn's time from its first line to the answer on standard error\n";
}

std::optional<std::string> configureBot(std::span<const std::string_view> args, BotSettings& settings) {
  std::size_t position = 0;  // among the arguments other than --timing
  for (const std::string_view arg : args) {
    if (arg == "--timing") {
      settings.reportTiming = true;
      continue;
    }
    const std::size_t i = position++;
    const std::size_t eq = arg.find('=');
    const std::string_view text = eq == std::string_view::npos ? arg : arg.substr(eq + 1);
    double value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool isNumber = !text.empty() && error == std::errc() && stop == text.data() + text.size();
    if (eq == std::string_view::npos) {
      if (i != 0) return "unexpected argument \"" + std::string(arg) + "\" (search parameters are NAME=VALUE)";
      if (!isNumber || !(value > 0) || value > kMaxSeconds) {
        return "the thinking time must be a number of seconds above 0 and at most 3600, got \"" +
               std::string(arg) + "\"";
      }
      settings.seconds = value;
      continue;
    }
    const std::string_view name = arg.substr(0, eq);
    if (name == "eval") {
      if (text == "playout") settings.evaluation = LeafEvaluation::playout;
      else if (text == "network") settings.evaluation = LeafEvaluation::network;
      else return "bad value \"" + std::string(text) + "\" for eval (playout or network)";
      continue;
    }
    if (name == "net") {
      try {
        settings.network = nnue::loadNetworkFile(std::string(text));
      } catch (const std::exception& e) {
        return std::string(e.what());
      }
      continue;
    }
    if (name == "prior" || name == "prior_at" || name == "prior_wide") {
      if (!isNumber || !(value >= 0.0 && value <= 1e6) || value != std::floor(value))
        return "bad value \"" + std::string(text) + "\" for " + std::string(name) + " (a whole number from 0 to 1000000)";
      (name == "prior" ? settings.priorVisits : name == "prior_at" ? settings.priorAt : settings.priorWide) =
          static_cast<std::int32_t>(value);
      continue;
    }
    if (name == "ponder") {
      if (text != "0" && text != "1") return "bad value \"" + std::string(text) + "\" for ponder (0 or 1)";
      settings.ponder = text == "1";
      continue;
    }
    if (name == "prior_temp") {
      if (!isNumber || !(value >= 0.1 && value <= 100.0))
        return "bad value \"" + std::string(text) + "\" for prior_temp (a temperature from 0.1 to 100)";
      settings.priorTemperature = value;
      continue;
    }
    if (name == "mix") {
      if (!isNumber || !(value >= 0.0 && value <= 1.0))
        return "bad value \"" + std::string(text) + "\" for mix (a share from 0 to 1)";
      settings.networkShare = value;
      continue;
    }
    bool known = false;
    for (const std::string& n : searchParameterNames()) known = known || n == name;
    if (!known) return "unknown search parameter \"" + std::string(name) + "\"";
    if (!isNumber || !setSearchParameter(name, value)) {
      return "bad value \"" + std::string(text) + "\" for search parameter " + std::string(name);
    }
  }
  return std::nullopt;
}

int runBot(std::istream& in, std::ostream& out, std::ostream& err, const BotSettings& settings) {
  LineInput input(in);
  try {
    playTurns(in, input, out, err, settings);
    return 0;
  } catch (const InputError& e) {
    err << "uttt_bot: " << e.what() << std::endl;
  } catch (const std::bad_alloc&) {
    err << "uttt_bot: out of memory for the game tree" << std::endl;
  } catch (const std::exception& e) {
    err << "uttt_bot: " << e.what() << std::endl;
  } catch (const char* message) {
    err << "uttt_bot: the search failed: " << message << std::endl;
  }
  return 1;
}
