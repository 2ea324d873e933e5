// The training pipeline end to end on a small scale: self-play positions,
// a few epochs of training, a weights file that loads.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "DataGenerator.h"
#include "FloatNetwork.h"
#include "NodePool.h"
#include "SearchContext.h"
#include "Trainer.h"
#include "WeightsFile.h"

namespace {

// Games first, first + step, ... below end from seed on a small pool; the
// pool gets its capacity back afterwards, and the engine its playouts.
std::vector<Sample> generate(std::uint64_t seed, std::uint64_t pool, int first, int end, int step,
                             int* games = nullptr, GeneratorOptions generator = {}) {
  const std::uint64_t capacity = NodePool::maxSize();
  generator.seed = seed;
  generator.poolNodes = pool;
  std::vector<Sample> samples;
  generateGames(generator, first, end, step, samples, [&](int positions) {
    if (games != nullptr) ++*games;
    EXPECT_GT(positions, 0);
  });
  NodePool::setMaxSize(capacity);
  defaultSearch().priorVisits = 0;
  defaultSearch().priorAt = SearchContext{}.priorAt;
  defaultSearch().network = nullptr;
  defaultSearch().evaluation = LeafEvaluation::playout;
  return samples;
}

TEST(Pipeline, SelfPlayDataTrainsANetworkThatLoads) {
  int games = 0;
  const std::vector<Sample> samples = generate(5, 3000, 0, 8, 1, &games);
  EXPECT_EQ(games, 8);
  ASSERT_GE(samples.size(), 200u);

  TrainOptions options;
  options.epochs = 4;
  options.validationShare = 0.1;
  std::vector<EpochReport> reports;
  const FloatNetwork model = train(samples, options, [&](const EpochReport& r) { reports.push_back(r); });
  ASSERT_EQ(reports.size(), 4u);
  EXPECT_LT(reports.back().trainLoss, reports.front().trainLoss);
  EXPECT_NEAR(reports.back().quantisedLoss, reports.back().validationLoss, 0.05);

  const auto net = std::make_unique<nnue::Network>(model.toNetwork());
  const std::vector<std::uint8_t> bytes = nnue::saveNetwork(*net);
  EXPECT_NO_THROW(nnue::loadNetwork(bytes.data(), bytes.size()));
}

// Going on from a network that training only spoils (a step far too long)
// gives the network back as it was, reported as epoch 0.
TEST(Pipeline, TrainingOnKeepsTheStartWhenNoEpochBeatsIt) {
  const std::vector<Sample> samples = generate(6, 3000, 0, 6, 1);
  TrainOptions options;
  options.epochs = 2;
  options.validationShare = 0.1;
  const FloatNetwork first = train(samples, options);

  options.start = &first;
  options.learningRate = 1.0;
  options.epochs = 1;
  std::vector<EpochReport> reports;
  const FloatNetwork again = train(samples, options, [&](const EpochReport& r) { reports.push_back(r); });
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].epoch, 0);
  EXPECT_GT(reports[1].validationLoss, reports[0].validationLoss);
  EXPECT_EQ(again.weights, first.weights);
}

TEST(Pipeline, TheSameSeedGivesTheSameGamesWhateverTheSplit) {
  const std::vector<Sample> whole = generate(9, 2000, 0, 2, 1);
  const std::vector<Sample> odd = generate(9, 2000, 1, 2, 2);
  const auto secondGame = std::find_if(whole.begin(), whole.end(), [&](const Sample& s) {
    return s.position.marks == odd.front().position.marks;
  });
  ASSERT_NE(secondGame, whole.end());
  ASSERT_EQ(static_cast<std::size_t>(whole.end() - secondGame), odd.size());
  for (std::size_t i = 0; i < odd.size(); ++i) EXPECT_EQ(secondGame[i].visits, odd[i].visits);
}

TEST(Pipeline, SparseKeepingAndRandomMovesStillGiveSeededGames) {
  GeneratorOptions sparse;
  sparse.keepOneIn = 6;
  sparse.movePoolNodes = 1000;
  sparse.randomMoveShare = 0.3;
  int games = 0;
  const std::vector<Sample> whole = generate(4, 2000, 0, 12, 1, nullptr);
  const std::vector<Sample> kept = generate(4, 2000, 0, 12, 1, &games, sparse);
  EXPECT_EQ(games, 12);
  // About one position in six of games as long as the others.
  EXPECT_GT(kept.size(), whole.size() / 20);
  EXPECT_LT(kept.size(), whole.size() / 2);
  for (const Sample& s : kept) {
    EXPECT_EQ(s.position.winner, 0);
    EXPECT_GT(s.visits, 0u);
  }
  const std::vector<Sample> again = generate(4, 2000, 0, 12, 1, nullptr, sparse);
  ASSERT_EQ(again.size(), kept.size());
  for (std::size_t i = 0; i < kept.size(); ++i) {
    EXPECT_EQ(again[i].position.marks, kept[i].position.marks);
    EXPECT_EQ(again[i].result, kept[i].result);
  }
}

