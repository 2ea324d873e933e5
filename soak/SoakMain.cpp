// uttt_soak: plays many self-play games in one process, as "uttt -s" does, and
// watches for what only shows over a long run: nodes that never return to the
// pool, and resident memory that keeps growing from game to game.
//
//   uttt_soak [games] [pool nodes] [margin MiB]
//
// games defaults to 20, the pool to 200000 nodes (a search then ends when the
// pool is used up, long before self-play's 3.5 s), the margin to 16 MiB. The
// games run in a fresh temporary directory, so their records do not touch any
// real "RecordedGames.txt". For each game the tool prints the pool's free
// count at its start, the moves, the winner, the peak and final resident
// memory and the time taken. It exits with 1 when a game does not start with
// every pool node free, when a game fails, or when, after the first games,
// a game's peak memory exceeds the largest peak of the first games by more
// than the margin.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "ComputerTurn.h"
#include "Modes.h"
#include "NodePool.h"

namespace {

// Games whose memory sets the baseline: the pool reaches its working size
// during the first searches.
constexpr int kWarmUpGames = 2;

struct Options {
  int games = 20;
  std::uint64_t poolNodes = 200000;
  std::uint64_t marginKiB = 16 * 1024;
};

// A positive whole number from an argument, or -1 when it is not one.
long long positiveNumber(const char* text) {
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || value <= 0) return -1;
  return value;
}

bool parseOptions(int argc, char* argv[], Options& options) {
  if (argc > 4) return false;
  long long values[3] = {options.games, static_cast<long long>(options.poolNodes),
                         static_cast<long long>(options.marginKiB / 1024)};
  for (int i = 1; i < argc; ++i) {
    values[i - 1] = positiveNumber(argv[i]);
    if (values[i - 1] < 0) return false;
  }
  if (values[1] <= 81) return false;  // no search runs with 81 free nodes or fewer
  options.games = static_cast<int>(values[0]);
  options.poolNodes = static_cast<std::uint64_t>(values[1]);
  options.marginKiB = static_cast<std::uint64_t>(values[2]) * 1024;
  return true;
}

// A "VmXXX:" figure of /proc/self/status in KiB, 0 when it cannot be read.
std::uint64_t statusKiB(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key + ":", 0) != 0) continue;
    std::istringstream fields(line.substr(key.size() + 1));
    std::uint64_t kib = 0;
    fields >> kib;
    return kib;
  }
  return 0;
}

// Restarts the kernel's peak-resident-memory figure (VmHWM) at the current
// size, so each game's peak is its own. False when the kernel refuses.
bool resetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

std::size_t countLines(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::size_t n = 0;
  std::string line;
  while (std::getline(in, line)) ++n;
  return n;
}

struct GameReport {
  std::uint64_t freeAtStart = 0;
  int moves = 0;
  std::string winner = "?";
  std::uint64_t peakKiB = 0;
  std::uint64_t endKiB = 0;
  double seconds = 0;
  bool failed = false;
};

// Standard output of a game, read line by line as it is written and then
// dropped: only the turn count and the winner are kept, so that capturing
// the output adds nothing to the memory being measured.
class LineScanner : public std::streambuf {
 public:
  explicit LineScanner(GameReport& report) : report_(report) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    if (ch == '\n') {
      if (line_.rfind("Getting Move", 0) == 0) ++report_.moves;
      if (line_.rfind("Winner:  ", 0) == 0) report_.winner = line_.substr(9);
      line_.clear();
    } else if (line_.size() < 64) {
      line_ += ch;
    }
    return c;
  }

 private:
  GameReport& report_;
  std::string line_;
};

// One self-play game with the console captured.
GameReport playOne() {
  GameReport report;
  report.freeAtStart = NodePool::size();
  LineScanner out(report);
  std::stringbuf err;
  std::streambuf* oldOut = std::cout.rdbuf(&out);
  std::streambuf* oldErr = std::cerr.rdbuf(&err);
  const auto start = std::chrono::steady_clock::now();
  selfPlay();
  report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout.rdbuf(oldOut);
  std::cerr.rdbuf(oldErr);

  report.failed = err.str().find("Failed to complete game") != std::string::npos;
  report.peakKiB = statusKiB("VmHWM");
  report.endKiB = statusKiB("VmRSS");
  return report;
}

}  // namespace

