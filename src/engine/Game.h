#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>

#include "Move.h"
#include "Node.h"
#include "SearchContext.h"

// The search engine: Monte-Carlo tree search over the game tree that the
// front end owns. A search's own state lives in a SearchContext; every
// function without one works on defaultSearch(), the program's, whose parts
// the console modes print by the names below.

// Tie-break generator of the program's searches: a 32-bit linear
// congruential generator, seeded from the calendar clock before main and
// only ever advanced by tieBreakDraw(). defaultSearch().tieBreak.
extern std::uint32_t& g_seed;

// Results back-propagated since the driver last reset them: player 1 wins,
// player 2 wins and ties. defaultSearch().counters.
extern std::int32_t& numP1Wins;
extern std::int32_t& numP2Wins;
extern std::int32_t& numTies;

// Free nodes the pool must keep for a search iteration to run: the largest
// number of children one expansion can make.
inline constexpr std::uint64_t kFreeNodeThreshold = 81;

// One step of the tie-break generator (state * 214013 + 2531011, mod 2^32).
// Returns true ("take") when bit 16 of the new state is set. Inline: the scan
// draws once per equal score, which is every unvisited child.
inline bool tieBreakDraw(SearchContext& search) {
  search.tieBreak = search.tieBreak * 214013u + 2531011u;
  return (search.tieBreak & 0x10000u) != 0;
}
inline bool tieBreakDraw() { return tieBreakDraw(defaultSearch()); }

// One search iteration from root: descends by UCT score to a leaf, then scores
// a finished game there, plays the leaf out once, or expands it. Expects a
// non-null root; "No Children..." from expand passes through.
void select(Node* root);
void select(SearchContext& search, Node* root);

// The child with the highest UCT score, ties broken by tieBreakDraw(). When
// no child scores above 0 and no draw takes one, falls back to the first
// child; returns null only for a node without children.
Node* getChildHighestUCT(Node* node);
Node* getChildHighestUCT(SearchContext& search, Node* node);

// Gives node one child per legal move (in quadrant then cell order) taken
// from the pool, plays out one new child chosen with rand() and
// back-propagates its result. Does nothing when the node already has children
// or the pool has fewer free nodes than legal moves. Throws "No Children..."
// (const char*) for an unfinished node without a legal move.
void expand(Node* node);
void expand(SearchContext& search, Node* node);

// Adds result (1 or 2 the winner, -1 a tie) to the counters and to every node
// from node up to the top of the tree: a visit each, and a win for each node
// whose move the winner made (a tie is counted as a tie, never a win). Above
// the root of a running SearchScope the results wait for the scope's end.
void backpropogate(Node* node, int result);
void backpropogate(SearchContext& search, Node* node, int result);

// While a SearchScope lives, back-propagation stops at its root and keeps the
// results for the positions above it (the earlier positions of the game),
// which get them all at once when the scope ends or flushAboveRoot() is
// called: a search on a late position then does not walk the whole game for
// every result. Counts above the root are only current after that.
class SearchScope {
 public:
  explicit SearchScope(Node* root) : SearchScope(defaultSearch(), root) {}
  SearchScope(SearchContext& search, Node* root);
  ~SearchScope();
  SearchScope(const SearchScope&) = delete;
  SearchScope& operator=(const SearchScope&) = delete;

 private:
  SearchContext& search_;
};
// Adds the results kept for the positions above the search root to them.
void flushAboveRoot();
void flushAboveRoot(SearchContext& search);

// Plays the game on from node's position with random moves, taking any win
// of the game in one move in the quadrant being played, and returns the
// winner (1 or 2) or -1 for a tie; never 0. Changes nothing in the tree and
// allocates nothing.
int runSimulation(Node* node);
// The same playout from a position, drawing from the program's playout
// generator.
int playOut(const Position& start);

// The first move, in quadrant then cell order, that wins the whole game at
// once for the player to move; empty when there is none. Changes nothing.
std::unique_ptr<Move> isWin(Node* node);

// Chooses the computer's move in root's position (not finished): a game-
// winning move at once, otherwise the most visited child after two searches
// (the second on the best child alone, after the others go back to the pool).
// Each search runs while the pool has more than 81 free nodes and the
// thinking time lasts: the first takes most of it (searchParameters()), the
// second the rest; even a zero, negative or NaN time gets a short minimal
// search. Prints the free count, the counters and the children's win sum. Throws "No Move found..."
// when the root ends up unvisited or without children.
Move getMove(Node* root, double seconds);
// The same, with the pruned subtrees handed to Node::discard instead of freed
// at once when pruned is Disposal::deferred: nothing on the clock then grows
// with their size, and the free count printed is the pool's without them.
// Either way, a search that finds the pool short frees discarded nodes
// (Node::reclaim) a little at a time, looking at the clock in between.
Move getMove(Node* root, double seconds, Disposal pruned);

// What one call of the driver did, for the caller to show: whether it
// searched (not for a game-winning move), whether it got as far as pruning
// and the free nodes then, the counters of the search and the sum of the
// root children's wins at the end.
struct SearchReport {
  bool searched = false;
  bool pruned = false;
  std::uint64_t freeAfterPruning = 0;
  SearchCounters counters;
  double childWinsSum = 0;
};

// Prints a report as the console shows it: the free count, then the three
// counters, then the children's win sum, a line each; nothing when it did
// not search. When the search failed, only the free count is printed, and
// only if the search had pruned.
void printSearchReport(std::ostream& out, const SearchReport& report, bool failed = false);

// The driver on a context of its own, printing nothing: the report goes to
// the caller. Throws "No Move found..." as getMove does; report's free count
// is set by then.
Move getMove(SearchContext& search, Node* root, double seconds, Disposal pruned, SearchReport& report);

// Searches root's position while the opponent thinks (pondering): until
// inputWaiting() says the opponent's move has come, asked about every 64
// iterations, or the pool is full with nothing left to reclaim. Nothing when
// input already waits. The tree it grows is the next search's when the
// opponent plays into it. Expects root not finished; returns the iterations.
std::uint64_t searchUntilInput(SearchContext& search, Node* root, bool (*inputWaiting)());

// Prints the sum of node's children's wins and returns the move of its most
// visited child, equal counts decided by tieBreakDraw(). Expects children;
// when no draw takes a child with zero visits, the first child is chosen.
Move getChildVisitedMost(Node* node);
// The same on a context, printing nothing: the win sum goes to winsSum.
Move getChildVisitedMost(SearchContext& search, Node* node, double& winsSum);

// Sorting predicate: true when a has more visits than b.
bool visitSort(Node* a, Node* b);
