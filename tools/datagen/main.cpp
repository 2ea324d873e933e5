// uttt_datagen: training positions from the engine's self-play, written as
// one data file (see TrainingData.h).
//
//   uttt_datagen --games N --out FILE [--workers W] [--seed S] [--pool NODES]
//                [--opening MIN-MAX] [--keep-one-in K] [--move-pool NODES]
//                [--random-moves SHARE] [--children MIN-VISITS] [--eval playout|network]
//                [--prior VISITS] [--prior-at VISITS] [--network FILE]
//
// Each worker is a process of its own (the engine keeps its state in process
// globals): worker w plays games w, w + W, ... into FILE.part<w>, and the
// parent joins the parts in worker order. Each game depends only on the seed
// and its number, so the same seed and worker count give the same file. A
// progress line on standard error counts games and positions.

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "DataGenerator.h"
#include "WeightsFile.h"

namespace {

struct Options {
  GeneratorOptions generator;
  int games = 0;
  int workers = 2;
  std::string out;
};

[[noreturn]] void usage(const char* problem) {
  std::fprintf(stderr,
               "uttt_datagen: %s\n"
               "usage: uttt_datagen --games N --out FILE [--workers W] [--seed S] [--pool NODES]"
               " [--opening MIN-MAX]\n"
               "       [--keep-one-in K] [--move-pool NODES] [--random-moves SHARE]\n"
               "       [--children MIN-VISITS] [--eval playout|network] [--prior VISITS]\n"
               "       [--prior-at VISITS] [--network FILE]\n",
               problem);
  std::exit(2);
}

long long number(const char* text, long long lo, long long hi, const char* what) {
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || v < lo || v > hi) usage(what);
  return v;
}

Options parse(int argc, char* argv[]) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (i + 1 >= argc) usage(("missing value after " + flag).c_str());
    const char* value = argv[++i];
    if (flag == "--games") {
      o.games = static_cast<int>(number(value, 1, 100000000, "--games wants a positive count"));
    } else if (flag == "--workers") {
      o.workers = static_cast<int>(number(value, 1, 64, "--workers wants 1 to 64"));
    } else if (flag == "--seed") {
      o.generator.seed = static_cast<std::uint64_t>(number(value, 0, 1LL << 62, "--seed wants a number"));
    } else if (flag == "--pool") {
      o.generator.poolNodes = static_cast<std::uint64_t>(
          number(value, 1000, 1LL << 26, "--pool wants 1000 to 67108864 nodes"));
    } else if (flag == "--opening") {
      int lo = 0;
      int hi = 0;
      char tail = 0;
      if (std::sscanf(value, "%d-%d%c", &lo, &hi, &tail) != 2 || lo < 0 || hi < lo || hi > 30)
        usage("--opening wants MIN-MAX, 0 <= MIN <= MAX <= 30");
      o.generator.minOpening = lo;
      o.generator.maxOpening = hi;
    } else if (flag == "--keep-one-in") {
      o.generator.keepOneIn = static_cast<int>(number(value, 1, 1000, "--keep-one-in wants 1 to 1000"));
    } else if (flag == "--move-pool") {
      o.generator.movePoolNodes = static_cast<std::uint64_t>(
          number(value, 1000, 1LL << 26, "--move-pool wants 1000 to 67108864 nodes"));
    } else if (flag == "--random-moves") {
      char* end = nullptr;
      const double share = std::strtod(value, &end);
      if (end == value || *end != '\0' || !(share >= 0.0 && share <= 1.0))
        usage("--random-moves wants a share from 0 to 1");
      o.generator.randomMoveShare = share;
    } else if (flag == "--children") {
      o.generator.childMinVisits =
          static_cast<int>(number(value, 0, 1000000000, "--children wants a visit count from 0"));
    } else if (flag == "--eval") {
      const std::string name = value;
      if (name != "playout" && name != "network") usage("--eval wants playout or network");
      o.generator.networkEngine = name == "network";
    } else if (flag == "--prior") {
      o.generator.priorVisits =
          static_cast<std::int32_t>(number(value, 0, 1000000, "--prior wants 0 to 1000000 visits"));
    } else if (flag == "--prior-at") {
      o.generator.priorAt =
          static_cast<std::int32_t>(number(value, 1, 1000000, "--prior-at wants 1 to 1000000 visits"));
    } else if (flag == "--network") {
      try {
        o.generator.network = nnue::loadNetworkFile(value);
      } catch (const std::exception& e) {
        std::fprintf(stderr, "uttt_datagen: %s\n", e.what());
        std::exit(2);
      }
    } else if (flag == "--out") {
      o.out = value;
    } else {
      usage(("unknown option " + flag).c_str());
    }
  }
  if (o.games == 0 || o.out.empty()) usage("--games and --out are required");
  return o;
}

std::string partName(const Options& o, int worker) { return o.out + ".part" + std::to_string(worker); }

// A worker's life: its games into its part file, one progress word per game
// into the pipe (writes of 4 bytes are atomic, so workers never interleave).
int work(const Options& o, int worker, int pipeOut) {
  std::vector<Sample> samples;
  generateGames(o.generator, worker, o.games, o.workers, samples, [&](int positions) {
    const std::uint32_t word = static_cast<std::uint32_t>(positions);
    if (write(pipeOut, &word, sizeof word) != static_cast<ssize_t>(sizeof word)) std::_Exit(3);
  });
  trainingdata::save(partName(o, worker), samples);
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  const Options o = parse(argc, argv);
  int fds[2];
  if (pipe(fds) != 0) {
    std::perror("uttt_datagen: pipe");
    return 1;
  }
  std::vector<pid_t> children;
  for (int w = 0; w < o.workers; ++w) {
    const pid_t pid = fork();
    if (pid < 0) {
      std::perror("uttt_datagen: fork");
      return 1;
    }
    if (pid == 0) {
      close(fds[0]);
      int status = 1;
      try {
        status = work(o, w, fds[1]);
      } catch (const std::exception& e) {
        std::fprintf(stderr, "\nuttt_datagen: worker %d: %s\n", w, e.what());
      }
      std::fflush(stderr);
      _exit(status);
    }
    children.push_back(pid);
  }
  close(fds[1]);

  const auto start = std::chrono::steady_clock::now();
  int games = 0;
  long long positions = 0;
  std::uint32_t word = 0;
  while (read(fds[0], &word, sizeof word) == static_cast<ssize_t>(sizeof word)) {
    ++games;
    positions += word;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "\rgames %d/%d, positions %lld, %.1f s, %.0f positions/s", games, o.games, positions,
                 seconds, seconds > 0 ? positions / seconds : 0.0);
  }
  std::fprintf(stderr, "\n");

  bool failed = false;
  for (pid_t pid : children) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) failed = true;
  }
  if (failed) {
    std::fprintf(stderr, "uttt_datagen: a worker failed; no output written\n");
    return 1;
  }
  try {
    std::vector<Sample> all;
    for (int w = 0; w < o.workers; ++w) {
      const std::vector<Sample> part = trainingdata::load(partName(o, w));
      all.insert(all.end(), part.begin(), part.end());
      std::remove(partName(o, w).c_str());
    }
    trainingdata::save(o.out, all);
    std::fprintf(stderr, "uttt_datagen: %zu positions from %d games in %s\n", all.size(), games, o.out.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "uttt_datagen: %s\n", e.what());
    return 1;
  }
  return 0;
}
