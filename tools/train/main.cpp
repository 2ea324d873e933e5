// uttt_train: trains the value network on data files from uttt_datagen and
// writes the quantised weights file.
//
//   uttt_train --data FILE [--data FILE ...] --out NET [--init NET] [--epochs N]
//              [--batch N] [--lr RATE] [--result-weight W] [--weight-decay D]
//              [--validation SHARE] [--threads N] [--seed S]
//
// One line per epoch on standard error: the training loss, the held-out
// samples' loss in floating point and quantised, and the epoch's time. The
// network written is the epoch's with the lowest held-out loss.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Trainer.h"
#include "WeightsFile.h"

namespace {

struct Options {
  std::vector<std::string> data;
  std::string out;
  std::string init;
  TrainOptions train;
};

[[noreturn]] void usage(const std::string& problem) {
  std::fprintf(stderr,
               "uttt_train: %s\n"
               "usage: uttt_train --data FILE [--data FILE ...] --out NET [--init NET] [--epochs N] [--batch N]"
               " [--lr RATE] [--result-weight W] [--weight-decay D] [--validation SHARE] [--threads N]"
               " [--seed S]\n",
               problem.c_str());
  std::exit(2);
}

double real(const char* text, double lo, double hi, const std::string& flag) {
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(v >= lo && v <= hi))
    usage(flag + " wants a number from " + std::to_string(lo) + " to " + std::to_string(hi));
  return v;
}

Options parse(int argc, char* argv[]) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (i + 1 >= argc) usage("missing value after " + flag);
    const char* value = argv[++i];
    if (flag == "--data") o.data.push_back(value);
    else if (flag == "--out") o.out = value;
    else if (flag == "--init") o.init = value;
    else if (flag == "--epochs") o.train.epochs = static_cast<int>(real(value, 1, 10000, flag));
    else if (flag == "--batch") o.train.batch = static_cast<int>(real(value, 1, 1 << 20, flag));
    else if (flag == "--lr") o.train.learningRate = real(value, 1e-7, 1.0, flag);
    else if (flag == "--result-weight") o.train.resultWeight = real(value, 0.0, 1.0, flag);
    else if (flag == "--validation") o.train.validationShare = real(value, 0.0, 0.5, flag);
    else if (flag == "--weight-decay") o.train.weightDecay = real(value, 0.0, 1.0, flag);
    else if (flag == "--threads") o.train.threads = static_cast<int>(real(value, 1, 64, flag));
    else if (flag == "--seed") o.train.seed = static_cast<std::uint64_t>(real(value, 0, 1e15, flag));
    else usage("unknown option " + flag);
  }
  if (o.data.empty() || o.out.empty()) usage("--data and --out are required");
  return o;
}

}  // namespace

int main(int argc, char* argv[]) {
  const Options o = parse(argc, argv);
  try {
    // Loaded before the data, so that a bad file is refused at once.
    std::unique_ptr<FloatNetwork> start;
    if (!o.init.empty()) {
      const std::unique_ptr<nnue::Network> net = nnue::loadNetworkFile(o.init);
      start = std::make_unique<FloatNetwork>(FloatNetwork::fromNetwork(*net));
    }
    TrainOptions options = o.train;
    options.start = start.get();
    std::vector<Sample> samples;
    for (const std::string& path : o.data) {
      const std::vector<Sample> part = trainingdata::load(path);
      samples.insert(samples.end(), part.begin(), part.end());
    }
    std::fprintf(stderr, "uttt_train: %zu positions, %d epochs\n", samples.size(), o.train.epochs);
    const FloatNetwork model = train(samples, options, [](const EpochReport& r) {
      // Epoch 0 is the network training starts from: it has no training loss.
      if (r.epoch == 0)
        std::fprintf(stderr, "epoch   0  start         held-out %.4f  quantised %.4f  %.1f s\n", r.validationLoss,
                     r.quantisedLoss, r.seconds);
      else
        std::fprintf(stderr, "epoch %3d  train %.4f  held-out %.4f  quantised %.4f  %.1f s\n", r.epoch,
                     r.trainLoss, r.validationLoss, r.quantisedLoss, r.seconds);
    });
    const auto net = std::make_unique<nnue::Network>(model.toNetwork());
    const std::vector<std::uint8_t> bytes = nnue::saveNetwork(*net);
    std::ofstream out(o.out, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + o.out);
    std::fprintf(stderr, "uttt_train: wrote %s (%zu bytes)\n", o.out.c_str(), bytes.size());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "uttt_train: %s\n", e.what());
    return 1;
  }
  return 0;
}
