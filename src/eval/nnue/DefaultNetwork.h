#pragma once

#include <cstddef>
#include <cstdint>

#include "Network.h"

namespace nnue {

// The network shipped with the program: default.nnue, built into the binary
// so that the program needs no file beside it. Loaded on first use and kept;
// a broken embedded file throws LoadError as any file would (a test loads
// it, so a build that ships one fails its tests).
const Network& defaultNetwork();

// The embedded file's bytes, exactly as in the source tree.
const std::uint8_t* defaultNetworkBytes();
std::size_t defaultNetworkSize();

}  // namespace nnue
