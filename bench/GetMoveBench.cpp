// How long one getMove call takes against the thinking time it was given,
// from the initial position with the program's default pool. The overshoot
// is the time past the thinking time (negative when the pool ran out first).

#include <benchmark/benchmark.h>

#include <chrono>
#include <iostream>
#include <sstream>

#include "BenchSupport.h"

namespace {

// Sends std::cout to a string for as long as it lives: getMove reports on it.
class DiscardCout {
 public:
  DiscardCout() : saved_(std::cout.rdbuf(sink_.rdbuf())) {}
  ~DiscardCout() { std::cout.rdbuf(saved_); }
  DiscardCout(const DiscardCout&) = delete;
  DiscardCout& operator=(const DiscardCout&) = delete;

 private:
  std::ostringstream sink_;
  std::streambuf* saved_;
};

void BM_GetMove(benchmark::State& state) {
  const double seconds = static_cast<double>(state.range(0)) / 1000.0;
  NodePool::setMaxSize(NodePool::kDefaultCapacity);
  bench::seedEverything();
  double overshootSum = 0.0;
  double overshootMax = -1e300;
  for (auto _ : state) {
    bench::Tree tree(0);
    double elapsed = 0.0;
    {
      DiscardCout quiet;
      const auto start = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(getMove(tree.root(), seconds));
      elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.SetIterationTime(elapsed);
    const double overshootMs = (elapsed - seconds) * 1000.0;
    overshootSum += overshootMs;
    if (overshootMs > overshootMax) overshootMax = overshootMs;
  }
  state.counters["overshoot_ms"] = overshootSum / static_cast<double>(state.iterations());
  state.counters["overshoot_max_ms"] = overshootMax;
}

}  // namespace

// Thinking times in milliseconds. Freeing the tree after each call is not timed.
BENCHMARK(BM_GetMove)->Arg(100)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetMove)->Arg(1000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetMove)->Arg(3000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