bool sameGames(const std::vector<Sample>& a, const std::vector<Sample>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].position.marks != b[i].position.marks || a[i].wins != b[i].wins) return false;
  return true;
}

// Games of the engine with network priors repeat from their seed like the
// others, and the priors change what the engine plays.
TEST(Pipeline, GamesWithNetworkPriorsAreSeededAndDifferent) {
  GeneratorOptions priors;
  priors.priorVisits = 64;
  const std::vector<Sample> plain = generate(6, 2000, 0, 3, 1);
  const std::vector<Sample> guided = generate(6, 2000, 0, 3, 1, nullptr, priors);
  const std::vector<Sample> again = generate(6, 2000, 0, 3, 1, nullptr, priors);
  ASSERT_EQ(again.size(), guided.size());
  for (std::size_t i = 0; i < guided.size(); ++i) {
    EXPECT_EQ(again[i].position.marks, guided[i].position.marks);
    EXPECT_EQ(again[i].wins, guided[i].wins);
  }
  EXPECT_FALSE(sameGames(plain, guided));

  // Priors at another threshold guide it elsewhere too.
  GeneratorOptions early = priors;
  early.priorAt = 4;
  EXPECT_FALSE(sameGames(guided, generate(6, 2000, 0, 3, 1, nullptr, early)));

  // Another network (here an untrained one) guides the engine elsewhere.
  priors.network = std::make_shared<nnue::Network>(FloatNetwork(3).toNetwork());
  EXPECT_FALSE(sameGames(guided, generate(6, 2000, 0, 3, 1, nullptr, priors)));
}

int marksOf(const Sample& s) {
  int n = 0;
  for (const auto& side : s.position.marks)
    for (const std::uint16_t q : side) n += __builtin_popcount(q);
  return n;
}

// Moves the search turned down become samples of their own, just before
// their position's sample, one move later and seen from the other side; the
// move that was played has the searched move's statistics from there.
TEST(Pipeline, ChildSamplesFollowTheirPositionFromTheOtherSide) {
  GeneratorOptions withChildren;
  withChildren.childMinVisits = 50;
  const std::vector<Sample> samples = generate(8, 3000, 0, 2, 1, nullptr, withChildren);
  int checkedMoves = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const Sample& parent = samples[i];
    const int mover = parent.position.playerToMove() - 1;
    std::vector<const Sample*> children;
    for (std::size_t j = i; j-- > 0 && marksOf(samples[j]) == marksOf(parent) + 1;) children.push_back(&samples[j]);
    for (const Sample* c : children) {
      EXPECT_GE(c->visits, 50u);
      EXPECT_LE(c->wins + c->ties, c->visits);
      EXPECT_NE(c->position.playerToMove() - 1, mover);
      int added = 0;
      for (int q = 0; q < 9; ++q) {
        EXPECT_EQ(c->position.marks[1 - mover][q], parent.position.marks[1 - mover][q]);
        added += __builtin_popcount(c->position.marks[mover][q] ^ parent.position.marks[mover][q]);
      }
      EXPECT_EQ(added, 1);
    }
    // The next searched position, when the game went on: its children come first.
    const auto next = std::find_if(samples.begin() + static_cast<std::ptrdiff_t>(i) + 1, samples.end(),
                                   [&](const Sample& s) { return marksOf(s) != marksOf(parent) + 2; });
    if (next == samples.end() || marksOf(*next) != marksOf(parent) + 1) continue;
    const auto played = std::find_if(children.begin(), children.end(),
                                     [&](const Sample* c) { return c->position.marks == next->position.marks; });
    ASSERT_NE(played, children.end());
    EXPECT_EQ((*played)->visits, parent.visits);
    EXPECT_EQ((*played)->ties, parent.ties);
    EXPECT_EQ((*played)->wins, parent.visits - parent.wins - parent.ties);
    ++checkedMoves;
  }
  EXPECT_GT(checkedMoves, 20);
}

}  // namespace
