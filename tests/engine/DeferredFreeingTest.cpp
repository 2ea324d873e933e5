// Freeing off the clock: what the bot's search and moves throw away waits for
// Node::reclaim instead of being freed on the spot, so the time between a
// search's stop and its answer does not grow with the discarded part. The
// work is counted in nodes freed, never timed.

#include <map>
#include <memory>

#include "Node.h"
#include "SearchTestSupport.h"

namespace searchtest {
namespace {

std::uint64_t subtreeSize(const Node* node) {
  std::uint64_t n = 1;
  for (std::size_t i = 0; i < node->getNumChildren(); ++i)
    if (const Node* c = node->getChild(i)) n += subtreeSize(c);
  return n;
}

std::uint64_t alive() { return NodePool::maxSize() - NodePool::size(); }

// Grows a tree below root with n search iterations.
void grow(Node* root, int n) {
  const SearchScope scope(root);
  for (int i = 0; i < n; ++i) select(root);
}

class DeferredFreeingTest : public SearchTest {};

TEST_F(DeferredFreeingTest, DiscardFreesNothingUntilReclaimedThenEverythingInBoundedSteps) {
  auto top = std::make_unique<Node>();
  grow(top.get(), 20000);
  Node::Children children = top->getChildren();
  Node* big = children[0];
  for (Node* c : children)
    if (c->getNumVisits() > big->getNumVisits()) big = c;
  const std::uint64_t size = subtreeSize(big);
  ASSERT_GT(size, 1000u);

  // Unlink it as the driver does: to the end, then off the sequence.
  for (Node*& c : children)
    if (c == big) std::swap(c, children.back());
  children.pop_back();
  const std::uint64_t before = alive();
  Node::discard(big);
  EXPECT_EQ(alive(), before) << "discarding must not free the subtree on the spot";
  EXPECT_TRUE(Node::hasDiscards());

  std::uint64_t freed = 0;
  int calls = 0;
  while (Node::hasDiscards()) {
    const std::uint64_t step = Node::reclaim(100);
    EXPECT_LE(step, 100u + 81u);
    freed += step;
    ++calls;
  }
  EXPECT_EQ(freed, size);
  EXPECT_EQ(alive(), before - size);
  EXPECT_GT(calls, 5);
  EXPECT_EQ(subtreeSize(top.get()), alive()) << "every node alive is in the tree again";
}

TEST_F(DeferredFreeingTest, DeferredMoveFreesOnlyLeafSiblingsAtOnce) {
  auto top = std::make_unique<Node>();
  grow(top.get(), 20000);
  const std::uint64_t before = alive();
  const Move kept = top->getChild(0)->getMove();
  const std::uint64_t keptSize = subtreeSize(top->getChild(0));

  top->setChild(kept, Disposal::deferred);
  EXPECT_LE(before - alive(), 81u) << "only childless siblings may be freed by the move itself";
  EXPECT_EQ(top->getNumChildren(), 1u);
  EXPECT_EQ(top->getChild(0)->getMove(), kept);

  Node::reclaim(~std::uint64_t{0});
  EXPECT_FALSE(Node::hasDiscards());
  EXPECT_EQ(alive(), 1 + keptSize);
}

TEST_F(DeferredFreeingTest, DeferredSearchLeavesThePrunedSubtreesForLater) {
  auto top = std::make_unique<Node>();
  grow(top.get(), 30000);
  std::map<int, std::uint64_t> sizeBefore;
  for (std::size_t i = 0; i < top->getNumChildren(); ++i)
    sizeBefore[top->getChild(i)->getMoveCode()] = subtreeSize(top->getChild(i));
  std::uint64_t allBefore = 0;
  for (const auto& [move, size] : sizeBefore) allBefore += size;

  const Move move = getMove(top.get(), 0.0, Disposal::deferred);
  ASSERT_EQ(top->getNumChildren(), 1u);
  const std::uint64_t keptBefore = sizeBefore.at(9 * move.global + move.local);

  // Every node of the pruned children, as they stood before the search (and
  // what the first search added to them), is still waiting.
  const std::uint64_t waiting = Node::reclaim(~std::uint64_t{0});
  EXPECT_GE(waiting, allBefore - keptBefore);
  EXPECT_EQ(subtreeSize(top.get()), alive());
}

TEST_F(DeferredFreeingTest, ImmediateSearchDiscardsNothing) {
  auto top = std::make_unique<Node>();
  grow(top.get(), 5000);
  getMove(top.get(), 0.0);
  EXPECT_FALSE(Node::hasDiscards());
  EXPECT_EQ(subtreeSize(top.get()), alive());
}

TEST_F(DeferredFreeingTest, SearchOnAShortPoolReclaimsAndGoesOn) {
  auto top = std::make_unique<Node>();
  grow(top.get(), 5000);
  // Throw away all but one child, then leave the pool no room of its own.
  Node* keep = top->getChild(0);
  const Move kept = keep->getMove();
  top->setChild(kept, Disposal::deferred);
  leaveFreeNodes(50);
  Node* root = top->getChild(0);
  const int visitsBefore = root->getNumVisits();

  getMove(root, 0.0, Disposal::deferred);
  EXPECT_GT(root->getNumVisits(), visitsBefore + 200) << "the search must free discarded nodes and go on";
  Node::reclaim(~std::uint64_t{0});
  EXPECT_EQ(subtreeSize(top.get()), alive());
}

}  // namespace
}  // namespace searchtest
