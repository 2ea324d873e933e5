#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "SearchTestSupport.h"

namespace {

using namespace searchtest;
using TreePolicyTest = SearchTest;

std::uint32_t afterOneDraw(std::uint32_t state) { return state * 214013u + 2531011u; }

std::vector<Move> childMoves(Node* node) {
  std::vector<Move> moves;
  for (Node* child : node->getChildren()) moves.push_back(child->getMove());
  return moves;
}

int visitedChildren(Node* node) {
  int n = 0;
  for (Node* child : node->getChildren()) n += child->getNumVisits() != 0 ? 1 : 0;
  return n;
}

// A parent with one visit, so that the exploration term vanishes and each
// child scores exactly wins / visits.
std::unique_ptr<Node> parentWithScores(const std::vector<std::pair<int, int>>& winsVisits) {
  std::unique_ptr<Node> parent(new Node());
  parent->incrementVisits(1);
  int cell = 0;
  for (auto [wins, visits] : winsVisits) {
    Node* child = NodePool::getNode();
    child->init(0, cell++, parent.get(), false);
    child->incrementWins(wins);
    child->incrementVisits(visits);
    parent->addChild(child);
  }
  return parent;
}

TEST_F(TreePolicyTest, TieBreakGeneratorFromZero) {
  g_seed = 0;
  EXPECT_FALSE(tieBreakDraw());
  EXPECT_EQ(g_seed, 2531011u);
  EXPECT_TRUE(tieBreakDraw());
  EXPECT_EQ(g_seed, 505908858u);
  EXPECT_FALSE(tieBreakDraw());
  EXPECT_EQ(g_seed, 3539360597u);
}

TEST_F(TreePolicyTest, EqualScoresDrawOnceEachAndLowerScoresDrawNothing) {
  // Scores 0.5, 0.7, 0.7, 0.6: only the third child draws. From state 0 the
  // draw keeps the second child; from 2531011 it takes the third.
  auto parent = parentWithScores({{1, 2}, {7, 10}, {7, 10}, {3, 5}});
  g_seed = 0;
  EXPECT_EQ(getChildHighestUCT(parent.get()), parent->getChild(1));
  EXPECT_EQ(g_seed, afterOneDraw(0));
  g_seed = 2531011u;
  EXPECT_EQ(getChildHighestUCT(parent.get()), parent->getChild(2));
  EXPECT_EQ(g_seed, afterOneDraw(2531011u));
}

TEST_F(TreePolicyTest, ZeroScoreIsChosenOnlyThroughADraw) {
  // Two children scoring 0.0 both tie with the starting best score.
  auto zeros = parentWithScores({{0, 1}, {0, 1}});
  g_seed = 0;  // keep, then take: the second child
  EXPECT_EQ(getChildHighestUCT(zeros.get()), zeros->getChild(1));
  EXPECT_EQ(g_seed, 505908858u);
  g_seed = 2531011u;  // take, then keep: the first child
  EXPECT_EQ(getChildHighestUCT(zeros.get()), zeros->getChild(0));
  EXPECT_EQ(g_seed, 3539360597u);

  // A zero after a positive score is simply lower: no draw.
  auto lower = parentWithScores({{1, 2}, {0, 1}});
  g_seed = 0;
  EXPECT_EQ(getChildHighestUCT(lower.get()), lower->getChild(0));
  EXPECT_EQ(g_seed, 0u);
}

TEST_F(TreePolicyTest, InitialPositionExpandsIntoAllCellsAndPlaysOutOneChild) {
  std::unique_ptr<Node> top(new Node());
  const std::uint64_t freeBefore = NodePool::size();
  std::srand(5);
  const int drawn = std::rand() % 81;  // the child to be played out
  std::srand(5);
  select(top.get());

  std::vector<Move> expected;
  for (int g = 0; g < 9; ++g)
    for (int l = 0; l < 9; ++l) expected.emplace_back(g, l);
  EXPECT_EQ(childMoves(top.get()), expected);
  EXPECT_EQ(NodePool::size(), freeBefore - 81);
  EXPECT_EQ(visitedChildren(top.get()), 1);
  EXPECT_EQ(top->getChild(drawn)->getNumVisits(), 1);
  EXPECT_EQ(top->getNumVisits(), 1);
  EXPECT_EQ(counterSum(), 1);
}

TEST_F(TreePolicyTest, NodeIsPlayedOutOnFirstVisitAndExpandedOnlyWhenThePoolHoldsAllChildren) {
  std::unique_ptr<Node> top(new Node());
  Node* node = play(top.get(), kLinesToQuadrant0);  // quadrant 0 has cells 2 and 7 empty

  select(node);  // first visit: a playout from the node itself
  EXPECT_TRUE(node->hasNoChildren());
  EXPECT_EQ(node->getNumVisits(), 1);
  EXPECT_EQ(top->getNumVisits(), 1);  // the walk goes on above the node select started from
  EXPECT_EQ(counterSum(), 1);

  // One node short of the two children: nothing at all may change.
  leaveFreeNodes(1);
  const std::uint32_t seed = g_seed;
  const std::uint64_t playoutState = playoutRandom().state();
  std::srand(99);
  select(node);
  const int nextRand = std::rand();
  std::srand(99);
  EXPECT_EQ(nextRand, std::rand()) << "expansion drew from rand()";
  EXPECT_TRUE(node->hasNoChildren());
  EXPECT_EQ(NodePool::size(), 1u);
  EXPECT_EQ(node->getNumVisits(), 1);
  EXPECT_EQ(top->getNumVisits(), 1);
  EXPECT_EQ(counterSum(), 1);
  EXPECT_EQ(g_seed, seed);
  EXPECT_EQ(playoutRandom().state(), playoutState);

  // Exactly two free nodes are enough.
  leaveFreeNodes(2);
  select(node);
  EXPECT_EQ(childMoves(node), (std::vector<Move>{{0, 2}, {0, 7}}));
  EXPECT_EQ(NodePool::size(), 0u);
  EXPECT_EQ(node->getNumVisits(), 2);
  EXPECT_EQ(visitedChildren(node), 1);
  EXPECT_EQ(counterSum(), 2);

  // A node with children takes nothing, plays nothing out and draws nothing.
  NodePool::setMaxSize(NodePool::kDefaultCapacity);
  const std::uint64_t freeBefore = NodePool::size();
  const std::uint64_t stateBefore = playoutRandom().state();
  std::srand(7);
  expand(node);
  const int afterExpand = std::rand();
  std::srand(7);
  EXPECT_EQ(afterExpand, std::rand());
  EXPECT_EQ(NodePool::size(), freeBefore);
  EXPECT_EQ(playoutRandom().state(), stateBefore);
  EXPECT_EQ(node->getChildren().size(), 2u);
  EXPECT_EQ(node->getNumVisits(), 2);
  EXPECT_EQ(counterSum(), 2);
}

TEST_F(TreePolicyTest, MoveIntoAWonQuadrantExpandsIntoEveryOpenQuadrant) {
  std::unique_ptr<Node> top(new Node());
  Node* node = play(top.get(), kLinesFreeChoice);
  node->init();
  expand(node);
  // Quadrants 0, 1, 2 in order; the empty cells of won quadrants 4 to 8 are left out.
  const std::vector<Move> expected = {{0, 2}, {0, 7}, {1, 1}, {1, 2}, {1, 5},
                                      {1, 7}, {2, 0}, {2, 1}, {2, 3}, {2, 8}};
  EXPECT_EQ(childMoves(node), expected);
  EXPECT_EQ(visitedChildren(node), 1);
  EXPECT_EQ(node->getNumVisits(), 1);
  EXPECT_EQ(counterSum(), 1);
}

TEST_F(TreePolicyTest, FinishedPositionIsScoredAgainOnEveryVisit) {
  std::unique_ptr<Node> top(new Node());
  Node* node = play(top.get(), kTwoWinsFreeChoice);
  node->setChild(Move(2, 5));  // X wins quadrant 2 and with it the top row
  Node* won = node->getChildren().back();
  ASSERT_EQ(won->getWinner(), 1);
  const std::uint64_t freeBefore = NodePool::size();

  select(node);
  select(node);
  EXPECT_TRUE(won->hasNoChildren());
  EXPECT_EQ(NodePool::size(), freeBefore);
  EXPECT_EQ(won->getNumVisits(), 2);
  EXPECT_EQ(won->getNumWins(), 2);
  EXPECT_EQ(node->getNumVisits(), 2);
  EXPECT_EQ(node->getNumWins(), 0);
  EXPECT_EQ(node->getParent()->getNumWins(), 2);
  EXPECT_EQ(top->getNumVisits(), 2);
  EXPECT_EQ(numP1Wins, 2);
  EXPECT_EQ(numP2Wins + numTies, 0);
}

TEST_F(TreePolicyTest, BackPropagationCreditsEveryOtherNodeByDistance) {
  std::unique_ptr<Node> top(new Node());
  Node* a = play(top.get(), "44");
  Node* b = play(a, "40");
  Node* c = play(b, "04");  // made by X
  const std::vector<Node*> path = {top.get(), a, b, c};
  auto wins = [&] {
    std::vector<int> w;
    for (Node* n : path) w.push_back(n->getNumWins());
    return w;
  };
  auto expectVisits = [&](int v) {
    for (Node* n : path) EXPECT_EQ(n->getNumVisits(), v);
  };

  backpropogate(c, -1);
  EXPECT_EQ(wins(), (std::vector<int>{0, 0, 0, 0}));
  expectVisits(1);
  EXPECT_EQ(numTies, 1);

  backpropogate(c, 1);  // the starting node's player won
  EXPECT_EQ(wins(), (std::vector<int>{0, 1, 0, 1}));
  expectVisits(2);
  EXPECT_EQ(numP1Wins, 1);

  backpropogate(c, 2);  // the other player won
  EXPECT_EQ(wins(), (std::vector<int>{1, 1, 1, 1}));
  expectVisits(3);
  EXPECT_EQ(numP2Wins, 1);

  backpropogate(b, 2);  // starting on an O node: its own player again
  EXPECT_EQ(wins(), (std::vector<int>{2, 1, 2, 1}));
  EXPECT_EQ(c->getNumVisits(), 3);
  EXPECT_EQ(b->getNumVisits(), 4);
  EXPECT_EQ(top->getNumVisits(), 4);
  EXPECT_EQ(numP1Wins, 1);
  EXPECT_EQ(numP2Wins, 2);
  EXPECT_EQ(numTies, 1);
}

}  // namespace
