// What a leaf evaluation by the value network costs, beside the random
// playout it stands in for, on the same positions: the network's leaf along
// a descent (one accumulator update per ply below the search root, then the
// evaluation), a fresh sum of every feature with the evaluation, and one
// random playout from the same leaf.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "BenchSupport.h"
#include "AccumulatorStack.h"
#include "DefaultNetwork.h"
#include "Evaluate.h"
#include "NetworkLeaf.h"

namespace {

constexpr int kLeaves = 64;

// kLeaves descents of `plies` random moves, each from a root `rootMoves`
// into a seeded random game; every position on the way is kept.
struct Descents {
  std::vector<std::vector<Position>> paths;

  Descents(int rootMoves, int plies) {
    std::mt19937 draw(77);
    while (static_cast<int>(paths.size()) < kLeaves) {
      std::vector<Position> path(1);
      for (int n = 0; n < rootMoves + plies && path.back().winner == 0; ++n) {
        const Position& pos = path.back();
        int legal[81];
        int count = 0;
        for (int m = 0; m < 81; ++m)
          if (pos.isLegal(m / 9, m % 9)) legal[count++] = m;
        const int m = legal[draw() % count];
        Position next = pos;
        next.play(m / 9, m % 9);
        path.push_back(next);
      }
      if (path.back().winner != 0) continue;  // a leaf the search would score without either
      paths.emplace_back(path.end() - plies - 1, path.end());
    }
  }
};

void BM_NetworkLeafAlongDescent(benchmark::State& state) {
  const nnue::Network& net = nnue::defaultNetwork();
  const int plies = static_cast<int>(state.range(0));
  const Descents descents(bench::kMidGameMoves, plies);
  std::vector<nnue::Accumulator> roots(kLeaves);
  for (int i = 0; i < kLeaves; ++i) roots[i].refresh(net, descents.paths[i][0]);
  // One accumulator a ply, as a search keeps them down its descent.
  std::vector<nnue::Accumulator> stack(plies + 1);
  int leaf = 0;
  for (auto _ : state) {
    const std::vector<Position>& path = descents.paths[leaf];
    const nnue::Accumulator* parent = &roots[leaf];
    for (int p = 1; p <= plies; ++p) {
      parent->updateInto(stack[p], net, path[p - 1], path[p]);
      parent = &stack[p];
    }
    benchmark::DoNotOptimize(nnue::evaluate(net, *parent, path.back().playerToMove()));
    leaf = (leaf + 1) % kLeaves;
  }
  state.counters["leaves"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                benchmark::Counter::kIsRate);
}

// Descents as a search makes them: from one root, through the first three
// legal moves at every ply (so they share their first moves), to random
// depths of 1 to 12 plies, evaluated through an accumulator stack.
void BM_NetworkLeafThroughStack(benchmark::State& state) {
  const nnue::Network& net = nnue::defaultNetwork();
  const Descents roots(bench::kMidGameMoves, 0);
  std::mt19937 draw(78);
  std::vector<std::vector<Position>> paths;
  while (paths.size() < 256) {
    std::vector<Position> path = {roots.paths[0].back()};
    const int depth = 1 + static_cast<int>(draw() % 12);
    while (static_cast<int>(path.size()) <= depth && path.back().winner == 0) {
      const Position& pos = path.back();
      int legal[3];
      int count = 0;
      for (int m = 0; m < 81 && count < 3; ++m)
        if (pos.isLegal(m / 9, m % 9)) legal[count++] = m;
      const int m = legal[draw() % count];
      Position next = pos;
      next.play(m / 9, m % 9);
      path.push_back(next);
    }
    if (path.back().winner == 0) paths.push_back(path);
  }
  nnue::AccumulatorStack stack(net);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::vector<Position>& path = paths[i];
    for (std::size_t d = 0; d < path.size(); ++d) stack.set(static_cast<int>(d), path[d]);
    benchmark::DoNotOptimize(stack.evaluate(static_cast<int>(path.size()) - 1));
    i = (i + 1) % paths.size();
  }
  state.counters["leaves"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                benchmark::Counter::kIsRate);
}

