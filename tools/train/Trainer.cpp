#include "Trainer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <stdexcept>
#include <thread>

#include "Evaluate.h"
#include "Symmetry.h"

namespace {

// Adam's state and step (decay rates 0.9 and 0.999).
class Adam {
 public:
  Adam(std::size_t size, double rate, double decay)
      : m_(size, 0.0f), v_(size, 0.0f), rate_(rate), decay_(static_cast<float>(rate * decay)) {}
  void step(std::vector<float>& weights, const std::vector<float>& gradient) {
    ++t_;
    const double c1 = 1.0 - std::pow(0.9, t_);
    const double c2 = 1.0 - std::pow(0.999, t_);
    const auto stepSize = static_cast<float>(rate_ * std::sqrt(c2) / c1);
    for (std::size_t i = 0; i < weights.size(); ++i) {
      m_[i] = 0.9f * m_[i] + 0.1f * gradient[i];
      v_[i] = 0.999f * v_[i] + 0.001f * gradient[i] * gradient[i];
      weights[i] -= stepSize * m_[i] / (std::sqrt(v_[i]) + 1e-8f) + decay_ * weights[i];
    }
  }

 private:
  std::vector<float> m_;
  std::vector<float> v_;
  double rate_;
  float decay_;
  int t_ = 0;
};

double validationLoss(const FloatNetwork& model, const std::vector<Sample>& samples, std::size_t begin,
                      double resultWeight) {
  double sum = 0.0;
  for (std::size_t i = begin; i < samples.size(); ++i)
    sum += model.loss(samples[i].position, target(samples[i], resultWeight), nullptr);
  return sum / static_cast<double>(samples.size() - begin);
}

double quantisedLoss(const nnue::Network& net, const std::vector<Sample>& samples, std::size_t begin,
                     double resultWeight) {
  double sum = 0.0;
  for (std::size_t i = begin; i < samples.size(); ++i) {
    nnue::Accumulator acc;
    acc.refresh(net, samples[i].position);
    const auto p = nnue::evaluate(net, acc, samples[i].position.playerToMove()).probabilities();
    const auto t = target(samples[i], resultWeight);
    for (int k = 0; k < 3; ++k)
      if (t[k] > 0.0f) sum -= t[k] * std::log(std::max(p[k], 1e-12));
  }
  return sum / static_cast<double>(samples.size() - begin);
}

// Fills report's held-out losses, in floating point and quantised, for
// model on the samples from begin on.
void scoreHeldOut(const FloatNetwork& model, const std::vector<Sample>& samples, std::size_t begin,
                  double resultWeight, EpochReport& report) {
  report.validationLoss = validationLoss(model, samples, begin, resultWeight);
  const auto net = std::make_unique<nnue::Network>(model.toNetwork());
  report.quantisedLoss = quantisedLoss(*net, samples, begin, resultWeight);
}

}  // namespace

std::array<float, 3> target(const Sample& sample, double resultWeight) {
  const std::array<double, 3> root = sample.rootValue();
  const int resultIndex = sample.result > 0 ? nnue::kWin : sample.result == 0 ? nnue::kDraw : nnue::kLoss;
  std::array<float, 3> t{};
  for (int k = 0; k < 3; ++k)
    t[k] = static_cast<float>((1.0 - resultWeight) * root[k] + (k == resultIndex ? resultWeight : 0.0));
  return t;
}

FloatNetwork train(const std::vector<Sample>& samples, const TrainOptions& options,
                   const std::function<void(const EpochReport&)>& onEpoch) {
  const auto held = static_cast<std::size_t>(static_cast<double>(samples.size()) * options.validationShare);
  const std::size_t trainCount = samples.size() - held;
  if (trainCount == 0) throw std::invalid_argument("no training samples");
  const int threads = std::max(1, options.threads);

  FloatNetwork model = options.start != nullptr ? *options.start : FloatNetwork(options.seed);
  Adam adam(model.weights.size(), options.learningRate, options.weightDecay);
  FloatNetwork best = model;
  double bestLoss = std::numeric_limits<double>::infinity();
  std::vector<std::uint32_t> order(trainCount * symmetry::kCount);
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::mt19937_64 shuffle(options.seed ^ 0x5DEECE66DULL);
  std::vector<std::vector<float>> gradients(threads, std::vector<float>(model.weights.size()));
  std::vector<double> losses(threads);

  // Going on from a network: it is the one to beat, reported as epoch 0, so
  // that training that only makes it worse gives it back unchanged.
  if (options.start != nullptr && held > 0) {
    const auto start = std::chrono::steady_clock::now();
    EpochReport report;
    report.trainLoss = std::numeric_limits<double>::quiet_NaN();
    scoreHeldOut(model, samples, trainCount, options.resultWeight, report);
    bestLoss = report.validationLoss;
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (onEpoch) onEpoch(report);
  }

  for (int epoch = 1; epoch <= options.epochs; ++epoch) {
    const auto start = std::chrono::steady_clock::now();
    std::shuffle(order.begin(), order.end(), shuffle);
    double epochLoss = 0.0;
    for (std::size_t first = 0; first < order.size(); first += static_cast<std::size_t>(options.batch)) {
      const std::size_t last = std::min(order.size(), first + static_cast<std::size_t>(options.batch));
      // Thread t takes every threads-th entry of the batch; the sums are
      // added in thread order, so the result does not depend on timing.
      auto work = [&](int t) {
        std::fill(gradients[t].begin(), gradients[t].end(), 0.0f);
        losses[t] = 0.0;
        for (std::size_t k = first + static_cast<std::size_t>(t); k < last; k += static_cast<std::size_t>(threads)) {
          const Sample& s = samples[order[k] / symmetry::kCount];
          const Position pos = symmetry::apply(s.position, static_cast<int>(order[k] % symmetry::kCount));
          losses[t] += model.loss(pos, target(s, options.resultWeight), gradients[t].data());
        }
      };
      std::vector<std::thread> pool;
      for (int t = 1; t < threads; ++t) pool.emplace_back(work, t);
      work(0);
      for (std::thread& th : pool) th.join();
      const float scale = 1.0f / static_cast<float>(last - first);
      for (int t = 1; t < threads; ++t)
        for (std::size_t i = 0; i < gradients[0].size(); ++i) gradients[0][i] += gradients[t][i];
      for (float& g : gradients[0]) g *= scale;
      for (double l : losses) epochLoss += l;
      adam.step(model.weights, gradients[0]);
      model.clip();
    }
    EpochReport report;
    report.epoch = epoch;
    report.trainLoss = epochLoss / static_cast<double>(order.size());
    report.validationLoss = std::numeric_limits<double>::quiet_NaN();
    report.quantisedLoss = std::numeric_limits<double>::quiet_NaN();
    if (held > 0) {
      scoreHeldOut(model, samples, trainCount, options.resultWeight, report);
      if (report.validationLoss < bestLoss) {
        bestLoss = report.validationLoss;
        best = model;
      }
    } else {
      best = model;
    }
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (onEpoch) onEpoch(report);
  }
  return best;
}
