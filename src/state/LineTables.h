#pragma once

#include <array>
#include <cstdint>

// Precomputed facts about 3x3 grids held as 9-bit masks (bit i = position i,
// numbered row by row). One set of tables serves both levels of the game: the
// cells of a quadrant and the quadrants of the large grid.
namespace lines {

inline constexpr std::uint16_t kFull = 0x1FF;

// The eight rows, columns and diagonals.
inline constexpr std::array<std::uint16_t, 8> kLines = {
    0007, 0070, 0700,  // rows
    0111, 0222, 0444,  // columns
    0421, 0124,        // diagonals
};

// True when the mask contains a whole line.
inline constexpr std::array<bool, 512> kHasLine = [] {
  std::array<bool, 512> t{};
  for (unsigned m = 0; m < 512; ++m)
    for (std::uint16_t l : kLines)
      if ((m & l) == l) t[m] = true;
  return t;
}();

// Positions i for which some line through i has its two other positions in
// the mask: marking i would complete that line. Whether i itself is free is
// for the caller to check.
inline constexpr std::array<std::uint16_t, 512> kCompletes = [] {
  std::array<std::uint16_t, 512> t{};
  for (unsigned m = 0; m < 512; ++m)
    for (std::uint16_t l : kLines)
      for (unsigned i = 0; i < 9; ++i)
        if ((l >> i & 1u) && (m & (l & ~(1u << i))) == (l & ~(1u << i)))
          t[m] = static_cast<std::uint16_t>(t[m] | (1u << i));
  return t;
}();

// The lines passing through each position (two to four of them), for the
// array-based tests; unused slots hold 0.
inline constexpr std::array<std::array<std::uint16_t, 4>, 9> kLinesThrough = [] {
  std::array<std::array<std::uint16_t, 4>, 9> t{};
  for (unsigned i = 0; i < 9; ++i) {
    unsigned n = 0;
    for (std::uint16_t l : kLines)
      if (l >> i & 1u) t[i][n++] = l;
  }
  return t;
}();

// For each mask: the number of positions in it, then those positions in
// increasing order, so that the n-th member is one look-up instead of a loop
// (and no population count, which baseline x86-64 has no instruction for).
// The empty mask lists 32, the bit index std::countr_zero gives for it.
inline constexpr std::array<std::array<std::uint8_t, 10>, 512> kMembers = [] {
  std::array<std::array<std::uint8_t, 10>, 512> t{};
  t[0][1] = 32;
  for (unsigned m = 1; m < 512; ++m)
    for (unsigned i = 0; i < 9; ++i)
      if (m >> i & 1u) t[m][1 + t[m][0]++] = static_cast<std::uint8_t>(i);
  return t;
}();

}  // namespace lines
