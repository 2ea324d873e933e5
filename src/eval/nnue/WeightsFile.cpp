#include "WeightsFile.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace nnue {

namespace {

constexpr char kMagic[8] = {'U', 'T', 'T', 'T', 'N', 'N', 'U', 'E'};

constexpr std::size_t kPayloadBytes =
    2 * kHidden + 2 * kInputs * kHidden + 4 * kLayer2 + 2 * kHidden * kLayer2 + 4 * kOutputs +
    kLayer2 * kOutputs;

// Writes little-endian numbers one after the other.
class Writer {
 public:
  explicit Writer(std::vector<std::uint8_t>& out) : out_(out) {}
  void bytes(const void* p, std::size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    out_.insert(out_.end(), b, b + n);
  }
  template <typename T>
  void number(T value) {
    using U = std::make_unsigned_t<T>;
    const U u = static_cast<U>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) out_.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
  }
  template <typename Array>
  void numbers(const Array& values) {
    for (auto v : values) number(v);
  }

 private:
  std::vector<std::uint8_t>& out_;
};

// Reads little-endian numbers; the caller has checked the length.
class Reader {
 public:
  explicit Reader(const std::uint8_t* p) : p_(p) {}
  template <typename T>
  T number() {
    using U = std::make_unsigned_t<T>;
    U u = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) u = static_cast<U>(u | (U{p_[i]} << (8 * i)));
    p_ += sizeof(T);
    return static_cast<T>(u);
  }
  template <typename Array>
  void numbers(Array& values) {
    for (auto& v : values) v = number<std::remove_reference_t<decltype(v)>>();
  }

 private:
  const std::uint8_t* p_;
};

void checkDimension(const char* name, std::uint32_t found, int expected) {
  if (found != static_cast<std::uint32_t>(expected))
    throw LoadError("weights file has " + std::to_string(found) + " " + name + ", this build needs " +
                    std::to_string(expected));
}

template <typename Rows>
void checkInt8Range(const Rows& rows, const char* layer) {
  for (const auto& row : rows)
    for (std::int8_t w : row)
      if (w == -128) throw LoadError(std::string("weights file has a weight of -128 in the ") + layer);
}

}  // namespace

std::uint32_t checksum(const std::uint8_t* bytes, std::size_t size) {
  std::uint32_t h = 2166136261u;
  for (std::size_t i = 0; i < size; ++i) {
    h ^= bytes[i];
    h *= 16777619u;
  }
  return h;
}

std::vector<std::uint8_t> saveNetwork(const Network& net) {
  std::vector<std::uint8_t> payload;
  payload.reserve(kPayloadBytes);
  Writer p(payload);
  p.numbers(net.hiddenBias);
  for (const auto& row : net.hiddenWeights) p.numbers(row);
  p.numbers(net.layer2Bias);
  for (const auto& row : net.layer2Weights) p.numbers(row);
  p.numbers(net.outputBias);
  for (const auto& row : net.outputWeights) p.numbers(row);

  std::vector<std::uint8_t> file;
  file.reserve(kHeaderBytes + payload.size());
  Writer h(file);
  h.bytes(kMagic, sizeof kMagic);
  h.number(kFormatVersion);
  for (int d : {kInputs, kHidden, kLayer2, kOutputs}) h.number(static_cast<std::uint32_t>(d));
  h.number(checksum(payload.data(), payload.size()));
  h.bytes(payload.data(), payload.size());
  return file;
}

std::unique_ptr<Network> loadNetwork(const std::uint8_t* bytes, std::size_t size) {
  if (size < kHeaderBytes)
    throw LoadError("weights file is truncated: " + std::to_string(size) + " bytes, shorter than its header");
  if (std::memcmp(bytes, kMagic, sizeof kMagic) != 0)
    throw LoadError("not a weights file: it does not start with UTTTNNUE");
  Reader header(bytes + sizeof kMagic);
  const auto version = header.number<std::uint32_t>();
  if (version != kFormatVersion)
    throw LoadError("weights file has format version " + std::to_string(version) +
                    ", this build reads version " + std::to_string(kFormatVersion));
  checkDimension("inputs", header.number<std::uint32_t>(), kInputs);
  checkDimension("hidden units", header.number<std::uint32_t>(), kHidden);
  checkDimension("second-layer units", header.number<std::uint32_t>(), kLayer2);
  checkDimension("outputs", header.number<std::uint32_t>(), kOutputs);
  const auto sum = header.number<std::uint32_t>();
  const std::size_t payload = size - kHeaderBytes;
  if (payload < kPayloadBytes)
    throw LoadError("weights file is truncated: " + std::to_string(payload) + " payload bytes of " +
                    std::to_string(kPayloadBytes));
  if (payload > kPayloadBytes)
    throw LoadError("weights file has " + std::to_string(payload - kPayloadBytes) +
                    " bytes after its payload");
  if (checksum(bytes + kHeaderBytes, payload) != sum)
    throw LoadError("weights file is corrupt: its checksum does not match its contents");

  auto net = std::make_unique<Network>();
  Reader r(bytes + kHeaderBytes);
  r.numbers(net->hiddenBias);
  for (auto& row : net->hiddenWeights) r.numbers(row);
  r.numbers(net->layer2Bias);
  for (auto& row : net->layer2Weights) r.numbers(row);
  r.numbers(net->outputBias);
  for (auto& row : net->outputWeights) r.numbers(row);
  checkInt8Range(net->layer2Weights, "second layer");
  checkInt8Range(net->outputWeights, "output layer");
  return net;
}

std::unique_ptr<Network> loadNetworkFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw LoadError("cannot open weights file " + path);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw LoadError("cannot read weights file " + path);
  try {
    return loadNetwork(bytes.data(), bytes.size());
  } catch (const LoadError& e) {
    throw LoadError(path + ": " + e.what());
  }
}

}  // namespace nnue
