// Fuzz target: the arena bot's protocol input. The first byte picks the mode.
// Even: the rest is the input as it is, raw text. Odd: an arena is simulated
// and the bytes steer it: input is made turn by turn while the bot plays,
// looking at the live game, so that most turns are right and games reach
// their end, while some carry one fault (an illegal or malformed opponent
// move, a wrong count, a missing, repeated, foreign or junk action, a
// "-1 -1" after the start, input that stops inside a turn) or a harmless
// variant (carriage returns, extra blanks). Every answer must be a legal
// move of the live game; a run with no fault must end cleanly, one with a
// fault with a single "line N" message. The bot searches with a zero
// thinking time, a short fixed number of iterations, so each input replays
// the same game.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <sstream>
#include <string>
#include <vector>

#include "BotProtocol.h"
#include "FuzzSupport.h"
#include "GridMove.h"
#include "Position.h"

namespace {

// Enough nodes for every turn's minimal search on top of the tree kept from
// the turns before: the search never runs short, so a failed search is a fault.
constexpr std::uint64_t kPoolNodes = 100000;

std::string squareLine(const GridSquare& s) { return std::to_string(s.row) + " " + std::to_string(s.col); }

// The arena side: produces the bot's input one line at a time, when the bot
// asks for it, from the game as it stands after the bot's last answer.
class Arena : public std::streambuf {
 public:
  Arena(const std::uint8_t* data, std::size_t size, const std::ostringstream& answers)
      : data_(data), size_(size), answers_(answers) {
    botPlayer_ = take() % 2 + 1;
  }

  bool faulted() const { return faulted_; }

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (pending_.empty() && !nextTurn()) return traits_type::eof();
    line_ = pending_.front();
    pending_.pop_front();
    setg(line_.data(), line_.data(), line_.data() + line_.size());
    return traits_type::to_int_type(*gptr());
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  const std::ostringstream& answers_;
  std::size_t answersSeen_ = 0;
  int botPlayer_ = 1;
  Position position_;
  std::deque<std::string> pending_;
  std::string line_;
  bool faulted_ = false;
  bool ended_ = false;
  int turns_ = 0;
  GridSquare last_;

  std::uint8_t take() { return at_ < size_ ? data_[at_++] : 0; }

  void play(const Move& m) {
    position_.play(m.global, m.local);
    last_ = toGrid(m);
  }

  // Plays the bot's new answers on the arena's board; each must be legal.
  void readAnswers() {
    const std::string text = answers_.str();
    std::istringstream in(text);
    std::string answer;
    for (std::size_t i = 0; std::getline(in, answer); ++i) {
      if (i < answersSeen_) continue;
      ++answersSeen_;
      std::array<int, 2> rc{};
      if (!parseIntegers(answer, rc, true)) fuzz::fail("malformed answer", answer);
      const GridSquare s{rc[0], rc[1]};
      if (!onGrid(s) || !position_.isLegal(fromGrid(s).global, fromGrid(s).local)) fuzz::fail("illegal answer", answer);
      play(fromGrid(s));
    }
  }

  std::vector<GridSquare> legalSquares() const {
    std::vector<GridSquare> squares;
    for (int row = 0; row < 9; ++row)
      for (int col = 0; col < 9; ++col)
        if (const Move m = fromGrid({row, col}); position_.isLegal(m.global, m.local)) squares.push_back({row, col});
    return squares;
  }

  // A square no move may take now or could have taken last: a taken one other
  // than the last move's, or one off the grid when there is none.
  GridSquare takenSquare(std::uint8_t pick) const {
    std::vector<GridSquare> squares;
    for (int row = 0; row < 9; ++row)
      for (int col = 0; col < 9; ++col)
        if (const Move m = fromGrid({row, col}); position_.cell(m.global, m.local) != 0 && !(GridSquare{row, col} == last_))
          squares.push_back({row, col});
    return squares.empty() ? GridSquare{9, pick % 9} : squares[pick % squares.size()];
  }

