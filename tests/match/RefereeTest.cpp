// The referee: the input each turn sends, the judgement of answers, and the
// results and records of whole games.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "KnownGames.h"
#include "Referee.h"

namespace {

// Plays a record line on a fresh referee.
Referee replay(const std::string& record) {
  Referee referee;
  std::istringstream in(record);
  std::string move;
  while (in >> move) referee.play(Move(move[0] - '0', move[1] - '0'));
  return referee;
}

TEST(Referee, TheFirstTurnListsEverySquareInRowOrder) {
  std::string expected = "-1 -1\n81\n";
  for (int row = 0; row < 9; ++row)
    for (int col = 0; col < 9; ++col) expected += std::to_string(row) + " " + std::to_string(col) + "\n";
  const Referee referee;
  EXPECT_EQ(referee.turnText(), expected);
  EXPECT_EQ(referee.playerToMove(), 1);
}

TEST(Referee, ATurnNamesTheLastMoveAndTheQuadrantItSendsTo) {
  Referee referee;
  referee.play(Move(2, 4));  // quadrant 2's centre: row 1, column 7
  EXPECT_EQ(referee.playerToMove(), 2);
  EXPECT_EQ(referee.turnText(), "1 7\n9\n3 3\n3 4\n3 5\n4 3\n4 4\n4 5\n5 3\n5 4\n5 5\n");
  referee.play(Move(4, 2));  // back to quadrant 2, where row 1, column 7 is taken
  EXPECT_EQ(referee.turnText(), "3 5\n8\n0 6\n0 7\n0 8\n1 6\n1 8\n2 6\n2 7\n2 8\n");
}

TEST(Referee, JudgesTheFirstTwoNumbersOfAnAnswer) {
  Referee referee;
  referee.play(Move(4, 4));
  const auto move = [&](const char* answer) { return std::get<Move>(referee.judge(answer)); };
  const auto fault = [&](const char* answer) { return std::get<Fault>(referee.judge(answer)); };
  EXPECT_EQ(move("3 3"), Move(4, 0));
  EXPECT_EQ(move("5 5 winrate 0.5 playouts 100"), Move(4, 8));
  EXPECT_EQ(move(" 3 4\r"), Move(4, 1));
  EXPECT_EQ(fault("4 4"), Fault::Illegal);  // taken
  EXPECT_EQ(fault("0 0"), Fault::Illegal);  // outside the quadrant it was sent to
  EXPECT_EQ(fault("9 9"), Fault::Illegal);
  EXPECT_EQ(fault("-1 -1"), Fault::Illegal);
  EXPECT_EQ(fault(""), Fault::Malformed);
  EXPECT_EQ(fault("hello"), Fault::Malformed);
  EXPECT_EQ(fault("3"), Fault::Malformed);
  EXPECT_EQ(fault("3 3x"), Fault::Malformed);
  EXPECT_EQ(fault("3,3"), Fault::Malformed);
}

TEST(Referee, KnownGamesEndWithTheirResultAndRecord) {
  const std::pair<const std::string*, int> games[] = {
      {&knownGames::kPlayer1Wins, 1}, {&knownGames::kPlayer2Wins, 2}, {&knownGames::kTie, -1}};
  for (const auto& [record, winner] : games) {
    SCOPED_TRACE(*record);
    const Referee referee = replay(*record);
    EXPECT_EQ(referee.winner(), winner);
    EXPECT_EQ(referee.record(), *record);
    // The game ends with its last move, not before.
    const Referee before = replay(record->substr(0, record->size() - 3));
    EXPECT_EQ(before.winner(), 0);
  }
  EXPECT_EQ(Referee().record(), "");
}

}  // namespace
