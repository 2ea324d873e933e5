#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <sstream>
#include <vector>

#include "Game.h"
#include "Node.h"
#include "NodePool.h"
#include "Random.h"
#include "ReferenceRules.h"

namespace {

// The pool is process-wide: every test starts and must end with all nodes
// free and the program's capacity.
class NodePoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(NodePool::size(), NodePool::maxSize());
    std::srand(5);
    playoutRandom().reseed(5);
  }
  void TearDown() override {
    NodePool::setMaxSize(NodePool::kDefaultCapacity);
    EXPECT_EQ(NodePool::size(), NodePool::maxSize());
  }

  // Gives node one pool child per legal move, as expansion would.
  static void addAllChildren(Node* node, const reference::Game& game) {
    for (const auto& [g, l] : game.legalMoves()) {
      Node* child = NodePool::getNode();
      child->init(g, l, node, false);
      node->addChild(child);
    }
  }
};

TEST_F(NodePoolTest, FreeCountReturnsToCapacityWhicheverWayNodesGoBack) {
  const std::uint64_t free = NodePool::size();
  std::vector<Node*> loose;
  for (int i = 0; i < 100; ++i) loose.push_back(NodePool::getNode());
  EXPECT_EQ(NodePool::size(), free - 100);
  for (Node* n : loose) NodePool::returnNode(n);
  EXPECT_EQ(NodePool::size(), free);

  // A tree of 1 + 81 + 8 nodes goes back whole, by returnNode or by delete.
  for (bool byDelete : {false, true}) {
    Node* root = new Node();
    addAllChildren(root, reference::Game{});
    reference::Game after;
    after.play(4, 4);
    addAllChildren(root->getChild(40), after);
    EXPECT_EQ(NodePool::size(), free - 90);
    if (byDelete) delete root; else NodePool::returnNode(root);
    EXPECT_EQ(NodePool::size(), free);
  }
}

TEST_F(NodePoolTest, ExhaustedPoolRefusesNodesAndExpansionTakesNone) {
  NodePool::setMaxSize(5);
  std::vector<Node*> taken;
  for (int i = 0; i < 5; ++i) taken.push_back(NodePool::getNode());
  EXPECT_EQ(NodePool::size(), 0u);
  EXPECT_THROW(NodePool::getNode(), std::bad_alloc);
  EXPECT_THROW(new Node(), std::bad_alloc);
  // setChild needs a new node here; the parent stays usable.
  EXPECT_THROW(taken[0]->setChild(Move(4, 4)), std::bad_alloc);
  EXPECT_TRUE(taken[0]->hasNoChildren());
  for (Node* n : taken) NodePool::returnNode(n);

  // The empty board has 81 moves: with 80 free nodes expansion adds nothing.
  NodePool::setMaxSize(81);
  Node* root = new Node();
  expand(root);
  EXPECT_TRUE(root->hasNoChildren());
  EXPECT_EQ(root->getNumVisits(), 0);
  EXPECT_EQ(NodePool::size(), 80u);
  NodePool::setMaxSize(82);
  expand(root);
  EXPECT_EQ(root->getChildren().size(), 81u);
  EXPECT_EQ(NodePool::size(), 0u);
  delete root;
}

TEST_F(NodePoolTest, SetChildKeepsMatchingSubtreeAndFreesTheRest) {
  Node* root = new Node();
  addAllChildren(root, reference::Game{});
  Node* kept = root->getChild(4 * 9 + 0);
  reference::Game game;
  game.play(4, 0);
  addAllChildren(kept, game);  // 9 moves in quadrant 0
  std::vector<Node*> grandchildren(kept->getChildren().begin(), kept->getChildren().end());
  kept->incrementVisits(1);
  kept->incrementWins(1);
  const std::uint64_t free = NodePool::size();

  root->setChild(Move(4, 0));
  ASSERT_EQ(root->getChildren().size(), 1u);
  EXPECT_EQ(root->getChildren().back(), kept);
  EXPECT_EQ(kept->getNumVisits(), 1);
  EXPECT_EQ(kept->getNumWins(), 1);
  EXPECT_EQ(std::vector<Node*>(kept->getChildren().begin(), kept->getChildren().end()),
            grandchildren);
  EXPECT_EQ(NodePool::size(), free + 80);

  // No child for the move: a fresh one replaces all nine.
  kept->setChild(Move(0, 8));
  ASSERT_EQ(kept->getChildren().size(), 1u);
  EXPECT_EQ(NodePool::size(), free + 80 + 9 - 1);
  game.play(0, 8);
  EXPECT_TRUE(reference::matchesReference(*kept->getChildren().back(), game));
  delete root;
}

TEST_F(NodePoolTest, PrintTraceListsMovesAsDigitPairs) {
  Node* root = new Node();
  std::ostringstream empty;
  root->printTrace(empty);
  EXPECT_EQ(empty.str(), "");
  Node* node = root;
  Node* third = nullptr;
  for (const Move& m : {Move(4, 0), Move(0, 4), Move(4, 5), Move(5, 4), Move(4, 8), Move(8, 1)}) {
    node->setChild(m);
    node = node->getChildren().back();
    if (node->getDepth() == 3) third = node;
  }
  std::ostringstream full, part;
  node->printTrace(full);
  third->printTrace(part);
  EXPECT_EQ(full.str(), "40 04 45 54 48 81");
  EXPECT_EQ(part.str(), "40 04 45");
  delete root;
}

}  // namespace
