#include "SearchContext.h"

#include <ctime>

#include "DefaultNetwork.h"
#include "Game.h"
#include "NetworkLeaf.h"

SearchContext::SearchContext(std::uint32_t tieBreakSeed, Random* playout)
    : tieBreak(tieBreakSeed), playout_(playout) {}

SearchContext::~SearchContext() = default;

NetworkLeaf& SearchContext::networkLeaf() {
  const nnue::Network& net = network != nullptr ? *network : nnue::defaultNetwork();
  if (!networkLeaf_ || &networkLeaf_->network() != &net) networkLeaf_ = std::make_unique<NetworkLeaf>(net);
  return *networkLeaf_;
}

namespace {
// Seeded during static initialisation, before main, and never reset: one
// sequence of draws runs through every search and game of the process.
SearchContext programSearch(static_cast<std::uint32_t>(std::time(nullptr)));
}  // namespace

SearchContext& defaultSearch() { return programSearch; }

std::uint32_t& g_seed = programSearch.tieBreak;
std::int32_t& numP1Wins = programSearch.counters.p1Wins;
std::int32_t& numP2Wins = programSearch.counters.p2Wins;
std::int32_t& numTies = programSearch.counters.ties;
