#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Network.h"

// The weights file: a 32-byte header, then the payload.
//
//   offset  size  field
//   0       8     magic "UTTTNNUE"
//   8       4     format version (kFormatVersion)
//   12      4     inputs     (the dimensions, which must be this build's)
//   16      4     hidden units
//   20      4     second-layer units
//   24      4     outputs
//   28      4     FNV-1a (32-bit) checksum of the payload
//   32      ...   hidden bias (int16), hidden weights [feature][unit] (int16),
//                 layer-2 bias (int32), layer-2 weights [out][in] (int8),
//                 output bias (int32), output weights [out][in] (int8)
//
// Every number is little-endian. The payload's length follows from the
// dimensions, so nothing may follow it.
namespace nnue {

inline constexpr std::uint32_t kFormatVersion = 1;
inline constexpr std::size_t kHeaderBytes = 32;

// Why a weights file was refused; what() says what was wrong in words.
class LoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The network in bytes. Throws LoadError when they are not a whole, intact
// weights file of this format version and these dimensions, or hold int8
// weights of -128 (outside the range the evaluation is exact for). Never
// returns a partly read network.
std::unique_ptr<Network> loadNetwork(const std::uint8_t* bytes, std::size_t size);
// The same from a file; LoadError also when it cannot be read.
std::unique_ptr<Network> loadNetworkFile(const std::string& path);

// The bytes of a weights file holding net.
std::vector<std::uint8_t> saveNetwork(const Network& net);

// FNV-1a, 32-bit, of size bytes.
std::uint32_t checksum(const std::uint8_t* bytes, std::size_t size);

}  // namespace nnue
