#include <gtest/gtest.h>

#include <array>
#include <random>

#include "Node.h"
#include "NodePool.h"
#include "ReferenceRules.h"

namespace {

class RulesReferenceTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(NodePool::size(), NodePool::maxSize()); }
};

// One game played through the tree and through the reference side by side.
struct Track {
  Node* root = new Node();
  Node* node = root;
  reference::Game game;
};

TEST_F(RulesReferenceTest, RandomGamesThroughSetChildAgreeAfterEveryMove) {
  std::mt19937 rng(20240611);
  for (int pair = 0; pair < 1000; ++pair) {
    // Two games move by move in turn: every query then meets a position cache
    // that the other game has just overwritten at the same depth.
    std::array<Track, 2> tracks;
    bool going = true;
    while (going) {
      going = false;
      for (Track& t : tracks) {
        ASSERT_TRUE(reference::matchesReference(*t.node, t.game));
        if (t.game.winner() != 0) continue;
        going = true;
        const auto [g, l] = reference::randomMove(t.game, rng);
        Node* parent = t.node;
        parent->setChild(Move(g, l));
        ASSERT_EQ(parent->getChildren().size(), 1u);
        t.node = parent->getChildren().back();
        ASSERT_EQ(t.node->getParent(), parent);
        t.game.play(g, l);
      }
    }
    for (Track& t : tracks) delete t.root;
  }
}

// Expansion the way the search does it: every legal move becomes a pool node
// made with init(global, local, parent, flag); the siblings of the move played
// go back to the pool and their memory comes back as other positions.
TEST_F(RulesReferenceTest, ExpandedChildrenAgreeThroughInitAndReuse) {
  std::mt19937 rng(77);
  for (int n = 0; n < 300; ++n) {
    Node* root = new Node();
    Node* node = root;
    reference::Game game;
    while (game.winner() == 0) {
      const auto legal = game.legalMoves();
      node->setNumChildren(static_cast<std::uint32_t>(legal.size()));
      for (const auto& [g, l] : legal) {
        Node* child = NodePool::getNode();
        child->init(g, l, node, rng() % 2 == 0);
        node->addChild(child);
      }
      ASSERT_EQ(node->getChildren().size(), legal.size());
      for (int probe = 0; probe < 3; ++probe) {
        const std::size_t i = rng() % legal.size();
        reference::Game after = game;
        after.play(legal[i].first, legal[i].second);
        ASSERT_EQ(node->getChild(i)->getParent(), node);
        ASSERT_TRUE(reference::matchesReference(*node->getChild(i), after));
      }
      const std::size_t pick = rng() % legal.size();
      Node* kept = node->getChild(pick);
      node->setChild(Move(legal[pick].first, legal[pick].second));
      ASSERT_EQ(node->getChildren().size(), 1u);
      ASSERT_EQ(node->getChildren().back(), kept);
      node = kept;
      game.play(legal[pick].first, legal[pick].second);
      ASSERT_TRUE(reference::matchesReference(*node, game));
    }
    delete root;
  }
}

}  // namespace