void BM_NetworkRefreshAndEvaluate(benchmark::State& state) {
  const nnue::Network& net = nnue::defaultNetwork();
  const Descents descents(bench::kMidGameMoves, 0);
  nnue::Accumulator acc;
  int leaf = 0;
  for (auto _ : state) {
    const Position& pos = descents.paths[leaf].back();
    acc.refresh(net, pos);
    benchmark::DoNotOptimize(nnue::evaluate(net, acc, pos.playerToMove()));
    leaf = (leaf + 1) % kLeaves;
  }
  state.counters["leaves"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                benchmark::Counter::kIsRate);
}

void BM_NetworkEvaluateOnly(benchmark::State& state, bool vector) {
  const nnue::Network& net = nnue::defaultNetwork();
  const Descents descents(bench::kMidGameMoves, 0);
  std::vector<nnue::Accumulator> accs(kLeaves);
  for (int i = 0; i < kLeaves; ++i) accs[i].refresh(net, descents.paths[i].back());
  int leaf = 0;
  for (auto _ : state) {
    const int side = descents.paths[leaf].back().playerToMove();
    benchmark::DoNotOptimize(vector ? nnue::evaluateAvx2(net, accs[leaf], side)
                                    : nnue::evaluatePortable(net, accs[leaf], side));
    leaf = (leaf + 1) % kLeaves;
  }
}
void BM_NetworkEvaluateAvx2(benchmark::State& state) { BM_NetworkEvaluateOnly(state, true); }
void BM_NetworkEvaluatePortable(benchmark::State& state) { BM_NetworkEvaluateOnly(state, false); }

// What the search's priors cost: the verdicts, as probabilities, on every
// child of a node two plies below the root, counted per child.
void BM_NetworkChildVerdicts(benchmark::State& state) {
  NetworkLeaf leaf(nnue::defaultNetwork());
  const Descents descents(bench::kMidGameMoves, 2);
  struct Child {
    Position pos;
    int move;
  };
  std::vector<std::vector<Child>> children(kLeaves);
  for (int i = 0; i < kLeaves; ++i) {
    const Position& node = descents.paths[i].back();
    for (int m = 0; m < 81; ++m) {
      if (!node.isLegal(m / 9, m % 9)) continue;
      Position child = node;
      child.play(m / 9, m % 9);
      if (child.winner == 0) children[i].push_back({child, m});
    }
  }
  std::int64_t verdicts = 0;
  int i = 0;
  for (auto _ : state) {
    leaf.begin(descents.paths[i].front());
    leaf.beginChildren(descents.paths[i].back());
    for (const Child& child : children[i])
      benchmark::DoNotOptimize(leaf.childVerdict(child.pos, child.move / 9, child.move % 9).probabilities());
    verdicts += static_cast<std::int64_t>(children[i].size());
    i = (i + 1) % kLeaves;
  }
  // Seconds per child.
  state.counters["per_child"] = benchmark::Counter(static_cast<double>(verdicts),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_PlayoutFromTheSameLeaves(benchmark::State& state) {
  bench::seedEverything();
  const Descents descents(bench::kMidGameMoves, static_cast<int>(state.range(0)));
  int leaf = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(playOut(descents.paths[leaf].back()));
    leaf = (leaf + 1) % kLeaves;
  }
  state.counters["playouts"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_NetworkLeafAlongDescent)->Arg(1)->Arg(4)->Arg(8)->Arg(16);
BENCHMARK(BM_NetworkLeafThroughStack);
BENCHMARK(BM_NetworkRefreshAndEvaluate);
BENCHMARK(BM_NetworkEvaluateAvx2);
BENCHMARK(BM_NetworkEvaluatePortable);
BENCHMARK(BM_NetworkChildVerdicts);
BENCHMARK(BM_PlayoutFromTheSameLeaves)->Arg(1)->Arg(8)->Arg(16);
