#include <cstdint>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SearchTestSupport.h"
#include "StdStreamCapture.h"

namespace {

using namespace searchtest;
using SearchDriverTest = SearchTest;

std::string report(std::uint64_t freeCount, int p1, int p2, int ties, double winsSum) {
  std::ostringstream out;
  out << freeCount << "\n    numP1Wins:  " << p1 << "\n    numP2Wins:  " << p2
      << "\n    numTies:    " << ties << "\n" << winsSum << "\n";
  return out.str();
}

TEST_F(SearchDriverTest, MostVisitedChildWinsOnlyEqualCountsDraw) {
  std::unique_ptr<Node> top(new Node());
  select(top.get());  // 81 children
  Node::Children children = top->getChildren();
  const int visits[] = {3, 5, 5, 2};
  const int wins[] = {1, 2, 4, 0};
  for (int i = 0; i < 4; ++i) {
    children[i]->incrementVisits(visits[i] - children[i]->getNumVisits());
    children[i]->incrementWins(wins[i] - children[i]->getNumWins());
  }
  for (std::size_t i = 4; i < children.size(); ++i) NodePool::returnNode(children[i]);
  while (children.size() > 4) children.pop_back();

  EXPECT_TRUE(visitSort(children[1], children[0]));
  EXPECT_FALSE(visitSort(children[1], children[2]));

  for (auto [seed, chosen] : {std::pair<std::uint32_t, int>{0u, 1}, {2531011u, 2}}) {
    g_seed = seed;
    StdStreamCapture capture;
    EXPECT_EQ(getChildVisitedMost(top.get()), children[chosen]->getMove());
    EXPECT_EQ(capture.out(), "7\n");
    EXPECT_EQ(g_seed, seed * 214013u + 2531011u);  // the third child's draw only
  }
}

TEST_F(SearchDriverTest, ImmediateWinIsReturnedWithoutSearchOrReport) {
  std::unique_ptr<Node> top(new Node());
  Node* node = play(top.get(), kTwoWinsFreeChoice);
  numP1Wins = 4;
  numP2Wins = 5;
  numTies = 6;
  const std::uint64_t freeBefore = NodePool::size();
  const std::uint32_t seed = g_seed;
  StdStreamCapture capture;
  EXPECT_EQ(getMove(node, kUnlimited), Move(2, 5));
  EXPECT_EQ(capture.out(), "");
  EXPECT_EQ(capture.err(), "");
  EXPECT_EQ(numP1Wins, 4);
  EXPECT_EQ(numP2Wins, 5);
  EXPECT_EQ(numTies, 6);
  EXPECT_EQ(NodePool::size(), freeBefore);
  EXPECT_EQ(g_seed, seed);
  EXPECT_TRUE(node->hasNoChildren());
  EXPECT_EQ(node->getNumVisits(), 0);
}

TEST_F(SearchDriverTest, UnvisitedRootWithoutFreeNodesThrows) {
  std::unique_ptr<Node> top(new Node());
  numP1Wins = 3;
  leaveFreeNodes(81);
  StdStreamCapture capture;
  try {
    getMove(top.get(), kUnlimited);
    ADD_FAILURE() << "no exception";
  } catch (const char* message) {
    EXPECT_EQ(std::string(message), "No Move found...");
  }
  EXPECT_EQ(capture.out(), "81\n");
  EXPECT_EQ(numP1Wins, 0);
  EXPECT_TRUE(top->hasNoChildren());
  EXPECT_EQ(top->getNumVisits(), 0);
  EXPECT_EQ(NodePool::size(), 81u);
}

TEST_F(SearchDriverTest, WithoutFreeNodesTheSearchedRootIsStillPrunedToItsMostVisitedChild) {
  std::unique_ptr<Node> top(new Node());
  select(top.get());  // 81 children, one with a visit
  Node::Children children = top->getChildren();
  children[12]->incrementVisits(5);
  children[37]->incrementVisits(7);
  children[37]->incrementWins(3);
  children[70]->incrementVisits(7);
  children[70]->incrementWins(2);
  numP1Wins = 9;
  numP2Wins = 8;
  numTies = 7;

  // After pruning 80 children come back: 81 free, still too few for a search.
  leaveFreeNodes(1);
  StdStreamCapture capture;
  const Move move = getMove(top.get(), kUnlimited);
  ASSERT_EQ(children.size(), 1u);
  Node* kept = children[0];
  EXPECT_TRUE(kept->getMove() == Move(4, 1) || kept->getMove() == Move(7, 7));
  EXPECT_EQ(kept->getNumVisits(), 7);
  EXPECT_EQ(move, kept->getMove());
  EXPECT_EQ(top->getNumVisits(), 1);
  EXPECT_EQ(capture.out(), report(81, 0, 0, 0, kept->getNumWins()));
}

TEST_F(SearchDriverTest, EachSearchStopsOneIterationPastTheCapacity) {
  // Below the root lies a single finished child, so iterations take no nodes
  // and only the iteration cap ends each of the two searches.
  std::unique_ptr<Node> top(new Node());
  Node* node = play(top.get(), kLastMoveTies);
  leaveFreeNodes(100);
  const auto iterations = static_cast<int>(NodePool::maxSize() + 1);
  StdStreamCapture capture;
  EXPECT_EQ(getMove(node, kUnlimited), Move(1, 3));
  EXPECT_EQ(node->getNumVisits(), 2 * iterations);
  EXPECT_EQ(capture.out(), report(99, 0, 0, 2 * iterations, 0));
}

TEST_F(SearchDriverTest, SearchFillsThePoolAndReportsWhatItCounted) {
  NodePool::setMaxSize(20000);
  std::unique_ptr<Node> top(new Node());
  StdStreamCapture capture;
  const Move move = getMove(top.get(), kUnlimited);

  ASSERT_EQ(top->getChildren().size(), 1u);
  Node* kept = top->getChild(0);
  EXPECT_EQ(kept->getMove(), move);
  EXPECT_LE(NodePool::size(), kFreeNodeThreshold);
  // Every iteration back-propagates once, up to the root at the top.
  EXPECT_EQ(numP1Wins + numP2Wins + numTies, top->getNumVisits());

  std::istringstream lines(capture.out());
  std::uint64_t freeAfterPruning = 0;
  lines >> freeAfterPruning;
  EXPECT_GT(freeAfterPruning, kFreeNodeThreshold);
  lines.ignore(1);
  std::string rest((std::istreambuf_iterator<char>(lines)), std::istreambuf_iterator<char>());
  const std::string tail = report(0, numP1Wins, numP2Wins, numTies, kept->getNumWins());
  EXPECT_EQ(rest, tail.substr(tail.find('\n') + 1));
}

}  // namespace

