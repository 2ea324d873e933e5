// Elo and SPRT arithmetic against worked examples. Each expected value is
// derived by hand in the comment above it, from the logistic model
// score = 1 / (1 + 10^(-elo / 400)), so elo = 400 log10(score / (1 - score)).

#include <gtest/gtest.h>

#include <cmath>

#include "MatchStats.h"

namespace {

TEST(MatchStats, EloOfPublishedScores) {
  // 0.75 = 3 points in 4: 400 log10(3) = 400 * 0.4771213 = 190.8485.
  EXPECT_NEAR(eloFromScore(0.75), 190.8485, 1e-4);
  EXPECT_NEAR(eloFromScore(0.25), -190.8485, 1e-4);
  // 100 Elo: 1 / (1 + 10^-0.25) = 1 / (1 + 0.5623413) = 0.6400649.
  EXPECT_NEAR(scoreFromElo(100), 0.6400649, 1e-7);
  EXPECT_NEAR(eloFromScore(scoreFromElo(-321.5)), -321.5, 1e-9);
  EXPECT_DOUBLE_EQ(eloFromScore(0.5), 0.0);
  EXPECT_EQ(eloFromScore(1.0), INFINITY);
  EXPECT_EQ(eloFromScore(0.0), -INFINITY);
}

// +60 =20 -20: score s = 0.7, Elo 400 log10(0.7 / 0.3) = 400 * 0.3679768 = 147.1907.
// Per-game variance v = (60 * 0.3^2 + 20 * 0.2^2 + 20 * 0.7^2) / 100
//                     = (5.4 + 0.8 + 9.8) / 100 = 0.16,
// standard error sqrt(0.16 / 100) = 0.04, margin 1.959964 * 0.04 = 0.0783986.
// Low end: s = 0.6216014, 400 log10(0.6216014 / 0.3783986) = 400 * 0.2155625 = 86.2250.
// High end: s = 0.7783986, 400 log10(0.7783986 / 0.2216014) = 400 * 0.5456294 = 218.2518.
TEST(MatchStats, EloIntervalFromTheNormalApproximation) {
  const EloEstimate e = estimateElo(Tally{60, 20, 20});
  EXPECT_NEAR(e.elo, 147.1907, 1e-4);
  EXPECT_NEAR(e.low, 86.2250, 1e-4);
  EXPECT_NEAR(e.high, 218.2518, 1e-4);
}

// +4 =0 -0: no spread at all, so the interval shrinks to the infinite score.
// +1 =0 -1: s = 0.5, v = 0.25, margin 1.959964 * sqrt(0.25 / 2) = 0.6929 > 0.5,
// so both ends leave 0-1 and are infinite.
TEST(MatchStats, EloIntervalAtTheEdges) {
  const EloEstimate allWins = estimateElo(Tally{4, 0, 0});
  EXPECT_EQ(allWins.elo, INFINITY);
  EXPECT_EQ(allWins.low, INFINITY);
  const EloEstimate even = estimateElo(Tally{1, 0, 1});
  EXPECT_DOUBLE_EQ(even.elo, 0.0);
  EXPECT_EQ(even.low, -INFINITY);
  EXPECT_EQ(even.high, INFINITY);
}

// alpha = beta = 0.05: lower bound ln(0.05 / 0.95) = -ln 19 = -2.944439, upper +2.944439.
TEST(MatchStats, SprtBoundsFromTheErrorRates) {
  const Sprt sprt;
  EXPECT_NEAR(sprt.lowerBound(), -2.944439, 1e-6);
  EXPECT_NEAR(sprt.upperBound(), 2.944439, 1e-6);
  const Sprt strict{0, 5, 0.01, 0.1};
  // ln(0.1 / 0.99) = -2.292535; ln(0.9 / 0.01) = ln 90 = 4.499810.
  EXPECT_NEAR(strict.lowerBound(), -2.292535, 1e-6);
  EXPECT_NEAR(strict.upperBound(), 4.499810, 1e-6);
}

// LLR = N (s1 - s0) (2s - s0 - s1) / (2v).
// +60 =20 -20 with H0 elo 0, H1 elo 10: s0 = 0.5, s1 = 1 / (1 + 10^-0.025) = 0.5143872;
// s = 0.7, v = 0.16 (above): LLR = 100 * 0.0143872 * (1.4 - 1.0143872) / 0.32
//                                = 100 * 0.0143872 * 0.3856128 / 0.32 = 1.733713.
// +30 =40 -30 with H1 elo 5: s1 = 1 / (1 + 10^-0.0125) = 0.5071951, s = 0.5,
// v = (30 * 0.25 + 30 * 0.25) / 100 = 0.15:
// LLR = 100 * 0.0071951 * (1 - 1.0071951) / 0.3 = -0.0172564.
TEST(MatchStats, SprtLogLikelihoodRatioOfTrinomialResults) {
  EXPECT_NEAR(sprtLlr(Tally{60, 20, 20}, 0, 10), 1.733713, 1e-6);
  EXPECT_NEAR(sprtLlr(Tally{30, 40, 30}, 0, 5), -0.0172564, 1e-7);
  // Swapping the sides turns the evidence round: s = 0.3 against the same
  // hypotheses gives 100 * 0.0143872 * (0.6 - 1.0143872) / 0.32 = -1.863083.
  EXPECT_NEAR(sprtLlr(Tally{20, 20, 60}, 0, 10), -1.863083, 1e-6);
  // No games, or no spread of results: nothing to weigh yet.
  EXPECT_EQ(sprtLlr(Tally{}, 0, 10), 0.0);
  EXPECT_EQ(sprtLlr(Tally{5, 0, 0}, 0, 10), 0.0);
  EXPECT_EQ(sprtLlr(Tally{0, 7, 0}, 0, 10), 0.0);
}

TEST(MatchStats, SprtVerdictAtTheBounds) {
  const Sprt sprt;
  EXPECT_EQ(sprtVerdict(0.0, sprt), SprtVerdict::Continue);
  EXPECT_EQ(sprtVerdict(2.94, sprt), SprtVerdict::Continue);
  EXPECT_EQ(sprtVerdict(2.95, sprt), SprtVerdict::AcceptH1);
  EXPECT_EQ(sprtVerdict(-2.94, sprt), SprtVerdict::Continue);
  EXPECT_EQ(sprtVerdict(-2.95, sprt), SprtVerdict::AcceptH0);
}

}  // namespace
