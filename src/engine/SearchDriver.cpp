#include <algorithm>
#include <chrono>
#include <cmath>
#include <iostream>

#include "Game.h"
#include "NodePool.h"
#include "SearchParameters.h"

namespace {

using Clock = std::chrono::steady_clock;

// Iterations every search runs before it looks at the clock, so that even a
// zero thinking time answers from a searched tree.
constexpr std::uint64_t kMinIterations = 256;
// The clock is read once per this many iterations: cheap, and still well
// under a millisecond between reads.
constexpr std::uint64_t kClockInterval = 64;
// Discarded nodes freed at a time when the pool runs short during a search:
// a fraction of a millisecond of work between two looks at the clock.
constexpr std::uint64_t kReclaimChunk = 16384;
// Longest thinking time taken literally (a year); beyond it the pool bounds the search.
constexpr double kMaxSeconds = 365.0 * 24 * 3600;

Clock::time_point deadlineAfter(Clock::time_point start, double seconds) {
  if (!(seconds > 0)) seconds = 0;  // NaN and negative times: minimal search
  seconds = std::min(seconds, kMaxSeconds);
  return start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// Runs iterations while the pool can take any expansion, at most capacity + 1
// of them, and (after the minimal search) until done() says so, asked once
// every kClockInterval iterations. When the pool runs short while discarded
// subtrees wait, frees some of them and goes on.
template <class Done>
std::uint64_t runSearchUntil(SearchContext& search, Node* root, Done done) {
  const SearchScope scope(search, root);
  std::uint64_t count = 0;
  for (;;) {
    if (NodePool::size() <= kFreeNodeThreshold) {
      if (!Node::hasDiscards()) break;
      Node::reclaim(kReclaimChunk);
      if (count >= kMinIterations && done()) break;
      continue;
    }
    select(search, root);
    ++count;
    if (count > NodePool::maxSize()) break;
    if (count >= kMinIterations && count % kClockInterval == 0 && done()) break;
  }
  return count;
}

void runSearch(SearchContext& search, Node* root, Clock::time_point deadline) {
  runSearchUntil(search, root, [deadline] { return Clock::now() >= deadline; });
}

}  // namespace

std::uint64_t searchUntilInput(SearchContext& search, Node* root, bool (*inputWaiting)()) {
  search.counters = SearchCounters{};
  if (inputWaiting()) return 0;
  return runSearchUntil(search, root, inputWaiting);
}

bool visitSort(Node* a, Node* b) { return a->getNumVisits() > b->getNumVisits(); }

Move getChildVisitedMost(Node* node) {
  double winsSum = 0.0;
  const Move move = getChildVisitedMost(defaultSearch(), node, winsSum);
  std::cout << winsSum << std::endl;
  return move;
}

Move getChildVisitedMost(SearchContext& search, Node* node, double& winsSum) {
  int bestIndex = -1;
  std::int32_t bestVisits = 0;
  winsSum = 0.0;
  Node::Children children = node->getChildren();
  const int n = static_cast<int>(children.size());
  for (int i = 0; i < n; ++i) {
    const Node* child = children[i];
    winsSum += static_cast<double>(child->getNumWins());
    if (child->getNumVisits() > bestVisits) {
      bestIndex = i;
      bestVisits = child->getNumVisits();
    } else if (child->getNumVisits() == bestVisits && tieBreakDraw(search)) {
      bestIndex = i;
    }
  }
  // Only unvisited children, none taken by a draw: the first is as good as any.
  return children[bestIndex < 0 ? 0 : bestIndex]->getMove();
}

void printSearchReport(std::ostream& out, const SearchReport& report, bool failed) {
  if (!report.searched || !report.pruned) return;
  out << report.freeAfterPruning << std::endl;
  if (failed) return;
  out << "    numP1Wins:  " << report.counters.p1Wins << std::endl;
  out << "    numP2Wins:  " << report.counters.p2Wins << std::endl;
  out << "    numTies:    " << report.counters.ties << std::endl;
  out << report.childWinsSum << std::endl;
}

Move getMove(Node* root, double seconds) { return getMove(root, seconds, Disposal::immediate); }

Move getMove(Node* root, double seconds, Disposal pruned) {
  SearchReport report;
  try {
    const Move move = getMove(defaultSearch(), root, seconds, pruned, report);
    printSearchReport(std::cout, report);
    return move;
  } catch (const char*) {
    printSearchReport(std::cout, report, true);
    throw;
  }
}

Move getMove(SearchContext& search, Node* root, double seconds, Disposal pruned, SearchReport& report) {
  report = SearchReport{};
  if (std::unique_ptr<Move> win = isWin(root)) return *win;
  report.searched = true;

  search.counters = SearchCounters{};
  const Clock::time_point start = Clock::now();
  const double budget = (seconds > 0) ? seconds : 0.0;

  runSearch(search, root, deadlineAfter(start, budget * searchParameters().firstSearchShare));

  Node::Children children = root->getChildren();
  std::sort(children.begin(), children.end(), visitSort);
  while (children.size() > 1) {
    if (pruned == Disposal::deferred) Node::discard(children.back());
    else NodePool::returnNode(children.back());
    children.pop_back();
  }
  report.freeAfterPruning = NodePool::size();
  report.pruned = true;

  runSearch(search, root, deadlineAfter(start, budget));

  if (root->getNumVisits() == 0 || root->hasNoChildren()) throw "No Move found...";

  report.counters = search.counters;
  return getChildVisitedMost(search, root, report.childWinsSum);
}
