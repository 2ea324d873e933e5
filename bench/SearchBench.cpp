// Search iterations (select) per second on one thread. Each benchmark
// iteration grows one tree by a fixed number of selects; freeing the tree and
// setting up the next one is left out of the timing.

#include <benchmark/benchmark.h>

#include "BenchSupport.h"

namespace {

// Room for the largest tree below (about three nodes per select).
constexpr std::uint64_t kPoolNodes = std::uint64_t{1} << 24;

void runSelects(benchmark::State& state, int openingMoves) {
  const auto perTree = static_cast<std::int64_t>(state.range(0));
  NodePool::setMaxSize(kPoolNodes);
  bench::seedEverything();
  bench::Tree tree(openingMoves);
  std::uint64_t nodes = 0;
  for (auto _ : state) {
    Node* root = tree.root();
    for (std::int64_t i = 0; i < perTree; ++i) select(root);
    state.PauseTiming();
    nodes += NodePool::maxSize() - NodePool::size();
    tree.rebuild();
    state.ResumeTiming();
  }
  state.counters["selects"] = benchmark::Counter(
      static_cast<double>(perTree * state.iterations()), benchmark::Counter::kIsRate);
  state.counters["nodes_per_select"] =
      static_cast<double>(nodes) / static_cast<double>(perTree * state.iterations());
}

void BM_SelectInitial(benchmark::State& state) { runSelects(state, 0); }
void BM_SelectMidGame(benchmark::State& state) { runSelects(state, bench::kMidGameMoves); }

// The network's priors as the bot plays them, for the scope's lifetime:
// their cost is the verdicts on every child of each node that reaches its
// threshold. The search's own prior settings come back afterwards.
class BotPriors {
 public:
  BotPriors()
      : search_(defaultSearch()), visits_(search_.priorVisits), at_(search_.priorAt), wide_(search_.priorWide) {
    search_.priorVisits = kStrongPriorVisits;
    search_.priorAt = kStrongPriorAt;
    search_.priorWide = kStrongPriorWide;
  }
  ~BotPriors() {
    search_.priorVisits = visits_;
    search_.priorAt = at_;
    search_.priorWide = wide_;
  }
  BotPriors(const BotPriors&) = delete;
  BotPriors& operator=(const BotPriors&) = delete;

 private:
  SearchContext& search_;
  std::int32_t visits_;
  std::int32_t at_;
  std::int32_t wide_;
};

void withPriors(benchmark::State& state, int openingMoves) {
  const BotPriors priors;
  runSelects(state, openingMoves);
}
void BM_SelectInitialWithPriors(benchmark::State& state) { withPriors(state, 0); }
void BM_SelectMidGameWithPriors(benchmark::State& state) { withPriors(state, bench::kMidGameMoves); }

// Whole seeded self-play games as the bot plays them, with the priors: a
// fixed number of selects a move on the tree kept from the move before, the
// most visited move played, the other moves' subtrees freed off the clock.
// The games and trees are the same on every run, so two builds of the same
// search compare on real tree sizes without the spread of timed searches.
void BM_SelfPlayWithPriors(benchmark::State& state) {
  const auto perMove = static_cast<std::int64_t>(state.range(0));
  SearchContext& search = defaultSearch();
  const BotPriors priors;
  NodePool::setMaxSize(kPoolNodes);
  std::int64_t selects = 0;
  for (auto _ : state) {
    state.PauseTiming();
    bench::seedEverything();
    auto* top = new Node();
    state.ResumeTiming();
    Node* root = top;
    while (root->getWinner() == 0 && NodePool::size() > kPoolNodes / 4) {
      {
        const SearchScope scope(search, root);
        for (std::int64_t i = 0; i < perMove; ++i) select(search, root);
      }
      selects += perMove;
      state.PauseTiming();
      double winsSum = 0.0;
      root->setChild(getChildVisitedMost(search, root, winsSum), Disposal::immediate);
      root = root->getChildren().back();
      state.ResumeTiming();
    }
    state.PauseTiming();
    delete top;
    state.ResumeTiming();
  }
  state.counters["selects"] = benchmark::Counter(static_cast<double>(selects), benchmark::Counter::kIsRate);
}

}  // namespace

// 2^16 selects make a tree of the size a tenth of a second's search grows;
// 2^20 one like a few seconds' search, where cache misses weigh more.
BENCHMARK(BM_SelectInitial)->Arg(1 << 16)->Arg(1 << 20)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SelectMidGame)->Arg(1 << 16)->Arg(1 << 20)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SelectInitialWithPriors)->Arg(1 << 16)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SelectMidGameWithPriors)->Arg(1 << 16)->Unit(benchmark::kMillisecond)->MinTime(2.0);
// 2^17 selects a move: about what a tenth of a second gives the bot.
BENCHMARK(BM_SelfPlayWithPriors)->Arg(1 << 17)->Unit(benchmark::kMillisecond)->Iterations(1);
