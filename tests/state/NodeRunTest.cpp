#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <new>
#include <random>
#include <vector>

#include "Node.h"
#include "NodePool.h"

namespace {

// The pool's runs and single slots, and a node's switch from a run of
// children to a list. Every test leaves the pool empty at its default size.
class NodeRunTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(NodePool::size(), NodePool::maxSize()); }
  void TearDown() override {
    NodePool::setMaxSize(NodePool::kDefaultCapacity);
    EXPECT_EQ(NodePool::size(), NodePool::maxSize());
  }

  // Gives node one child per cell of quadrant 4 that is listed, as one run.
  static void expandInto(Node* node, std::initializer_list<std::uint8_t> cells) {
    std::vector<std::uint8_t> codes;
    for (std::uint8_t c : cells) codes.push_back(static_cast<std::uint8_t>(36 + c));
    node->addChildren(codes.data(), static_cast<unsigned>(codes.size()));
  }
};

// Random runs and single frees against a model of which slots are live: a
// run is always n adjacent slots none of which is live, and the free count
// is exact throughout.
TEST_F(NodeRunTest, RunsAreAdjacentFreeSlotsAndNeverOverlapLiveOnes) {
  NodePool::setMaxSize(5000);
  std::mt19937 rng(7);
  std::map<std::uint32_t, bool> live;  // slot -> live
  std::vector<std::pair<std::uint32_t, unsigned>> runs;
  for (int step = 0; step < 4000; ++step) {
    const unsigned n = 1 + rng() % 81;
    if (rng() % 3 != 0 && NodePool::size() >= n) {
      const std::uint32_t first = NodePool::allocateRun(n);
      for (std::uint32_t i = first; i < first + n; ++i) {
        ASSERT_FALSE(live[i]) << "slot " << i << " handed out twice";
        live[i] = true;
      }
      runs.emplace_back(first, n);
    } else if (!runs.empty()) {
      // Free a whole run, or only one of its slots (the rest stays live).
      const std::size_t r = rng() % runs.size();
      auto [first, count] = runs[r];
      runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(r));
      if (rng() % 2 == 0) {
        NodePool::deallocateRun(first, count);
        for (std::uint32_t i = first; i < first + count; ++i) live[i] = false;
      } else {
        const std::uint32_t one = first + static_cast<std::uint32_t>(rng() % count);
        NodePool::deallocate(NodePool::at(one));
        live[one] = false;
        for (std::uint32_t i = first; i < first + count; ++i)
          if (i != one) runs.emplace_back(i, 1);
      }
    }
    const auto alive = static_cast<std::uint64_t>(
        std::count_if(live.begin(), live.end(), [](const auto& e) { return e.second; }));
    ASSERT_EQ(NodePool::size(), NodePool::maxSize() - alive);
  }
  for (auto [first, count] : runs) NodePool::deallocateRun(first, count);
}

// Filling a pool, freeing most of it and filling it again, over and over, as
// a game's moves do: freed slots are found again, so the storage touched
// stays within the pool's budget instead of growing with every round.
TEST_F(NodeRunTest, FreedSlotsAreReusedSoStorageStaysBounded) {
  const std::uint64_t capacity = 20000;
  NodePool::setMaxSize(capacity);
  std::mt19937 rng(11);
  std::vector<std::pair<std::uint32_t, unsigned>> runs;
  std::uint64_t afterFirstRound = 0;
  for (int round = 0; round < 60; ++round) {
    for (unsigned n = 1 + rng() % 81; NodePool::size() >= n; n = 1 + rng() % 81)
      runs.emplace_back(NodePool::allocateRun(n), n);
    std::shuffle(runs.begin(), runs.end(), rng);
    while (runs.size() > 20) {
      NodePool::deallocateRun(runs.back().first, runs.back().second);
      runs.pop_back();
    }
    if (round == 0) afterFirstRound = NodePool::bytesReserved();
  }
  const std::uint64_t budgetSlots = capacity + capacity / 16 + (1u << 16);
  EXPECT_LE(NodePool::bytesReserved(), budgetSlots * (sizeof(Node) + 1));
  EXPECT_GE(NodePool::bytesReserved(), afterFirstRound);
  for (auto [first, count] : runs) NodePool::deallocateRun(first, count);
}

TEST_F(NodeRunTest, ExpandedChildrenAreARunUntilTheSequenceIsAskedFor) {
  Node* root = new Node();
  root->setChild(Move(0, 4));
  Node* node = root->getChildren().back();
  expandInto(node, {0, 1, 2, 5, 8});
  const Node* run = node->runBegin();
  ASSERT_NE(run, nullptr);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(node->getChild(i), run + i);
    EXPECT_EQ(node->getChild(i)->getParent(), node);
    EXPECT_EQ(node->getChild(i)->getDepth(), 2);
  }
  EXPECT_EQ(node->getChild(3)->getMove(), Move(4, 5));

  // Sorting the sequence reorders the children without moving any node.
  Node::Children children = node->getChildren();
  EXPECT_EQ(node->runBegin(), nullptr);
  std::reverse(children.begin(), children.end());
  EXPECT_EQ(node->getChild(0), run + 4);
  EXPECT_EQ(node->getChild(4)->getMove(), Move(4, 0));
  delete root;
}

TEST_F(NodeRunTest, ShortPoolAddsNoChildAndSetChildOnARunKeepsOneSubtree) {
  Node* root = new Node();
  NodePool::setMaxSize(1 + 4);
  EXPECT_THROW(expandInto(root, {0, 1, 2, 3, 4}), std::bad_alloc);
  EXPECT_TRUE(root->hasNoChildren());
  EXPECT_EQ(NodePool::size(), 4u);
  NodePool::setMaxSize(NodePool::kDefaultCapacity);

  expandInto(root, {0, 1, 2, 3, 4});
  Node* kept = root->getChild(2);
  kept->incrementVisits(3);
  expandInto(kept, {6, 7});
  const std::uint64_t free = NodePool::size();
  root->setChild(Move(4, 2));
  EXPECT_EQ(root->getNumChildren(), 1u);
  EXPECT_EQ(root->getChildren().back(), kept);
  EXPECT_EQ(kept->getNumVisits(), 3);
  EXPECT_EQ(kept->getNumChildren(), 2u);
  EXPECT_EQ(NodePool::size(), free + 4);
  delete root;
}

}  // namespace
