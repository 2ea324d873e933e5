#include "DataGenerator.h"

#include <cstdlib>
#include <iostream>
#include <random>

#include "Game.h"
#include "NodePool.h"
#include "Random.h"
#include "SearchContext.h"

namespace {

// Long enough that the pool, not the clock, ends every search.
constexpr double kThinkingSeconds = 3600.0;
// Free nodes below which a search without the driver stops: more than the
// largest expansion (81 moves) needs.
constexpr std::uint64_t kSpareNodes = 128;

// Seeds from the run's seed and a game's number, decorrelated (SplitMix64).
std::uint64_t mix(std::uint64_t seed, std::uint64_t n) {
  std::uint64_t z = seed + 0x9E3779B97F4A7C15ULL * (n + 1);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// A uniformly drawn legal move code (9 * quadrant + cell) of an unfinished position.
int randomMove(const Position& pos, std::mt19937_64& draw) {
  int legal[81];
  int count = 0;
  for (int m = 0; m < 81; ++m)
    if (pos.isLegal(m / 9, m % 9)) legal[count++] = m;
  return legal[draw() % static_cast<unsigned>(count)];
}

// The position after the opening: random moves, drawn again whenever they
// end the game (which a short opening almost never does).
std::vector<int> randomOpening(const GeneratorOptions& options, std::mt19937_64& draw) {
  const int span = options.maxOpening - options.minOpening + 1;
  const int length = options.minOpening + static_cast<int>(draw() % static_cast<unsigned>(span));
  for (;;) {
    std::vector<int> moves;
    Position pos;
    while (static_cast<int>(moves.size()) < length && pos.winner == 0) {
      moves.push_back(randomMove(pos, draw));
      pos.play(moves.back() / 9, moves.back() % 9);
    }
    if (pos.winner == 0) return moves;
  }
}

// The statistics of node's child with move code, or of a won game when the
// move was played without a search.
void takeChildStats(const Node* node, int code, Sample& sample) {
  sample.wins = 1;
  sample.ties = 0;
  sample.visits = 1;
  for (std::size_t i = 0; i < node->getNumChildren(); ++i) {
    const Node* child = node->getChild(i);
    if (child == nullptr || child->getMoveCode() != code || child->getNumVisits() == 0) continue;
    sample.wins = static_cast<std::uint32_t>(child->getNumWins());
    sample.ties = static_cast<std::uint32_t>(child->getNumTies());
    sample.visits = static_cast<std::uint32_t>(child->getNumVisits());
  }
}

// Searches the position after moves on a fresh tree and returns the move,
// filling in the sample's statistics from the searched move's child. With
// children, the search runs once until the pool is full, without the
// driver's pruning, and every child visited at least childMinVisits times
// that is not a finished game is appended to children as a sample of its
// own, seen from its side to move: the network then also learns the moves
// the search turned down, which is what its leaves are made of.
int searchMove(const std::vector<int>& moves, Sample& sample, int childMinVisits,
               std::vector<Sample>* children) {
  Node* top = new Node();
  Node* node = top;
  for (int m : moves) {
    node->setChild(Move(m / 9, m % 9));
    node = node->getChildren().back();
  }
  int code = 0;
  if (children == nullptr || isWin(node) != nullptr) {
    const Move chosen = getMove(node, kThinkingSeconds);
    code = 9 * chosen.global + chosen.local;
  } else {
    {
      const SearchScope scope(node);
      // A proven root stops growing the tree, so the count is bounded too.
      for (std::uint64_t i = 0; i <= NodePool::maxSize() && NodePool::size() > kSpareNodes; ++i) select(node);
    }
    double winsSum = 0.0;
    const Move chosen = getChildVisitedMost(defaultSearch(), node, winsSum);
    code = 9 * chosen.global + chosen.local;
    const Position pos = node->position();
    for (std::size_t i = 0; i < node->getNumChildren(); ++i) {
      const Node* child = node->getChild(i);
      if (child->getNumVisits() < childMinVisits) continue;
      Sample s;
      s.position = pos;
      s.position.play(child->getGlobal(), child->getLocal());
      if (s.position.winner != 0) continue;
      // The child's wins are its mover's; its side to move is the other player.
      s.ties = static_cast<std::uint32_t>(child->getNumTies());
      s.visits = static_cast<std::uint32_t>(child->getNumVisits());
      s.wins = s.visits - static_cast<std::uint32_t>(child->getNumWins()) - s.ties;
      children->push_back(s);
    }
  }
  takeChildStats(node, code, sample);
  delete top;
  return code;
}

// Standard output dropped for the object's lifetime, whatever leaves the scope.
class Muted {
 public:
  Muted() : shown_(std::cout.rdbuf(nullptr)) {}
  ~Muted() {
    std::cout.rdbuf(shown_);
    std::cout.clear();
  }
  Muted(const Muted&) = delete;
  Muted& operator=(const Muted&) = delete;

 private:
  std::streambuf* shown_;
};

}  // namespace

void generateGames(const GeneratorOptions& options, int first, int end, int step,
                   std::vector<Sample>& out, const std::function<void(int)>& onGame) {
  const std::uint64_t movePool = options.movePoolNodes != 0 ? options.movePoolNodes : options.poolNodes;
  defaultSearch().evaluation = options.networkEngine ? LeafEvaluation::network : LeafEvaluation::playout;
  defaultSearch().priorVisits = options.priorVisits;
  defaultSearch().priorAt = options.priorAt;
  defaultSearch().network = options.network.get();
  const Muted muted;
  for (int n = first; n < end; n += step) {
    std::mt19937_64 draw(mix(options.seed, static_cast<std::uint64_t>(n)));
    g_seed = static_cast<std::uint32_t>(draw());
    std::srand(static_cast<unsigned>(draw()));
    playoutRandom().reseed(draw());

    std::vector<int> moves = randomOpening(options, draw);
    Position pos;
    for (int m : moves) pos.play(m / 9, m % 9);
    const std::size_t gameStart = out.size();
    while (pos.winner == 0) {
      Sample sample;
      sample.position = pos;
      const bool keep = options.keepOneIn <= 1 || draw() % static_cast<unsigned>(options.keepOneIn) == 0;
      const bool random =
          options.randomMoveShare > 0.0 &&
          static_cast<double>(draw() >> 11) * 0x1.0p-53 < options.randomMoveShare;
      int code = -1;
      if (keep || !random) {
        // The pool is empty between searches, so its capacity may change.
        NodePool::setMaxSize(keep ? options.poolNodes : movePool);
        std::vector<Sample>* children = keep && options.childMinVisits > 0 ? &out : nullptr;
        code = searchMove(moves, sample, options.childMinVisits, children);
      }
      if (keep) out.push_back(sample);
      if (random) code = randomMove(pos, draw);
      moves.push_back(code);
      pos.play(code / 9, code % 9);
    }
    for (std::size_t i = gameStart; i < out.size(); ++i) {
      const int mover = out[i].position.playerToMove();
      out[i].result = static_cast<std::int8_t>(pos.winner == -1 ? 0 : pos.winner == mover ? 1 : -1);
    }
    if (onGame) onGame(static_cast<int>(out.size() - gameStart));
  }
}
