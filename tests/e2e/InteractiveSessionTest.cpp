// The interactive game through the real program: whole standard output and
// error compared exactly. Boards are drawn here with the library's own print
// from a replay of the moves; the computer's numbers vary, so its turn report
// is read by pattern and its move replayed.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Board.h"
#include "DrawingReader.h"
#include "GameFixtures.h"
#include "Node.h"
#include "ProcessRunner.h"

namespace {

std::string joinedArgs(const std::vector<std::string>& argv) {
  std::string text;
  for (const std::string& a : argv) text += (text.empty() ? "" : " ") + a;
  return text;
}

const char* const kOpening = "Play as Player 1 or 2:  Enter thinking time for AI (in seconds):  ";

SessionResult runGame(const std::string& input, const std::vector<std::string>& argv = {"uttt"}) {
  ProcessOptions options;
  options.input = input;
  return runProcess(binaryFromEnvironment("UTTT_BINARY"), argv, options);
}

// Reads the program's standard output front to back against what the test
// expects, replaying every move on its own tree. The first mismatch is
// reported with its surroundings and stops all further checks.
class Dialogue {
 public:
  explicit Dialogue(std::string out) : text_(std::move(out)), root_(new Node()), at_(root_) {}
  ~Dialogue() { delete root_; }
  Dialogue(const Dialogue&) = delete;
  Dialogue& operator=(const Dialogue&) = delete;

  bool failed() const { return failed_; }
  const Node& position() const { return *at_; }

  void expect(const std::string& literal) {
    if (failed_) return;
    if (text_.compare(pos_, literal.size(), literal) != 0) {
      failed_ = true;
      ADD_FAILURE() << "output at offset " << pos_ << " should go on with\n[" << literal << "]\nbut is\n["
                    << text_.substr(pos_, literal.size() + 200) << "]";
      return;
    }
    pos_ += literal.size();
  }

  void opening() { expect(kOpening); }
  void prompt() { expect(drawing(*at_) + "Enter Move:   "); }
  void reply(const std::string& message) { expect(message + "\n"); }
  void humanPlays(int global, int local) {
    play(Move(global, local));
    expect(drawing(*at_));
  }

  // The computer's turn report; its move is replayed. Only a move that wins
  // at once comes without the search's lines.
  void computerTurn() {
    if (failed_) return;
    std::string why;
    const std::optional<TurnReport> turn = readTurnReport(text_, pos_, why);
    if (!turn) {
      failed_ = true;
      ADD_FAILURE() << why;
      return;
    }
    const int mover = 3 - at_->getPlayer();
    play(turn->move);
    if (!turn->searched && !failed_) {
      EXPECT_EQ(at_->getWinner(), mover) << "only a winning move skips the search";
    }
  }

  void end(int winner) {
    expect(drawing(*at_) + "Winner:  " + std::to_string(winner) + "\n\n");
    if (!failed_) {
      EXPECT_EQ(pos_, text_.size()) << "output goes on: " << text_.substr(pos_, 300);
    }
  }

 private:
  void play(const Move& move) {
    if (failed_) return;
    if (!at_->isLegal(move)) {
      failed_ = true;
      ADD_FAILURE() << "illegal move " << move.global << " " << move.local;
      return;
    }
    at_->setChild(move);
    at_ = at_->getChildren().back();
  }

  std::string text_;
  std::size_t pos_ = 0;
  bool failed_ = false;
  Node* root_;
  Node* at_;
};

TEST(InteractiveSession, AnyOtherSideThanOneOrTwoEndsTheSessionWithAMessage) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"3\n", "3"}, {"0\n", "0"}, {"two\n", "0"}, {"\n", "0"}, {"", "0"}, {" -1 2\n", "-1"}, {"12\n", "12"}};
  for (const auto& [input, number] : cases) {
    SCOPED_TRACE("side line [" + input + "]");
    // Lines a valid side would have gone on with must stay unread.
    const SessionResult r = runGame(input.empty() ? input : input + "1\n0.01\n4 4\n");
    EXPECT_EQ(r.out, "Play as Player 1 or 2:  ");
    EXPECT_EQ(r.err, "Invalid Player Number:  " + number + "\n");
    EXPECT_EQ(r.exitStatus, 0);
  }
}

// Each prompt must be on screen while the program waits for its answer:
// standard input is left open, so a prompt stuck in a buffer never shows.
TEST(InteractiveSession, EveryPromptIsShownBeforeTheProgramWaits) {
  Node empty;
  for (const auto& [input, shown] :
       std::vector<std::pair<std::string, std::string>>{{"", "Play as Player 1 or 2:  "},
                                                        {"1\n", kOpening},
                                                        {"1\n0.01\n", drawing(empty) + "Enter Move:   "}}) {
    SCOPED_TRACE("input [" + input + "]");
    ProcessOptions options;
    options.input = input;
    options.keepInputOpen = true;
    options.stopWhenOutput = shown;
    const SessionResult r = runProcess(binaryFromEnvironment("UTTT_BINARY"), {"uttt"}, options);
    EXPECT_TRUE(r.killed);
    EXPECT_FALSE(r.timedOut);
  }
}

// Side 2 lets the computer open; the default thinking time (3 s, the one slow
// case) is kept by an empty time line.
TEST(InteractiveSession, SideTwoLetsTheComputerOpen) {
  for (const std::string input : {"   2 please\n0.02\n", "2\n\n"}) {
    SCOPED_TRACE("input [" + input + "]");
    const SessionResult r = runGame(input);
    Dialogue d(r.out);
    d.opening();
    d.computerTurn();
    d.prompt();
    d.end(0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitStatus, 0);
  }
}

