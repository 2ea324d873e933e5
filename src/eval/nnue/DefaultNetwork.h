#pragma once

#include <cstddef>
#include <cstdint>

#include "Network.h"

namespace nnue {

// The network shipped with the program: default.nnue, built into the binary
// so that the program needs no file beside it. Loaded on first use; the
// bytes were checked when the build embedded them, so this does not throw
// unless the embedded file is broken (LoadError, as for any file).
const Network& defaultNetwork();

// The embedded file's bytes, exactly as in the source tree.
const std::uint8_t* defaultNetworkBytes();
std::size_t defaultNetworkSize();

}  // namespace nnue
