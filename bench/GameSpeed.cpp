// Search speed over whole games, side by side with the reference search.
//
// The engine plays seeded games against a uniformly random mover, keeping its
// tree from turn to turn as in play. On every position where it searches, the
// reference program (built from the yardsticks shared with the project) then
// searches the same position for the same time. Iterations per second are
// summed per game phase (by the ply of the move being chosen) and printed
// with their ratio. One core is used at a time: run nothing else meanwhile.
//
//   game_speed [--seconds T] [--games N] [--seed S] [--reference PATH|none]
//              [--eval playout|network] [--prior N] [--prior-at V] [--prior-wide C]
//
// --prior-at defaults to the bot's threshold, so --prior 64 --prior-wide 9
// measures the search as the bot plays it.

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "Game.h"
#include "Node.h"
#include "NodePool.h"
#include "Random.h"

#ifndef UTTT_REFMCTS
#define UTTT_REFMCTS ""
#endif

namespace {

struct Totals {
  double engineIterations = 0, engineSeconds = 0;
  double referenceIterations = 0, referenceSeconds = 0;
  int positions = 0;
};

// Runs the reference on the position after `record` and returns its
// iterations and seconds; false when it could not be run or read.
bool runReference(const std::string& program, double seconds, const std::string& record,
                  double& iterations, double& elapsed) {
  std::ostringstream cmd;
  cmd << program << ' ' << seconds << ' ' << (record.empty() ? "" : record);
  FILE* pipe = popen(cmd.str().c_str(), "r");
  if (pipe == nullptr) return false;
  char line[512] = {};
  const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
  pclose(pipe);
  long n = 0;
  double s = 0;
  if (!got || std::sscanf(line, "iterations %ld in %lf s", &n, &s) != 2) return false;
  iterations = static_cast<double>(n);
  elapsed = s;
  return true;
}

std::string moveCode(const Move& m) {
  return std::string{static_cast<char>('0' + m.global), static_cast<char>('0' + m.local)};
}

int phaseOf(int ply) { return ply <= 20 ? 0 : ply <= 40 ? 1 : 2; }

}  // namespace

int main(int argc, char** argv) {
  double seconds = 0.25;
  int games = 4;
  unsigned seed = 1;
  std::string reference = UTTT_REFMCTS;
  defaultSearch().priorAt = kStrongPriorAt;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    if (flag == "--seconds") seconds = std::atof(argv[i + 1]);
    else if (flag == "--games") games = std::atoi(argv[i + 1]);
    else if (flag == "--seed") seed = static_cast<unsigned>(std::atoi(argv[i + 1]));
    else if (flag == "--reference") reference = argv[i + 1];
    else if (flag == "--eval" && std::string(argv[i + 1]) == "network") defaultSearch().evaluation = LeafEvaluation::network;
    else if (flag == "--eval" && std::string(argv[i + 1]) == "playout") defaultSearch().evaluation = LeafEvaluation::playout;
    else if (flag == "--prior") defaultSearch().priorVisits = std::atoi(argv[i + 1]);
    else if (flag == "--prior-at") defaultSearch().priorAt = std::atoi(argv[i + 1]);
    else if (flag == "--prior-wide") defaultSearch().priorWide = std::atoi(argv[i + 1]);
    else {
      std::cerr << "unknown option " << flag << '\n';
      return 2;
    }
  }
  const bool withReference = !reference.empty() && reference != "none";

  std::array<Totals, 3> phases;
  std::ostringstream sink;
  std::streambuf* console = std::cout.rdbuf();
  for (int g = 0; g < games; ++g) {
    g_seed = seed + g;
    std::srand(seed + g);
    playoutRandom().reseed(seed + g);
    std::mt19937 randomMover(seed * 7919 + g);
    const int enginePlayer = 1 + g % 2;
    Node* top = new Node();
    Node* node = top;
    std::string record;
    int ply = 1;
    while (node->getWinner() == 0) {
      Move move;
      if (node->position().playerToMove() == enginePlayer) {
        std::cout.rdbuf(sink.rdbuf());
        const auto start = std::chrono::steady_clock::now();
        numP1Wins = numP2Wins = numTies = 0;
        move = getMove(node, seconds);
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::cout.rdbuf(console);
        sink.str("");
        const double iterations = static_cast<double>(numP1Wins) + numP2Wins + numTies;
        if (iterations > 0) {
          Totals& t = phases[phaseOf(ply)];
          double ri = 0, rs = 0;
          if (withReference && !runReference(reference, seconds, record, ri, rs)) {
            std::cerr << "could not run the reference: " << reference << '\n';
            return 1;
          }
          t.engineIterations += iterations;
          t.engineSeconds += elapsed;
          t.referenceIterations += ri;
          t.referenceSeconds += rs;
          ++t.positions;
          std::cerr << "game " << g + 1 << " ply " << ply << ": engine " << iterations / elapsed
                    << "/s";
          if (withReference) std::cerr << ", reference " << ri / rs << "/s";
          std::cerr << ", pool free " << NodePool::size() << '\n';
        }
      } else {
        std::vector<Move> legal;
        for (int q = 0; q < 9; ++q)
          for (int c = 0; c < 9; ++c)
            if (node->isLegal(Move(q, c))) legal.emplace_back(q, c);
        move = legal[randomMover() % legal.size()];
      }
      node->setChild(move);
      node = node->getChildren().back();
      record += moveCode(move);
      ++ply;
    }
    delete top;
  }

  const char* names[] = {"plies 1-20", "plies 21-40", "plies 41+"};
  Totals all;
  std::printf("%-12s %9s %14s %14s %7s\n", "phase", "positions", "engine it/s", "reference it/s",
              "ratio");
  auto row = [&](const char* name, const Totals& t) {
    const double e = t.engineSeconds > 0 ? t.engineIterations / t.engineSeconds : 0;
    const double r = t.referenceSeconds > 0 ? t.referenceIterations / t.referenceSeconds : 0;
    std::printf("%-12s %9d %14.0f %14.0f %7.2f\n", name, t.positions, e, r, r > 0 ? e / r : 0.0);
  };
  for (int p = 0; p < 3; ++p) {
    row(names[p], phases[p]);
    all.engineIterations += phases[p].engineIterations;
    all.engineSeconds += phases[p].engineSeconds;
    all.referenceIterations += phases[p].referenceIterations;
    all.referenceSeconds += phases[p].referenceSeconds;
    all.positions += phases[p].positions;
  }
  row("whole game", all);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident size of the engine's process: %.0f MB\n",
              static_cast<double>(usage.ru_maxrss) / 1024.0);
  return 0;
}