// A blank time line or end of input keeps the default; the session still
// reaches the move prompt and ends there at end of input.
TEST(InteractiveSession, EndOfInputAtTheTimeOrMovePromptEndsWithWinnerZero) {
  Node empty;
  const std::string expected =
      std::string(kOpening) + drawing(empty) + "Enter Move:   " + drawing(empty) + "Winner:  0\n\n";
  for (const std::string input : {"1\n", "1\n\n", "1\n \t \n", "1\n0.5\n"}) {
    SCOPED_TRACE("input [" + input + "]");
    const SessionResult r = runGame(input);
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitStatus, 0);
  }
}

// Read from the text alone: the board before each move shows the last move,
// the person's and the computer's, and where the next one must go.
TEST(InteractiveSession, BoardsShowTheLastMoveAndWhereToPlay) {
  const SessionResult r = runGame("1\n0.01\n4 4\n");
  const std::string prompt = "Enter Move:   ";
  const std::size_t firstPrompt = r.out.find(prompt);
  std::size_t report = r.out.find("Getting Move\n");
  ASSERT_NE(report, std::string::npos) << r.out;
  const std::string start = r.out.substr(std::string(kOpening).size(), firstPrompt - std::string(kOpening).size());
  const std::string afterPerson = r.out.substr(firstPrompt + prompt.size(), report - firstPrompt - prompt.size());
  std::string why;
  const std::optional<TurnReport> turn = readTurnReport(r.out, report, why);
  ASSERT_TRUE(turn) << why;
  const std::string afterComputer = r.out.substr(report, r.out.find(prompt, report) - report);

  EXPECT_TRUE(bracketedCells(start).empty());
  EXPECT_TRUE(framedQuadrants(start).empty());
  EXPECT_NE(start.find("    X to move: play in any open quadrant\n"), std::string::npos) << start;

  EXPECT_EQ(bracketedCells(afterPerson), std::vector<Move>{Move(4, 4)});
  EXPECT_EQ(framedQuadrants(afterPerson), std::vector<int>{4});
  EXPECT_NE(afterPerson.find("    O to move: play in quadrant 4 (the centre)\n"), std::string::npos) << afterPerson;

  const Move answer = turn->move;
  EXPECT_EQ(bracketedCells(afterComputer), std::vector<Move>{answer});
  EXPECT_EQ(framedQuadrants(afterComputer), std::vector<int>{answer.local});
  EXPECT_NE(afterComputer.find("    X to move: play in quadrant " + std::to_string(answer.local) + " ("),
            std::string::npos)
      << afterComputer;
  EXPECT_EQ(r.out.substr(r.out.size() - 12), "Winner:  0\n\n");
}

TEST(InteractiveSession, WrongMoveLinesGetTheirMessageAndAnotherPrompt) {
  const SessionResult r = runGame(
      "1\n0.02\n"
      "5\n45\n\n x 4\n4 9\n-1 3\n9 0\n4 5 6\n"  // the quadrant is free
      "\n45\n4 5\n0\n");                        // the computer chose it
  Dialogue d(r.out);
  d.opening();
  for (const char* message : {"Need a global input", "Need a global input",
                              "Please Enter move in quadrant:  -1", "Please Enter move in quadrant:  -1",
                              "Not Valid Move:  4 9", "Not Valid Move:  -1 3", "Not Valid Move:  9 0"}) {
    d.prompt();
    d.reply(message);
  }
  d.prompt();
  d.humanPlays(4, 5);
  d.computerTurn();
  const std::string forced = std::to_string(d.position().getNextQuadrant());
  d.prompt();
  d.reply("Please Enter move in quadrant:  " + forced);
  d.prompt();
  d.reply("Not Valid Move:  " + forced + " 45");
  d.prompt();
  d.reply("Not Valid Move:  4 5");  // occupied, and in another quadrant unless sent to 4
  d.prompt();
  d.humanPlays(d.position().getNextQuadrant(), 0);  // cell 0 is free there whichever quadrant it is
  d.computerTurn();
  d.prompt();
  d.end(0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.exitStatus, 0);
}

// The person types all 81 moves over and over, so some line is always legal;
// the others are answered "Not Valid Move" until the game is decided.
// With --network the dialogue and the reports keep their form; only the
// computer's way of judging positions changes.
TEST(InteractiveSession, WholeGameRunsToItsWinnerLine) {
  for (const int side : {1, 2, -1, -2}) {
    const std::vector<std::string> argv =
        side > 0 ? std::vector<std::string>{"uttt"} : std::vector<std::string>{"uttt", "--network"};
    SCOPED_TRACE(joinedArgs(argv) + ", side " + std::to_string(std::abs(side)));
    std::string input = std::to_string(std::abs(side)) + "\n0.01\n";
    for (int round = 0; round < 50; ++round)
      for (int m = 0; m < 81; ++m) input += std::to_string(m / 9) + " " + std::to_string(m % 9) + "\n";
    const SessionResult r = runGame(input, argv);

    Dialogue d(r.out);
    d.opening();
    if (std::abs(side) == 2) d.computerTurn();
    int typed = 0;
    while (!d.failed() && d.position().getWinner() == 0 && typed < 50 * 81) {
      const Move move(typed / 9 % 9, typed % 9);
      ++typed;
      d.prompt();
      if (!d.position().isLegal(move)) {
        d.reply("Not Valid Move:  " + std::to_string(move.global) + " " + std::to_string(move.local));
        continue;
      }
      d.humanPlays(move.global, move.local);
      if (d.position().getWinner() == 0) d.computerTurn();
    }
    EXPECT_NE(d.position().getWinner(), 0);
    d.end(d.position().getWinner());
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitStatus, 0);
  }
}

}  // namespace
