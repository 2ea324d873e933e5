#include "TrainingData.h"

#include <gtest/gtest.h>

#include "NetworkFixtures.h"

namespace {

std::vector<std::uint8_t> fileOf(const std::vector<Sample>& samples) {
  std::vector<std::uint8_t> bytes = trainingdata::header();
  for (const Sample& s : samples) trainingdata::appendRecord(s, bytes);
  return bytes;
}

std::string refusal(const std::vector<std::uint8_t>& bytes) {
  try {
    trainingdata::parse(bytes.data(), bytes.size());
  } catch (const trainingdata::FormatError& e) {
    return e.what();
  }
  return "parsed";
}

std::vector<Sample> samplesOfAGame() {
  std::vector<Sample> samples;
  for (const Position& pos : nnue::testing::randomGame(3)) {
    if (pos.winner != 0) continue;
    Sample s;
    s.position = pos;
    s.result = static_cast<std::int8_t>(samples.size() % 3) - 1;
    s.wins = 5;
    s.ties = 2;
    s.visits = 10;
    samples.push_back(s);
  }
  return samples;
}

TEST(TrainingData, RecordsReadBackAsTheSamePositions) {
  const std::vector<Sample> samples = samplesOfAGame();
  const std::vector<std::uint8_t> bytes = fileOf(samples);
  const std::vector<Sample> read = trainingdata::parse(bytes.data(), bytes.size());
  ASSERT_EQ(read.size(), samples.size());
  for (std::size_t i = 0; i < read.size(); ++i) {
    const Position& a = read[i].position;
    const Position& b = samples[i].position;
    EXPECT_TRUE(a.marks == b.marks && a.won == b.won && a.closed == b.closed && a.next == b.next &&
                a.lastPlayer == b.lastPlayer && a.winner == 0)
        << "record " << i;
    EXPECT_EQ(read[i].result, samples[i].result);
  }
  EXPECT_DOUBLE_EQ(read[0].rootValue()[2], 0.3);
}

TEST(TrainingData, RefusesBrokenFilesAndImpossibleRecords) {
  std::vector<Sample> samples = samplesOfAGame();
  std::vector<std::uint8_t> bytes = fileOf(samples);
  bytes.pop_back();
  EXPECT_EQ(refusal(bytes), "training data is not whole records of 52 bytes");
  Position& pos = samples[10].position;
  int q = 0;
  while (pos.marks[0][q] == 0) ++q;
  pos.marks[1][q] = static_cast<std::uint16_t>(pos.marks[1][q] | pos.marks[0][q]);
  EXPECT_EQ(refusal(fileOf(samples)), "training record 10: record has a cell marked by both players");
  samples = samplesOfAGame();
  samples[2].ties = 6;
  EXPECT_EQ(refusal(fileOf(samples)), "training record 2 has an impossible result or counts");
}

}  // namespace
