#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "Node.h"
#include "NodePool.h"
#include "UctScore.h"

namespace {

class NodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = new Node();
    for (int l = 0; l < 9; ++l) {
      Node* child = NodePool::getNode();
      child->init(4, l, root, false);
      root->addChild(child);
    }
  }
  void TearDown() override {
    delete root;
    EXPECT_EQ(NodePool::size(), NodePool::maxSize());
  }
  Node* root = nullptr;
};

TEST_F(NodeTest, UctIsInfiniteUnvisitedAndTheFormulaOnceVisited) {
  Node* child = root->getChild(0);
  for (int parentVisits : {0, 1, 2, 3, 10, 1000, 1 << 30}) {
    root->incrementVisits(parentVisits - root->getNumVisits());
    EXPECT_EQ(uct::nodeScore(*child), std::numeric_limits<double>::infinity()) << parentVisits;
  }
  Node orphan;  // no parent at all: still a score, never NaN
  EXPECT_EQ(uct::nodeScore(orphan), std::numeric_limits<double>::infinity());
  orphan.incrementVisits(3);
  EXPECT_FALSE(std::isnan(uct::nodeScore(orphan)));

  for (int parentVisits : {1, 2, 7, 100, 123456}) {
    for (int visits : {1, 2, 5, 99, 5000, 100000}) {
      if (visits > parentVisits) continue;
      for (int wins : {0, 1, visits / 2, visits}) {
        root->incrementVisits(parentVisits - root->getNumVisits());
        child->incrementVisits(visits - child->getNumVisits());
        child->incrementWins(wins - child->getNumWins());
        const double expected =
            static_cast<double>(wins) / visits +
            uct::policy.exploration * std::sqrt(std::log(parentVisits) / visits);
        // Counts past the tables take their logarithm and square root from
        // a count's top bits: the exploration term is then within 0.2%.
        if (parentVisits < uct::kTableSize && visits < uct::kTableSize)
          EXPECT_DOUBLE_EQ(uct::nodeScore(*child), expected)
              << wins << '/' << visits << " of " << parentVisits;
        else
          EXPECT_NEAR(uct::nodeScore(*child), expected, 2e-3 * expected)
              << wins << '/' << visits << " of " << parentVisits;
        EXPECT_EQ(uct::nodeScore(*child), uct::nodeScore(*child, uct::parentTerm(parentVisits)));
      }
    }
  }
}

TEST_F(NodeTest, RepeatedInitKeepsCounts) {
  Node* child = root->getChild(3);
  child->incrementVisits(1);
  child->incrementWins(1);
  child->init();
  child->init();
  EXPECT_EQ(child->getNumVisits(), 1);
  EXPECT_EQ(child->getNumWins(), 1);
  EXPECT_EQ(child->getNextQuadrant(), 3);
}

// The search sorts the children in place, drops entries from the end and
// nulls entries it has handed back; the node must follow all of it.
TEST_F(NodeTest, ChildrenSequenceIsChangedInPlace) {
  for (int i = 0; i < 9; ++i) root->getChild(i)->incrementVisits(i % 4);
  Node::Children children = root->getChildren();
  std::stable_sort(children.begin(), children.end(),
                   [](Node* a, Node* b) { return a->getNumVisits() > b->getNumVisits(); });
  const std::vector<int> sorted = {3, 3, 2, 2, 1, 1, 0, 0, 0};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(root->getChild(i)->getNumVisits(), sorted[i]);
  EXPECT_EQ(root->getChild(0)->getLocal(), 3);

  Node* last = children.back();
  children.pop_back();
  NodePool::returnNode(last);
  EXPECT_EQ(root->getChildren().size(), 8u);
  NodePool::returnNode(children[2]);
  children[2] = nullptr;  // the destructor must skip it
  EXPECT_EQ(NodePool::size(), NodePool::maxSize() - 8);
}

}  // namespace
