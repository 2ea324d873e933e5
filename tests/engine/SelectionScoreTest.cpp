#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "SearchParameters.h"
#include "SearchTestSupport.h"
#include "UctScore.h"

namespace {

using namespace searchtest;

// Restores the tuned policy after tests that change it.
class SelectionScoreTest : public SearchTest {
 protected:
  void TearDown() override {
    uct::policy = saved_;
    SearchTest::TearDown();
  }

 private:
  uct::Policy saved_ = uct::policy;
};

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// Scores at the extremes of the counts: finite and not NaN once visited, the
// policy's value before, the same on every read, and above 0 whenever the
// parent has been visited more than once.
TEST_F(SelectionScoreTest, ScoresAreFiniteStableAndPositiveAtExtremeCounts) {
  std::unique_ptr<Node> parent(new Node());
  parent->setChild(Move(4, 4));
  Node* child = parent->getChildren().back();
  EXPECT_EQ(uct::nodeScore(*child), uct::policy.unvisited);
  EXPECT_GT(uct::nodeScore(*child), 0.0);
  const std::int32_t counts[] = {1, 2, 1023, 1024, 1025, 1 << 20, kMax};
  for (std::int32_t parentVisits : counts) {
    for (std::int32_t visits : counts) {
      for (std::int32_t wins : {std::int32_t{0}, visits / 2, visits}) {
        parent->incrementVisits(parentVisits - parent->getNumVisits());
        child->incrementVisits(visits - child->getNumVisits());
        child->incrementWins(wins - child->getNumWins());
        child->incrementTies((visits - wins) / 2 - child->getNumTies());
        const double score = uct::nodeScore(*child);
        EXPECT_TRUE(std::isfinite(score)) << wins << '/' << visits << " of " << parentVisits;
        EXPECT_EQ(score, uct::nodeScore(*child));
        EXPECT_EQ(score, uct::nodeScore(*child, uct::parentTerm(parentVisits)));
        if (parentVisits > 1) {
          EXPECT_GT(score, 0.0);
        }
      }
    }
  }
}

TEST_F(SelectionScoreTest, ParametersAreSetByNameWithinTheirRanges) {
  EXPECT_TRUE(setSearchParameter("exploration", 0.6));
  EXPECT_EQ(uct::policy.exploration, 0.6);
  EXPECT_FALSE(setSearchParameter("exploration", 0.0));  // no child could score above 0
  EXPECT_FALSE(setSearchParameter("exploration", std::nan("")));
  EXPECT_FALSE(setSearchParameter("exploration", -1.0));
  EXPECT_TRUE(setSearchParameter("unvisited", std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(setSearchParameter("unvisited", 0.0));
  EXPECT_TRUE(setSearchParameter("tie_value", 0.5));
  EXPECT_FALSE(setSearchParameter("tie_value", 1.5));
  EXPECT_FALSE(setSearchParameter("no_such_knob", 1.0));
  EXPECT_EQ(uct::policy.exploration, 0.6);
  for (const std::string& name : searchParameterNames())
    EXPECT_FALSE(setSearchParameter(name, std::nan(""))) << name;
}

// The child scan against the plain loop over nodeScore() that it stands for, on
// children kept as a run and as a list, with exact ties, unvisited children
// and a finite score for them: the same child, and the tie-break generator
// left in the same state.
TEST_F(SelectionScoreTest, ScanChoosesAsThePlainLoopOverScoresAndDrawsAlike) {
  std::mt19937 rng(99);
  for (int trial = 0; trial < 3000; ++trial) {
    uct::policy.exploration = trial % 3 == 0 ? 1.4142135623730951 : 0.5 + (rng() % 100) / 100.0;
    uct::policy.unvisited = trial % 4 == 0 ? 1.0 : std::numeric_limits<double>::infinity();
    uct::policy.tieValue = trial % 2 == 0 ? 0.0 : 0.5;
    std::unique_ptr<Node> parent(new Node());
    const unsigned n = 1 + rng() % 81;
    std::vector<std::uint8_t> codes(n);
    for (unsigned i = 0; i < n; ++i) codes[i] = static_cast<std::uint8_t>(i);
    parent->addChildren(codes.data(), n);
    std::int32_t total = 1;
    const int spread = 1 + static_cast<int>(rng() % 3000);
    for (unsigned i = 0; i < n; ++i) {
      Node* c = parent->getChild(i);
      // Few distinct counts, so that exact ties are common.
      const auto visits = static_cast<std::int32_t>(rng() % 4 == 0 ? 0 : 1 + rng() % spread % 7 * 300);
      const auto wins = visits == 0 ? 0 : static_cast<std::int32_t>(rng() % (visits + 1)) / 100 * 100;
      c->incrementVisits(visits);
      c->incrementWins(wins);
      c->incrementTies((visits - wins) / 3);
      total += visits;
    }
    parent->incrementVisits(total);
    if (rng() % 2 == 0) (void)parent->getChildren();  // switch to a list

    const std::uint32_t seed = static_cast<std::uint32_t>(rng());
    g_seed = seed;
    double best = 0.0;
    int bestIndex = -1;
    for (unsigned i = 0; i < n; ++i) {
      const double s = uct::nodeScore(*parent->getChild(i));
      if (s > best) {
        best = s;
        bestIndex = static_cast<int>(i);
      } else if (s == best && tieBreakDraw()) {
        bestIndex = static_cast<int>(i);
      }
    }
    const std::uint32_t seedAfterPlainLoop = g_seed;
    g_seed = seed;
    ASSERT_GE(bestIndex, 0) << "some child must score above 0";
    ASSERT_EQ(getChildHighestUCT(parent.get()), parent->getChild(static_cast<std::size_t>(bestIndex)))
        << "trial " << trial;
    ASSERT_EQ(g_seed, seedAfterPlainLoop) << "trial " << trial;
  }
}

}  // namespace

namespace {

// With the solver on, a finished game won by the player who moved into it is
// proven, the position above it is proven lost for its mover, and the scan
// then takes the winning child before any visited sibling. Nothing above the
// search root is judged, and nothing at all with the solver off.
TEST_F(SelectionScoreTest, SolverProvesWinsFromFinishedGamesUpToTheSearchRoot) {
  for (bool solver : {false, true}) {
    uct::policy.solver = solver ? 1.0 : 0.0;
    std::unique_ptr<Node> top(new Node());
    Node* root = play(top.get(), kTwoWinsToQuadrant6);  // the player to move wins with (6, 2)
    {
      const SearchScope scope(root);
      for (int i = 0; i < 400; ++i) select(root);
    }
    Node* win = nullptr;
    for (std::size_t i = 0; i < root->getNumChildren(); ++i)
      if (root->getChild(i)->getMove() == Move(6, 2)) win = root->getChild(i);
    ASSERT_NE(win, nullptr);
    EXPECT_EQ(win->getProof(), solver ? uct::Proof::moverWins : uct::Proof::none);
    EXPECT_EQ(root->getProof(), solver ? uct::Proof::moverLoses : uct::Proof::none);
    EXPECT_EQ(root->getParent()->getProof(), uct::Proof::none);
    if (solver) {
      EXPECT_EQ(getChildHighestUCT(root), win);
      // The most visited child is the proven win once the search goes on.
      for (int i = 0; i < 2000; ++i) select(root);
      for (std::size_t i = 0; i < root->getNumChildren(); ++i)
        EXPECT_LE(root->getChild(i)->getNumVisits(), win->getNumVisits());
    }
  }
}

}  // namespace
