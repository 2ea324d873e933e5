#include <gtest/gtest.h>

#include <array>
#include <random>

#include "Board.h"
#include "Random.h"
#include "ReferenceRules.h"

namespace {

// Random nine-entry arrays drawn from the given values; small value sets make
// lines, near-lines and lines of both players common. (Quadrant and the
// reference's std::array<int, 9> are the same type.)
class BoardLinesTest : public ::testing::Test {
 protected:
  std::mt19937 rng{4242};

  Quadrant randomArray(std::initializer_list<int> values) {
    std::uniform_int_distribution<std::size_t> pick(0, values.size() - 1);
    Quadrant a = make_Quadrant();
    for (int& v : a) v = *(values.begin() + pick(rng));
    return a;
  }
  static bool lineThroughEqual(const Quadrant& a, int i) {
    for (const auto& line : reference::kLines)
      if ((line[0] == i || line[1] == i || line[2] == i) && a[line[0]] == a[i] &&
          a[line[1]] == a[i] && a[line[2]] == a[i])
        return true;
    return false;
  }
};

TEST_F(BoardLinesTest, CheckWholeArrayNamesAPlayerHoldingALine) {
  // A closed quadrant (-1) at the head of a line is an entry like any other.
  EXPECT_EQ(check3InRow(Quadrant{-1, 1, 1, 0, 0, 0, 0, 0, 0}), 0);
  for (int n = 0; n < 20000; ++n) {
    const Quadrant a = randomArray({0, 1, 2, -1});
    const int got = check3InRow(a);
    if (got == 0) {
      ASSERT_FALSE(reference::holdsLine(a, 1) || reference::holdsLine(a, 2)) << n;
    } else {
      ASSERT_TRUE(got == 1 || got == 2) << n;
      ASSERT_TRUE(reference::holdsLine(a, got)) << n;
    }
  }
}

TEST_F(BoardLinesTest, CheckThroughEntryNeedsThreeEqualNonZeroEntries) {
  for (int n = 0; n < 20000; ++n) {
    const Quadrant a = randomArray({0, 1, 2, -1});
    for (int i = 0; i < 9; ++i)
      ASSERT_EQ(check3InRow(a, i), a[i] != 0 && lineThroughEqual(a, i)) << n << " i=" << i;
  }
}

TEST_F(BoardLinesTest, PotentialForPlayerAndCodeMatchBruteForce) {
  for (int n = 0; n < 20000; ++n) {
    const Quadrant a = randomArray({0, 0, 1, 2, -1});
    for (int i = 0; i < 9; ++i) {
      if (a[i] != 0) continue;
      for (int p = 1; p <= 2; ++p)
        ASSERT_EQ(potential3inRow(a, i, p), reference::wouldComplete(a, i, p))
            << n << " i=" << i << " p=" << p;
      ASSERT_EQ(potential3inRow(a, i), reference::potentialCode(a, i)) << n << " i=" << i;
    }
  }
}

TEST_F(BoardLinesTest, UpdateRefreshesEveryOpenQuadrantsCode) {
  for (int n = 0; n < 20000; ++n) {
    Quadrant states = randomArray({0, 0, 1, 2, -1});
    Quadrant codes = make_Quadrant();
    for (int q = 0; q < 9; ++q)
      if (states[q] == 0) codes[q] = potential3inRow(states, q);
    const int changed = static_cast<int>(rng() % 9);
    states[changed] = 1 + static_cast<int>(rng() % 2);
    updatePotential3inRow(codes, states, changed);
    for (int q = 0; q < 9; ++q) {
      if (states[q] != 0) continue;
      ASSERT_EQ(codes[q], reference::potentialCode(states, q)) << n << " q=" << q;
    }
  }
}

TEST_F(BoardLinesTest, RandomRemainingPicksEveryZeroEntryAndChangesNothing) {
  playoutRandom().reseed(99);
  for (int n = 0; n < 2000; ++n) {
    Quadrant a = randomArray({0, 1, 2, -1});
    a[rng() % 9] = 0;
    const Quadrant before = a;
    std::array<int, 9> hits{};
    for (int draw = 0; draw < 200; ++draw) {
      const int i = getRandomRemaining(a);
      ASSERT_TRUE(i >= 0 && i < 9 && a[i] == 0) << n << " drew " << i;
      ++hits[i];
    }
    ASSERT_EQ(a, before);
    for (int i = 0; i < 9; ++i) {
      if (a[i] == 0) {
        EXPECT_GT(hits[i], 0) << n << " never drew zero entry " << i;
      }
    }
  }
}

}  // namespace
