#pragma once

#include <cstdint>

namespace uct {

// What the search has proven about a node's position from the side of the
// player who made its move: nothing yet, a win (the game is won, or the
// opponent has only losing replies), or a loss (the opponent has a winning
// reply). Kept in the node; the selection score reads it.
enum class Proof : std::uint8_t { none = 0, moverWins = 1, moverLoses = 2 };

}  // namespace uct
