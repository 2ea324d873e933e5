// Memory per tree node, counting each node's share of the children arrays
// that point to it. The tree is grown by the search itself until the pool
// is full, as getMove does.

#include <benchmark/benchmark.h>

#include <vector>

#include "BenchSupport.h"
#include "ChildArena.h"

namespace {

// Bytes of children arrays held by the subtree (every array was sized by
// one expansion, so its class follows from the number of children).
std::uint64_t childArrayBytes(Node* top) {
  std::uint64_t bytes = 0;
  std::vector<Node*> stack{top};
  while (!stack.empty()) {
    Node* node = stack.back();
    stack.pop_back();
    Node::Children children = node->getChildren();
    if (children.empty()) continue;
    bytes += childArena::capacityOf(childArena::classFor(static_cast<unsigned>(children.size()))) *
             sizeof(Node*);
    for (Node* child : children) stack.push_back(child);
  }
  return bytes;
}

void BM_TreeMemory(benchmark::State& state) {
  const auto capacity = static_cast<std::uint64_t>(state.range(0));
  NodePool::setMaxSize(capacity);
  bench::seedEverything();
  for (auto _ : state) {
    bench::Tree tree(0);
    while (NodePool::size() > kFreeNodeThreshold) select(tree.root());
    state.PauseTiming();
    const std::uint64_t alive = NodePool::maxSize() - NodePool::size();
    const double nodes = static_cast<double>(alive);
    state.counters["nodes"] = nodes;
    state.counters["reserved_B_per_node"] =
        static_cast<double>(NodePool::bytesReserved() + childArena::bytesReserved()) / nodes;
    state.counters["used_B_per_node"] =
        static_cast<double>(sizeof(Node) * alive + childArrayBytes(tree.root())) / nodes;
    state.ResumeTiming();
  }
  NodePool::setMaxSize(NodePool::kDefaultCapacity);
}

}  // namespace

// One run: a 4-million-node tree takes a few seconds to grow.
BENCHMARK(BM_TreeMemory)->Arg(4'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);
