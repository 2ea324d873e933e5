#include "MatchStats.h"

#include <cmath>
#include <limits>

namespace {

// Two-sided 95% quantile of the standard normal distribution.
constexpr double kZ95 = 1.959963984540054;

// Variance of one game's points about the mean score s.
double perGameVariance(const Tally& t, double s) {
  const double n = t.games();
  return (t.wins * (1 - s) * (1 - s) + t.draws * (0.5 - s) * (0.5 - s) + t.losses * s * s) / n;
}

}  // namespace

double eloFromScore(double score) {
  if (score <= 0) return -std::numeric_limits<double>::infinity();
  if (score >= 1) return std::numeric_limits<double>::infinity();
  return -400.0 * std::log10(1.0 / score - 1.0);
}

double scoreFromElo(double elo) { return 1.0 / (1.0 + std::pow(10.0, -elo / 400.0)); }

EloEstimate estimateElo(const Tally& tally) {
  const double s = tally.score();
  const double margin = kZ95 * std::sqrt(perGameVariance(tally, s) / tally.games());
  return {eloFromScore(s), eloFromScore(s - margin), eloFromScore(s + margin)};
}

double Sprt::lowerBound() const { return std::log(beta / (1 - alpha)); }
double Sprt::upperBound() const { return std::log((1 - beta) / alpha); }

double sprtLlr(const Tally& tally, double elo0, double elo1) {
  if (tally.games() == 0) return 0;
  const double s = tally.score();
  const double v = perGameVariance(tally, s);
  if (v <= 0) return 0;
  const double s0 = scoreFromElo(elo0);
  const double s1 = scoreFromElo(elo1);
  return tally.games() * (s1 - s0) * (2 * s - s0 - s1) / (2 * v);
}

SprtVerdict sprtVerdict(double llr, const Sprt& sprt) {
  if (llr >= sprt.upperBound()) return SprtVerdict::AcceptH1;
  if (llr <= sprt.lowerBound()) return SprtVerdict::AcceptH0;
  return SprtVerdict::Continue;
}
