#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "FloatNetwork.h"
#include "TrainingData.h"

struct TrainOptions {
  std::uint64_t seed = 1;
  int epochs = 10;
  int batch = 256;
  double learningRate = 1e-3;  // Adam's step size
  // The value target: this share of the game's result, the rest the
  // search's win, draw and loss shares at the position.
  double resultWeight = 0.5;
  // The last share of the samples, kept out of training to measure it.
  double validationShare = 0.05;
  int threads = 2;
  // Decoupled weight decay: each step shrinks every weight by this share
  // of the step size, which keeps the network from memorising games.
  double weightDecay = 0.0;
  // When set, training starts from this network (not owned) instead of
  // from weights drawn from the seed; the seed still orders the samples.
  const FloatNetwork* start = nullptr;
};

// What one epoch reached: the mean training loss during it, the held-out
// samples' loss in floating point and after quantisation (nan without
// held-out samples), and its wall time.
struct EpochReport {
  int epoch = 0;
  double trainLoss = 0.0;
  double validationLoss = 0.0;
  double quantisedLoss = 0.0;
  double seconds = 0.0;
};

// The training target for a sample: win, draw and loss shares for the side to move.
std::array<float, 3> target(const Sample& sample, double resultWeight);

// Trains a network on the samples, each seen under all eight symmetries
// every epoch in a seeded order, by Adam on mini-batches whose gradient the
// threads share out. Returns the network of the epoch with the lowest
// held-out loss (the last epoch's without held-out samples): positions of one
// game look alike, so a network soon learns the training games by heart.
// Training from options.start with held-out samples reports the start as
// epoch 0 (its training loss NaN), and returns it unless an epoch beats it.
// The same samples and options give the same network whatever the
// machine's speed. Calls onEpoch after each epoch. Expects at least one
// training sample.
FloatNetwork train(const std::vector<Sample>& samples, const TrainOptions& options,
                   const std::function<void(const EpochReport&)>& onEpoch = {});
