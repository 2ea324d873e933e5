// Search iterations per second of the browser's search code built natively,
// for comparison with the same positions searched in the browser.
// Usage: uttt_web_speed SECONDS SLICE_SECONDS RECORD...
// Prints one line per record: the record, the iterations and iterations/s.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Game.h"
#include "Random.h"
#include "WebSession.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s SECONDS SLICE_SECONDS RECORD...\n", argv[0]);
    return 2;
  }
  const double seconds = std::atof(argv[1]);
  const double slice = std::atof(argv[2]);
  WebSession session;
  for (int i = 3; i < argc; ++i) {
    g_seed = 1;
    std::srand(1);
    playoutRandom().reseed(1);
    const std::string error = session.load(argv[i]);
    if (!error.empty()) {
      std::fprintf(stderr, "%s: %s\n", argv[i], error.c_str());
      return 1;
    }
    session.beginSearch(seconds, WebSession::Purpose::Hint);
    WebSession::Progress p;
    do p = session.searchSlice(slice);
    while (!p.done);
    std::printf("%s\t%llu\t%.0f\n", argv[i], static_cast<unsigned long long>(p.iterations),
                static_cast<double>(p.iterations) / p.elapsed);
  }
  return 0;
}
