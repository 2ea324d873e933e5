#include "Random.h"

#include <chrono>

Random& playoutRandom() {
  static Random generator(static_cast<std::uint64_t>(
      std::chrono::steady_clock::now().time_since_epoch().count()) ^
                          static_cast<std::uint64_t>(
      std::chrono::system_clock::now().time_since_epoch().count()));
  return generator;
}
