// Fuzz target: whole interactive games. Standard input is generated line by
// line while the game runs: each fuzzer byte picks what the "person" types
// next, looking at the live position, so that most lines are legal moves and
// games reach their end (won, lost, tied) while the rest are the wrong
// entries a person makes: lone cells, occupied cells, out-of-range and huge
// numbers, blank or junk lines and raw bytes. The computer searches with a
// tiny pool and a zero thinking time, which the driver turns into a short,
// fixed number of iterations, so each input replays the same game. The first
// byte picks the side and the pool's size, down to pools so small that the
// computer is left without a searched move.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "Modes.h"

namespace {

constexpr std::array<std::uint64_t, 4> kPoolNodes = {90, 150, 400, 3000};

const std::array<const char*, 8> kOutOfRange = {
    "9 0", "-1 3", "4 9", "8 -1", "99999999999 1", "0 -99999999999", "45", "2147483648 2147483648"};
const std::array<const char*, 8> kJunk = {"", "x", " \t ", "4 5 6", "4x5", "+4 +5", "0x1 2", "\r"};

// Produces the person's lines one at a time, when the dialogue asks for them.
class Typist : public std::streambuf {
 public:
  Typist(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (!nextLine()) return traits_type::eof();
    setg(line_.data(), line_.data(), line_.data() + line_.size());
    return traits_type::to_int_type(*gptr());
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  int lines_ = 0;
  std::string line_;

  bool more() const { return pos_ < size_; }
  std::uint8_t byte() { return more() ? data_[pos_++] : 0; }

  bool nextLine() {
    if (!more()) return false;  // input ends: the dialogue sees end of file
    const std::uint8_t b = byte();
    switch (lines_++) {
      case 0:
        line_ = (b & 1u) ? "1\n" : "2\n";
        return true;
      case 1:
        line_ = "0\n";
        return true;
      default:
        line_ = moveLine(b) + "\n";
        return true;
    }
  }

  // The legal moves of the live position, in quadrant then cell order.
  static int legalMoves(std::array<Move, 81>& moves) {
    int n = 0;
    for (int g = 0; g < 9; ++g)
      for (int l = 0; l < 9; ++l)
        if (game->isLegal(Move(g, l))) moves[n++] = Move(g, l);
    return n;
  }

  std::string moveLine(std::uint8_t kind) {
    std::array<Move, 81> moves;
    const int n = legalMoves(moves);
    switch (kind % 16) {
      case 12: {  // any cell: often occupied or in the wrong quadrant
        const int m = byte() % 81;
        return std::to_string(m / 9) + " " + std::to_string(m % 9);
      }
      case 13:
        return kOutOfRange[byte() % kOutOfRange.size()];
      case 14:
        return kJunk[byte() % kJunk.size()];
      case 15: {  // raw bytes up to the next line end
        std::string raw;
        for (int i = byte() % 24; i > 0 && more(); --i) {
          const char c = static_cast<char>(byte());
          if (c == '\n') break;
          raw += c;
        }
        return raw;
      }
      default:
        break;
    }
    if (n == 0) fail("the dialogue asks for a move in a position without one");
    const Move m = moves[byte() % n];
    // A lone cell names the move when the quadrant is forced; with a free
    // choice it draws "Need a global input".
    if (kind % 16 >= 10) return std::to_string(m.local);
    return std::to_string(m.global) + " " + std::to_string(m.local);
  }

  [[noreturn]] static void fail(const char* what) { fuzz::fail(what); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::seedEverything();
  NodePool::setMaxSize(kPoolNodes[size > 0 ? (data[0] >> 1) % kPoolNodes.size() : 0]);
  Typist typist(data, size);
  const auto [out, err] = fuzz::runMode(&typist, play);
  fuzz::checkGameEnding(out, err, size == 0);
  return 0;
}
