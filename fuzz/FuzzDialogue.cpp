// Fuzz target: the interactive game's dialogue read from arbitrary bytes. The
// input is standard input as a person would type it: the side line, the
// thinking-time line, then move lines, all chosen by the fuzzer. The node
// pool is cut to a few thousand nodes so that every computer turn ends after
// a few thousand iterations whatever thinking time the input asks for.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "Modes.h"

namespace {

constexpr std::uint64_t kPoolNodes = 2000;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  NodePool::setMaxSize(kPoolNodes);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::seedEverything();
  std::stringbuf in(std::string(reinterpret_cast<const char*>(data), size));
  const auto [out, err] = fuzz::runMode(&in, play);
  fuzz::checkGameEnding(out, err, true);
  return 0;
}
