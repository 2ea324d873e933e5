#include <ctime>

#include "Game.h"

// Seeded during static initialisation, before main, and never reset: one
// sequence of draws runs through every search and game of the process.
std::uint32_t g_seed = static_cast<std::uint32_t>(std::time(nullptr));
