#pragma once

// The arithmetic of a match's result: score, Elo difference with its
// confidence interval, and the sequential probability ratio test (SPRT),
// all on the logistic Elo model, score = 1 / (1 + 10^(-elo / 400)).

// Games won, drawn and lost, from one engine's point of view.
struct Tally {
  int wins = 0;
  int draws = 0;
  int losses = 0;

  int games() const { return wins + draws + losses; }
  // Points: a win 1, a draw 1/2.
  double points() const { return wins + 0.5 * draws; }
  // Points per game, 0-1; expects games() > 0.
  double score() const { return points() / games(); }
};

// Elo difference that gives the expected score (0-1): -400 log10(1/score - 1);
// -infinity at 0 and +infinity at 1.
double eloFromScore(double score);

// Expected score of an Elo difference: 1 / (1 + 10^(-elo / 400)).
double scoreFromElo(double elo);

struct EloEstimate {
  double elo = 0;   // of the observed score
  double low = 0;   // 95% interval, possibly infinite
  double high = 0;
};

// The Elo difference of the tally with a 95% confidence interval from the
// normal approximation of the mean score per game: score +/- 1.96 times its
// standard error sqrt(variance / games), the per-game variance taken over the
// observed wins, draws and losses; each end is turned into Elo. Expects games.
EloEstimate estimateElo(const Tally& tally);

// An SPRT of H0: elo = elo0 against H1: elo = elo1 (elo0 < elo1) with error
// rates alpha (accepting H1 when H0 holds) and beta (the reverse).
struct Sprt {
  double elo0 = 0;
  double elo1 = 5;
  double alpha = 0.05;
  double beta = 0.05;

  // H0 is accepted at or below this log-likelihood ratio: ln(beta / (1 - alpha)).
  double lowerBound() const;
  // H1 is accepted at or above this one: ln((1 - beta) / alpha).
  double upperBound() const;
};

// Log-likelihood ratio of the tally for H1 against H0 by the generalised SPRT
// on trinomial results (win, draw, loss): with s0 and s1 the scores of elo0 and
// elo1, s the mean score and v the per-game variance,
// LLR = games * (s1 - s0) * (2s - s0 - s1) / (2v). It is 0 while v is 0 (no
// spread of results yet: nothing to weigh).
double sprtLlr(const Tally& tally, double elo0, double elo1);

enum class SprtVerdict { Continue, AcceptH0, AcceptH1 };

// The decision an LLR leads to under the test's bounds.
SprtVerdict sprtVerdict(double llr, const Sprt& sprt);
