#include "TrainingData.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "LineTables.h"

std::array<double, 3> Sample::rootValue() const {
  const double v = visits;
  return {wins / v, ties / v, (visits - wins - ties) / v};
}

namespace trainingdata {

namespace {

constexpr char kMagic[8] = {'U', 'T', 'T', 'T', 'D', 'A', 'T', 'A'};

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
std::uint32_t get32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

// The position that the marks describe, with the won and closed quadrants
// and the result worked out from them; FormatError when no game reaches it
// (overlapping marks, marks in a quadrant after it closed, a finished game).
Position rebuild(const std::uint16_t (&marks)[2][9], int next, int lastPlayer) {
  Position pos;
  int count[2] = {0, 0};
  for (int p = 0; p < 2; ++p)
    for (int q = 0; q < 9; ++q) {
      if (marks[p][q] > lines::kFull) throw FormatError("record has a mark outside its quadrant");
      pos.marks[p][q] = marks[p][q];
      count[p] += lines::kMembers[marks[p][q]][0];
    }
  for (int q = 0; q < 9; ++q) {
    if (pos.marks[0][q] & pos.marks[1][q]) throw FormatError("record has a cell marked by both players");
    const bool line0 = lines::kHasLine[pos.marks[0][q]];
    const bool line1 = lines::kHasLine[pos.marks[1][q]];
    if (line0 && line1) throw FormatError("record has a quadrant won by both players");
    if (line0) pos.won[0] = static_cast<std::uint16_t>(pos.won[0] | 1u << q);
    if (line1) pos.won[1] = static_cast<std::uint16_t>(pos.won[1] | 1u << q);
    if (!line0 && !line1 && pos.occupied(q) == lines::kFull)
      pos.closed = static_cast<std::uint16_t>(pos.closed | 1u << q);
  }
  if (lastPlayer != 1 && lastPlayer != 2) throw FormatError("record has no player 1 or 2 as the last mover");
  // Player 1 moves first: after player 1's move the counts are equal plus one.
  if (count[0] - count[1] != (lastPlayer == 1 ? 1 : 0)) throw FormatError("record's mark counts do not alternate");
  if (lines::kHasLine[pos.won[0]] || lines::kHasLine[pos.won[1]] || pos.openQuadrants() == 0)
    throw FormatError("record holds a finished game");
  if (next < -1 || next > 8 || (next >= 0 && !(pos.openQuadrants() >> next & 1u)))
    throw FormatError("record forces a quadrant that is not open");
  pos.next = static_cast<std::int8_t>(next);
  pos.lastPlayer = static_cast<std::uint8_t>(lastPlayer);
  return pos;
}

}  // namespace

std::vector<std::uint8_t> header() {
  std::vector<std::uint8_t> out(kMagic, kMagic + sizeof kMagic);
  put32(out, kVersion);
  put32(out, kRecordBytes);
  return out;
}

void appendRecord(const Sample& s, std::vector<std::uint8_t>& out) {
  for (int p = 0; p < 2; ++p)
    for (int q = 0; q < 9; ++q) {
      out.push_back(static_cast<std::uint8_t>(s.position.marks[p][q]));
      out.push_back(static_cast<std::uint8_t>(s.position.marks[p][q] >> 8));
    }
  out.push_back(static_cast<std::uint8_t>(s.position.next));
  out.push_back(s.position.lastPlayer);
  out.push_back(static_cast<std::uint8_t>(s.result));
  out.push_back(0);
  put32(out, s.wins);
  put32(out, s.ties);
  put32(out, s.visits);
}

std::vector<Sample> parse(const std::uint8_t* bytes, std::size_t size) {
  if (size < kHeaderBytes || std::memcmp(bytes, kMagic, sizeof kMagic) != 0)
    throw FormatError("not a training data file: it does not start with UTTTDATA");
  if (get32(bytes + 8) != kVersion)
    throw FormatError("training data has version " + std::to_string(get32(bytes + 8)) +
                      ", this build reads version " + std::to_string(kVersion));
  if (get32(bytes + 12) != kRecordBytes || (size - kHeaderBytes) % kRecordBytes != 0)
    throw FormatError("training data is not whole records of " + std::to_string(kRecordBytes) + " bytes");
  std::vector<Sample> samples((size - kHeaderBytes) / kRecordBytes);
  const std::uint8_t* p = bytes + kHeaderBytes;
  for (std::size_t i = 0; i < samples.size(); ++i, p += kRecordBytes) {
    Sample& s = samples[i];
    std::uint16_t marks[2][9];
    for (int k = 0; k < 18; ++k)
      marks[k / 9][k % 9] = static_cast<std::uint16_t>(p[2 * k] | p[2 * k + 1] << 8);
    try {
      s.position = rebuild(marks, static_cast<std::int8_t>(p[36]), p[37]);
    } catch (const FormatError& e) {
      throw FormatError("training record " + std::to_string(i) + ": " + e.what());
    }
    s.result = static_cast<std::int8_t>(p[38]);
    s.wins = get32(p + 40);
    s.ties = get32(p + 44);
    s.visits = get32(p + 48);
    if (s.result < -1 || s.result > 1 || s.visits == 0 || s.wins > s.visits ||
        s.ties > s.visits - s.wins)
      throw FormatError("training record " + std::to_string(i) + " has an impossible result or counts");
  }
  return samples;
}

std::vector<Sample> load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FormatError("cannot open training data " + path);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  try {
    return parse(bytes.data(), bytes.size());
  } catch (const FormatError& e) {
    throw FormatError(path + ": " + e.what());
  }
}

void save(const std::string& path, const std::vector<Sample>& samples) {
  std::vector<std::uint8_t> bytes = header();
  for (const Sample& s : samples) appendRecord(s, bytes);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write training data " + path);
}

}  // namespace trainingdata
