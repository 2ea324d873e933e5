#include "WeightsFile.h"

#include <gtest/gtest.h>

#include "DefaultNetwork.h"
#include "NetworkFixtures.h"

namespace nnue {
namespace {

std::string refusal(const std::vector<std::uint8_t>& bytes) {
  try {
    loadNetwork(bytes.data(), bytes.size());
  } catch (const LoadError& e) {
    return e.what();
  }
  return "loaded";
}

// Sets a header field (little-endian uint32 at offset).
void setField(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

class WeightsFile : public ::testing::Test {
 protected:
  std::unique_ptr<Network> net = testing::randomNetwork(9);
  std::vector<std::uint8_t> bytes = saveNetwork(*net);
};

TEST_F(WeightsFile, SavedNetworkLoadsBackEqual) {
  const auto loaded = loadNetwork(bytes.data(), bytes.size());
  EXPECT_EQ(saveNetwork(*loaded), bytes);
  EXPECT_EQ(loaded->hiddenWeights, net->hiddenWeights);
  EXPECT_EQ(loaded->outputBias, net->outputBias);
}

TEST_F(WeightsFile, RefusesATruncatedFile) {
  bytes.pop_back();
  EXPECT_EQ(refusal(bytes), "weights file is truncated: 57979 payload bytes of 57980");
  bytes.resize(10);
  EXPECT_EQ(refusal(bytes), "weights file is truncated: 10 bytes, shorter than its header");
}

TEST_F(WeightsFile, RefusesACorruptPayload) {
  bytes[kHeaderBytes + 1000] ^= 0x10;
  EXPECT_EQ(refusal(bytes), "weights file is corrupt: its checksum does not match its contents");
}

TEST_F(WeightsFile, RefusesAnotherVersionOrOtherDimensions) {
  auto other = bytes;
  setField(other, 8, 2);
  EXPECT_EQ(refusal(other), "weights file has format version 2, this build reads version 1");
  other = bytes;
  setField(other, 16, 64);
  EXPECT_EQ(refusal(other), "weights file has 64 hidden units, this build needs 128");
}

TEST_F(WeightsFile, RefusesOtherFilesAndTrailingBytes) {
  auto other = bytes;
  other[0] = 'X';
  EXPECT_EQ(refusal(other), "not a weights file: it does not start with UTTTNNUE");
  bytes.push_back(0);
  EXPECT_EQ(refusal(bytes), "weights file has 1 bytes after its payload");
}

TEST_F(WeightsFile, RefusesAnInt8WeightOutsideTheExactRange) {
  net->outputWeights[1][3] = -128;
  bytes = saveNetwork(*net);
  EXPECT_EQ(refusal(bytes), "weights file has a weight of -128 in the output layer");
}

TEST_F(WeightsFile, MissingFileIsNamed) {
  try {
    loadNetworkFile("/nonexistent/net.nnue");
    FAIL() << "loaded";
  } catch (const LoadError& e) {
    EXPECT_STREQ(e.what(), "cannot open weights file /nonexistent/net.nnue");
  }
}

TEST(DefaultNetwork, TheEmbeddedFileLoads) {
  EXPECT_NO_THROW(defaultNetwork());
  EXPECT_GT(defaultNetworkSize(), kHeaderBytes);
}

}  // namespace
}  // namespace nnue
