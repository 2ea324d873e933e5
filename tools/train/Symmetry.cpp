#include "Symmetry.h"

#include <array>

namespace symmetry {

namespace {

// Row r, column c -> new row and column for each symmetry.
constexpr std::array<std::array<int, 9>, kCount> kMaps = [] {
  std::array<std::array<int, 9>, kCount> maps{};
  for (int s = 0; s < kCount; ++s)
    for (int i = 0; i < 9; ++i) {
      int r = i / 3;
      int c = i % 3;
      if (s & 4) c = 2 - c;  // mirror, then rotate a quarter turn s % 4 times
      for (int k = 0; k < (s & 3); ++k) {
        const int t = r;
        r = c;
        c = 2 - t;
      }
      maps[s][i] = 3 * r + c;
    }
  return maps;
}();

std::uint16_t mapMask(int s, unsigned mask) {
  unsigned out = 0;
  for (int i = 0; i < 9; ++i)
    if (mask >> i & 1u) out |= 1u << kMaps[s][i];
  return static_cast<std::uint16_t>(out);
}

}  // namespace

int mapIndex(int s, int i) { return kMaps[s][i]; }

Position apply(const Position& pos, int s) {
  Position out = pos;
  for (int p = 0; p < 2; ++p) {
    for (int q = 0; q < 9; ++q) out.marks[p][kMaps[s][q]] = mapMask(s, pos.marks[p][q]);
    out.won[p] = mapMask(s, pos.won[p]);
  }
  out.closed = mapMask(s, pos.closed);
  out.next = static_cast<std::int8_t>(pos.next >= 0 ? kMaps[s][pos.next] : -1);
  return out;
}

}  // namespace symmetry