  // Queues the next turn; false to end the input here, between two turns.
  bool nextTurn() {
    if (ended_) return false;
    readAnswers();
    if (at_ >= size_ || position_.winner != 0) return false;
    if (position_.playerToMove() != botPlayer_) {
      const std::vector<GridSquare> squares = legalSquares();
      play(fromGrid(squares[take() % squares.size()]));
      if (position_.winner != 0) return false;
    }
    ++turns_;
    std::vector<std::string> lines = {squareLine(last_)};
    const std::vector<GridSquare> squares = legalSquares();
    lines.push_back(std::to_string(squares.size()));
    for (const GridSquare& s : squares) lines.push_back(squareLine(s));

    const std::uint8_t kind = take();
    const std::uint8_t pick = take();
    const std::size_t action = 2 + pick % squares.size();
    if (kind >= 192) {
      faulted_ = true;
      ended_ = true;  // one fault per input: the bot stops at it
      switch (kind % 8) {
        case 0:
          lines[0] = squareLine(takenSquare(pick));
          if (turns_ == 1 && botPlayer_ == 1) lines[0] = "-1 0";
          break;
        case 1:
          lines[1] = std::to_string(squares.size() + (pick % 2 ? 1 : -1));
          break;
        case 2:
          lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(action));
          lines[1] = std::to_string(squares.size() - 1);
          break;
        case 3:
          lines[action] = lines[2 + (pick + 1) % squares.size()];
          if (squares.size() == 1) lines[action] = squareLine(takenSquare(pick));
          break;
        case 4:
          lines[action] = squareLine(takenSquare(pick));
          break;
        case 5: {
          std::string& junk = lines[pick % lines.size()];
          const std::string original = junk;
          junk = std::string(1 + pick % 3, static_cast<char>(take()));
          faulted_ = junk != original;
          break;
        }
        case 6:
          lines[0] = turns_ == 1 && botPlayer_ == 1 ? "4 4 4" : "-1 -1";
          break;
        default:
          lines.resize(1 + pick % (lines.size() - 1));
          break;
      }
    } else if (kind >= 160) {
      // Harmless: blanks around the numbers and a carriage return.
      for (std::string& line : lines) line = " " + line + (pick % 2 ? "\r" : "\t");
    }
    for (std::string& line : lines) pending_.push_back(line + "\n");
    if (ended_ && !faulted_) ended_ = false;
    return true;
  }
};

void checkEnding(int status, const std::string& err) {
  if (status == 0) {
    if (!err.empty()) fuzz::fail("message after a clean end", err);
    return;
  }
  if (status != 1) fuzz::fail("unexpected exit status", std::to_string(status));
  // One line, and only about the input: a search that fails with this pool
  // is a fault of the bot.
  if (err.rfind("uttt_bot: line ", 0) != 0 || err.find('\n') != err.size() - 1) fuzz::fail("bad message", err);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  NodePool::setMaxSize(kPoolNodes);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  fuzz::seedEverything();
  BotSettings settings;
  settings.seconds = 0;
  std::ostringstream answers;
  int status = -1;
  const auto bot = [&] { status = runBot(std::cin, answers, std::cerr, settings); };
  fuzz::Session session;
  bool faulted = true;
  if (data[0] % 2 == 0) {
    std::stringbuf raw(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    session = fuzz::runMode(&raw, bot);
  } else {
    Arena arena(data + 1, size - 1, answers);
    session = fuzz::runMode(&arena, bot);
    faulted = arena.faulted();
  }
  fuzz::echo("--- answers ---\n" + answers.str(), "");
  // The engine's report lines never reach the real standard output.
  if (!session.out.empty()) fuzz::fail("output outside the answers", session.out);
  checkEnding(status, session.err);
  if (!faulted && status != 0) fuzz::fail("a run without a fault failed", session.err);
  return 0;
}
