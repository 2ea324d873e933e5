#pragma once

#include <cstdint>

// A move: the quadrant (global index) and the cell inside it (local index),
// each 0-8 and numbered row by row. (-1, -1) stands for "no move".
struct Move {
  std::int32_t global = -1;
  std::int32_t local = -1;

  Move() = default;
  Move(std::int32_t g, std::int32_t l) : global(g), local(l) {}

  friend bool operator==(const Move&, const Move&) = default;
};
