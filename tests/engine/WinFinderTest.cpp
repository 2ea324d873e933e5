#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "SearchTestSupport.h"

namespace {

using namespace searchtest;
using WinFinderTest = SearchTest;

struct Case {
  const char* what;
  std::string record;
  std::optional<Move> expected;
};

TEST_F(WinFinderTest, FindsTheFirstGameWinningMoveThePlayerToMoveMayPlay) {
  const Case cases[] = {
      {"initial position", "", std::nullopt},
      {"free choice: lower quadrant, then lower cell", kTwoWinsFreeChoice, Move(2, 5)},
      {"forced into a winning quadrant", kTwoWinsToQuadrant6, Move(6, 2)},
      {"free choice: passes over quadrants 0 and 1 and won quadrant 4", kLinesFreeChoice, Move(2, 8)},
      {"forced into a quadrant completing a line but without winning cell", kLinesToQuadrant0, std::nullopt},
      {"forced into a quadrant completing only the opponent's line", kLinesToQuadrant1, std::nullopt},
      {"forced into the quadrant with the win", kLinesToQuadrant2, Move(2, 8)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<Node> top(new Node());
    Node* node = play(top.get(), c.record);
    const std::unique_ptr<Move> found = isWin(node);
    ASSERT_EQ(found != nullptr, c.expected.has_value());
    if (found) {
      EXPECT_EQ(*found, *c.expected);
      EXPECT_TRUE(node->isLegal(*found));
    }
    EXPECT_TRUE(node->hasNoChildren());
    EXPECT_EQ(node->getNumVisits(), 0);
  }
}

TEST_F(WinFinderTest, FoundMoveReallyWinsTheGame) {
  for (const std::string& record : {kTwoWinsFreeChoice, kTwoWinsToQuadrant6, kLinesToQuadrant2}) {
    std::unique_ptr<Node> top(new Node());
    Node* node = play(top.get(), record);
    const std::unique_ptr<Move> found = isWin(node);
    ASSERT_NE(found, nullptr);
    node->setChild(*found);
    EXPECT_EQ(node->getChildren().back()->getWinner(), 1);
  }
}

}  // namespace