namespace {

// The positions above the searched one get their results when each search
// ends, all at once: afterwards they must hold exactly what a walk to the top
// for every result would have given them.
TEST_F(SearchDriverTest, PositionsAboveTheRootGetEveryResultOfTheSearch) {
  NodePool::setMaxSize(60000);
  std::unique_ptr<Node> top(new Node());
  Node* root = play(top.get(), "40 04 45 54 48");
  for (int i = 0; i < 200; ++i) select(top.get());  // counts above the root beforehand
  struct Counts {
    std::int32_t visits, wins, ties;
  };
  std::vector<Node*> path;
  std::vector<Counts> before;
  for (Node* x = root; x != nullptr; x = x->getParent()) {
    path.push_back(x);
    before.push_back({x->getNumVisits(), x->getNumWins(), x->getNumTies()});
  }
  {
    const StdStreamCapture quiet;
    (void)getMove(root, 0.05);
  }
  const std::int32_t visits = root->getNumVisits() - before[0].visits;
  const std::int32_t wins = root->getNumWins() - before[0].wins;
  const std::int32_t ties = root->getNumTies() - before[0].ties;
  ASSERT_GT(visits, 0);
  for (std::size_t d = 1; d < path.size(); ++d) {
    SCOPED_TRACE(d);
    EXPECT_EQ(path[d]->getNumVisits() - before[d].visits, visits);
    EXPECT_EQ(path[d]->getNumTies() - before[d].ties, ties);
    EXPECT_EQ(path[d]->getNumWins() - before[d].wins, d % 2 == 0 ? wins : visits - wins - ties);
  }
}

// Input for the pondering search: "arrives" at the given look.
int looksLeft = 0;
bool inputAfterLooks() { return --looksLeft < 0; }

// Pondering stops at the look that finds input (one look per 64 iterations
// after the minimal 256), runs nothing when input already waits, and leaves
// a tree that the next search goes on from.
TEST_F(SearchDriverTest, PonderingSearchesUntilInputArrives) {
  NodePool::setMaxSize(60000);
  std::unique_ptr<Node> top(new Node());
  Node* root = play(top.get(), "40 04");
  SearchContext& search = defaultSearch();

  looksLeft = 0;
  EXPECT_EQ(searchUntilInput(search, root, inputAfterLooks), 0u);
  EXPECT_EQ(root->getNumVisits(), 0);

  looksLeft = 2;  // no input at the look before searching, nor at 256 iterations
  EXPECT_EQ(searchUntilInput(search, root, inputAfterLooks), 256u + 64u);
  EXPECT_EQ(root->getNumVisits(), 256 + 64);
  EXPECT_EQ(numP1Wins + numP2Wins + numTies, 256 + 64);

  // The pool full and nothing to reclaim: it stops without input.
  looksLeft = 1 << 30;
  const std::uint64_t count = searchUntilInput(search, root, inputAfterLooks);
  EXPECT_LE(NodePool::size(), kFreeNodeThreshold);
  EXPECT_EQ(root->getNumVisits(), static_cast<std::int32_t>(256 + 64 + count));
  EXPECT_GT(looksLeft, 0);
}

}  // namespace
