// Random playouts per second: the innermost work of every search iteration.

#include <benchmark/benchmark.h>

#include "BenchSupport.h"

namespace {

void runPlayouts(benchmark::State& state, int openingMoves) {
  bench::seedEverything();
  bench::Tree tree(openingMoves);
  Node* node = tree.root();
  std::int64_t wins[3] = {0, 0, 0};  // ties, player 1, player 2
  for (auto _ : state) {
    const int result = runSimulation(node);
    ++wins[result < 0 ? 0 : result];
  }
  benchmark::DoNotOptimize(wins);
  state.counters["playouts"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
  // Result shares: a cheap check that a faster playout still plays the same game.
  const double total = static_cast<double>(state.iterations());
  state.counters["p1_share"] = static_cast<double>(wins[1]) / total;
  state.counters["tie_share"] = static_cast<double>(wins[0]) / total;
}

void BM_PlayoutInitial(benchmark::State& state) { runPlayouts(state, 0); }
void BM_PlayoutMidGame(benchmark::State& state) { runPlayouts(state, bench::kMidGameMoves); }

}  // namespace

BENCHMARK(BM_PlayoutInitial)->MinTime(2.0);
BENCHMARK(BM_PlayoutMidGame)->MinTime(2.0);
