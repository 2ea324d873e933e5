// Memory per tree node. Children are stored in the nodes themselves (each
// node's children side by side in the pool), so a node's share of the
// children storage is already in its own slot; what can add to it is space the
// pool cannot reuse. "reserved" divides every byte of node storage the pool
// has touched (slots and their bitmap) by the nodes alive; "used" counts the
// live nodes' slots alone. The tree is grown by the search itself until the
// pool is full, as getMove does, once from a fresh pool and once after moves
// that free most of the tree each time.

#include <benchmark/benchmark.h>

#include "BenchSupport.h"

namespace {

void report(benchmark::State& state) {
  const std::uint64_t alive = NodePool::maxSize() - NodePool::size();
  const double nodes = static_cast<double>(alive);
  state.counters["nodes"] = nodes;
  state.counters["reserved_B_per_node"] = static_cast<double>(NodePool::bytesReserved()) / nodes;
  state.counters["used_B_per_node"] = static_cast<double>(sizeof(Node) * alive) / nodes;
}

void fill(Node* root) {
  while (NodePool::size() > kFreeNodeThreshold) select(root);
}

void BM_TreeMemory(benchmark::State& state) {
  const auto capacity = static_cast<std::uint64_t>(state.range(0));
  NodePool::setMaxSize(capacity);
  bench::seedEverything();
  for (auto _ : state) {
    bench::Tree tree(0);
    fill(tree.root());
    state.PauseTiming();
    report(state);
    state.ResumeTiming();
  }
  NodePool::setMaxSize(NodePool::kDefaultCapacity);
}

// Fills the pool, plays the most visited move (keeping its subtree, freeing
// the rest), and again, as a game does; measured after the last fill.
void BM_TreeMemoryAfterMoves(benchmark::State& state) {
  const auto capacity = static_cast<std::uint64_t>(state.range(0));
  NodePool::setMaxSize(capacity);
  bench::seedEverything();
  for (auto _ : state) {
    Node* top = new Node();
    Node* node = top;
    for (int move = 0; move < 8; ++move) {
      fill(node);
      Node* best = nullptr;
      for (std::size_t i = 0; i < node->getNumChildren(); ++i)
        if (best == nullptr || node->getChild(i)->getNumVisits() > best->getNumVisits())
          best = node->getChild(i);
      node->setChild(best->getMove());
      node = node->getChildren().back();
    }
    fill(node);
    state.PauseTiming();
    report(state);
    delete top;
    state.ResumeTiming();
  }
  NodePool::setMaxSize(NodePool::kDefaultCapacity);
}

}  // namespace

// One run each: a 4-million-node tree takes a few seconds to grow.
BENCHMARK(BM_TreeMemory)->Arg(4'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeMemoryAfterMoves)->Arg(4'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);
