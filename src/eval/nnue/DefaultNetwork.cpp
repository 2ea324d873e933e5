#include "DefaultNetwork.h"

#include <memory>

#include "WeightsFile.h"

// Generated at build time from default.nnue (see EmbedFile.cmake).
extern const unsigned char kEmbeddedNetwork[];
extern const std::size_t kEmbeddedNetworkSize;

namespace nnue {

const Network& defaultNetwork() {
  static const std::unique_ptr<Network> net = loadNetwork(defaultNetworkBytes(), defaultNetworkSize());
  return *net;
}

const std::uint8_t* defaultNetworkBytes() { return kEmbeddedNetwork; }
std::size_t defaultNetworkSize() { return kEmbeddedNetworkSize; }

}  // namespace nnue