int main(int argc, char* argv[]) {
  Options options;
  if (!parseOptions(argc, argv, options)) {
    std::cerr << "usage: uttt_soak [games] [pool nodes > 81] [margin MiB]" << std::endl;
    return 2;
  }
  std::srand(12345);
  NodePool::setMaxSize(options.poolNodes);

  std::string dirTemplate = (std::filesystem::temp_directory_path() / "uttt_soak.XXXXXX").string();
  std::vector<char> dir(dirTemplate.begin(), dirTemplate.end());
  dir.push_back('\0');
  if (mkdtemp(dir.data()) == nullptr || chdir(dir.data()) != 0) {
    std::perror("uttt_soak: temporary directory");
    return 2;
  }
  const bool peakPerGame = resetPeak();

  std::printf("soak: %d games, pool %llu nodes, margin %llu MiB, records in %s\n", options.games,
              static_cast<unsigned long long>(options.poolNodes),
              static_cast<unsigned long long>(options.marginKiB / 1024), dir.data());
  if (!peakPerGame) std::printf("soak: peak memory is for the whole run (clear_refs refused)\n");
  std::printf("%5s %10s %6s %7s %10s %10s %10s %8s\n", "game", "free@start", "moves", "winner",
              "peak KiB", "end KiB", "pool KiB", "seconds");

  int failures = 0;
  std::uint64_t baselineKiB = 0;
  for (int n = 1; n <= options.games; ++n) {
    if (peakPerGame) resetPeak();
    const GameReport r = playOne();
    std::printf("%5d %10llu %6d %7s %10llu %10llu %10llu %8.2f\n", n,
                static_cast<unsigned long long>(r.freeAtStart), r.moves, r.winner.c_str(),
                static_cast<unsigned long long>(r.peakKiB),
                static_cast<unsigned long long>(r.endKiB),
                static_cast<unsigned long long>(NodePool::bytesReserved() / 1024), r.seconds);
    std::fflush(stdout);

    if (r.freeAtStart != NodePool::maxSize()) {
      std::printf("FAIL game %d started with %llu of %llu nodes free\n", n,
                  static_cast<unsigned long long>(r.freeAtStart),
                  static_cast<unsigned long long>(NodePool::maxSize()));
      ++failures;
    }
    if (r.failed || game != nullptr) {
      std::printf("FAIL game %d did not complete cleanly\n", n);
      ++failures;
    }
    if (n <= kWarmUpGames) {
      baselineKiB = std::max(baselineKiB, r.peakKiB);
    } else if (r.peakKiB > baselineKiB + options.marginKiB) {
      std::printf("FAIL game %d peaked at %llu KiB, more than %llu KiB over the first games' %llu KiB\n",
                  n, static_cast<unsigned long long>(r.peakKiB),
                  static_cast<unsigned long long>(options.marginKiB),
                  static_cast<unsigned long long>(baselineKiB));
      ++failures;
    }
  }
  if (NodePool::size() != NodePool::maxSize()) {
    std::printf("FAIL %llu nodes still in use after the last game\n",
                static_cast<unsigned long long>(NodePool::maxSize() - NodePool::size()));
    ++failures;
  }

  const std::filesystem::path records = std::filesystem::path(dir.data()) / "RecordedGames.txt";
  const std::size_t written = countLines(records);
  std::printf("soak: %zu records written for %d games\n", written, options.games);
  if (written != static_cast<std::size_t>(options.games)) {
    std::printf("FAIL expected one record per game\n");
    ++failures;
  }
  std::error_code ignored;
  std::filesystem::remove_all(dir.data(), ignored);

  std::printf("soak: %s\n", failures == 0 ? "PASS" : "FAIL");
  return failures == 0 ? 0 : 1;
}
