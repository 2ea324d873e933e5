// Self-play in this process with a small node pool, so a whole game takes a
// moment, in a temporary working directory that gets the record file.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "GameFixtures.h"
#include "ComputerTurn.h"
#include "Game.h"
#include "Modes.h"
#include "NodePool.h"
#include "ProcessRunner.h"
#include "Random.h"
#include "RecordFile.h"

namespace {

constexpr std::uint64_t kSmallPool = 3000;

std::string warning(const char* what, int error) {
  return std::string("Warning: could not ") + what + " \"RecordedGames.txt\": " + std::strerror(error) + "\n";
}

// One self-play game as shown on standard output, checked against a replay
// of the moves it reports. Returns the final node (under root) or null after
// reporting the first mismatch.
Node* replayShownGame(const std::string& out, Node* root) {
  std::size_t pos = 0;
  Node* at = root;
  while (at->getWinner() == 0) {
    const std::string board = drawing(*at, true);
    if (out.compare(pos, board.size(), board) != 0) {
      ADD_FAILURE() << "at offset " << pos << " expected the board\n"
                    << board << "but found\n"
                    << out.substr(pos, 1500);
      return nullptr;
    }
    pos += board.size();
    std::string why;
    const std::optional<TurnReport> turn = readTurnReport(out, pos, why);
    if (!turn || !at->isLegal(turn->move)) {
      ADD_FAILURE() << (turn ? "an illegal move" : why);
      return nullptr;
    }
    const Move move = turn->move;
    at->setChild(move);
    at = at->getChildren().back();
  }
  Board2D board = make_Board2D();
  at->buildBoard2D(board);
  std::ostringstream end;
  end << "Winner:  " << at->getWinner() << "\n" << board;
  at->printTrace(end);
  end << "\n";
  EXPECT_EQ(out.substr(pos), end.str());
  return at;
}

class SelfPlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_seed = 31;
    std::srand(31);
    playoutRandom().reseed(31);
    NodePool::setMaxSize(kSmallPool);
  }
  void TearDown() override {
    EXPECT_EQ(game, nullptr);
    EXPECT_EQ(NodePool::size(), NodePool::maxSize()) << "a node outlived the game";
    NodePool::setMaxSize(NodePool::kDefaultCapacity);
  }

  std::string record() const { return dir_.file("RecordedGames.txt"); }

  TempDir dir_;
  WorkingDirectory cwd_{dir_.path()};
};

// The record is appended after the earlier lines, and the analyser reading it
// back shows the same final board (a tie reads back as no winner).
TEST_F(SelfPlayTest, AWholeGameIsShownRecordedAndReadsBackTheSame) {
  std::ofstream(record()) << "40 13\n12\n";
  const SessionResult r = runInProcess(selfPlay, "");
  EXPECT_EQ(r.err, "");
  Node* root = new Node();
  const Node* last = replayShownGame(r.out, root);
  ASSERT_NE(last, nullptr);

  std::ostringstream trace;
  last->printTrace(trace);
  EXPECT_EQ(readFile(record()), "40 13\n12\n" + trace.str() + "\n");

  Board2D board = make_Board2D();
  last->buildBoard2D(board);
  Quadrant states = make_Quadrant();
  last->buildQuadrant(states);
  for (int& state : states) state = state < 0 ? 0 : state;
  std::ostringstream expected;
  expected << "Game 1:\n";
  print(expected, board, states, true);
  expected << "Winner:  " << (last->getWinner() < 0 ? 0 : last->getWinner()) << "\n";
  EXPECT_EQ(runInProcess(analyze, trace.str() + "\n").out, expected.str());
  delete root;
}

TEST_F(SelfPlayTest, AFailedGameIsReportedUnrecordedAndTheNextOneRuns) {
  // Room for the initial node and no more than 81 free: no search can run.
  NodePool::setMaxSize(kFreeNodeThreshold + 1);
  const SessionResult failed = runInProcess(selfPlay, "");
  EXPECT_EQ(failed.out,
            drawing(Node(), true) + "Getting Move\n" + std::to_string(kFreeNodeThreshold) + "\n");
  EXPECT_EQ(failed.err, "Failed to complete game\n");
  EXPECT_FALSE(std::filesystem::exists(record()));
  EXPECT_EQ(game, nullptr);
  EXPECT_EQ(NodePool::size(), NodePool::maxSize());

  NodePool::setMaxSize(kSmallPool);
  const SessionResult next = runInProcess(selfPlay, "");
  EXPECT_EQ(next.err, "");
  const std::string lines = readFile(record());
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1) << lines;
}

// A record file that cannot be written costs the record only: a warning, and
// the game still ends normally.
TEST_F(SelfPlayTest, ARecordFileThatCannotBeOpenedOrWrittenGivesAWarning) {
  std::filesystem::create_directory(record());
  const SessionResult unopenable = runInProcess(selfPlay, "");
  EXPECT_EQ(unopenable.err, warning("open", EISDIR));
  EXPECT_EQ(unopenable.out.compare(unopenable.out.size() - 1, 1, "\n"), 0);
  EXPECT_NE(unopenable.out.find("Winner:  "), std::string::npos);

  std::filesystem::remove(record());
  std::filesystem::create_symlink("/dev/full", record());
  const SessionResult unwritable = runInProcess(selfPlay, "");
  EXPECT_EQ(unwritable.err, warning("write to", ENOSPC));
  EXPECT_NE(unwritable.out.find("Winner:  "), std::string::npos);
}

// A write cut short (here by the file size limit) is taken back, so the
// analyser never sees half a record.
TEST_F(SelfPlayTest, APartlyWrittenRecordIsCutBack) {
  const std::string earlier = "40 13\n";
  std::ofstream(record()) << earlier;
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit tight = old;
  tight.rlim_cur = earlier.size() + 10;
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
  bool written = true;
  const SessionResult r =
      runInProcess([&] { written = appendRecord("RecordedGames.txt", std::string(200, '4')); }, "");
  setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(written);
  EXPECT_EQ(r.err, warning("write to", EFBIG));
  EXPECT_EQ(readFile(record()), earlier);
}

}  // namespace
