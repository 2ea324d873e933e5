// Fuzz target: the weights file loader reading arbitrary bytes. Each input is
// loaded twice: as it is, and with its checksum field made to match its
// payload, so that mutations reach past the checksum into the dimensions and
// the weights. A refusal must be a LoadError with a message; a network that
// loads must save back to the same bytes and evaluate positions without a
// sanitizer report, by both paths alike.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Evaluate.h"
#include "WeightsFile.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
  std::abort();
}

void exercise(const std::vector<std::uint8_t>& bytes) {
  std::unique_ptr<nnue::Network> net;
  try {
    net = nnue::loadNetwork(bytes.data(), bytes.size());
  } catch (const nnue::LoadError& e) {
    if (e.what()[0] == '\0') fail("a refusal without a message");
    return;
  }
  if (nnue::saveNetwork(*net) != bytes) fail("a loaded network does not save back to its file");
  // A short game in a fixed order: the centre, then wherever it sends.
  Position pos;
  nnue::Accumulator acc;
  acc.refresh(*net, pos);
  for (int ply = 0; ply < 12 && pos.winner == 0; ++ply) {
    const int g = pos.next >= 0 ? pos.next : 4;
    int l = 0;
    while (!pos.isLegal(g, l)) ++l;
    const Position before = pos;
    pos.play(g, l);
    acc.update(*net, before, pos);
    const int side = pos.playerToMove();
    if (nnue::evaluatePortable(*net, acc, side).logits != nnue::evaluateAvx2(*net, acc, side).logits)
      fail("the portable and AVX2 paths disagree");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  exercise(bytes);
  if (size >= nnue::kHeaderBytes) {
    const std::uint32_t sum = nnue::checksum(bytes.data() + nnue::kHeaderBytes, size - nnue::kHeaderBytes);
    for (int i = 0; i < 4; ++i) bytes[28 + i] = static_cast<std::uint8_t>(sum >> (8 * i));
    exercise(bytes);
  }
  return 0;
}
