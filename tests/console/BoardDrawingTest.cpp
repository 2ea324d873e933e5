// The board as a person sees it: whole drawings written out literally, the
// markers for the last move and the quadrant to play in read back from the
// text, and the colour codes read character by character.

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "BoardDrawing.h"
#include "DrawingReader.h"

namespace {

// X has won quadrant 0 and O quadrant 2; quadrant 6 is full without a line;
// X, then O's last move (4, 8) in the centre, and X alone in quadrant 8.
struct SampleBoard {
  Board2D board = make_Board2D();
  Quadrant states = make_Quadrant();
  SampleBoard() {
    board[0] = {1, 1, 1, 0, 2, 0, 0, 0, 0};
    board[2] = {2, 1, 0, 0, 2, 0, 0, 0, 2};
    board[6] = {1, 2, 1, 1, 2, 2, 2, 1, 1};
    board[4][4] = 1;
    board[4][8] = 2;
    board[8][0] = 1;
    states = {1, 0, 2, 0, 0, 0, -1, 0, 0};
  }
};

std::string drawn(const Board2D& board, const Quadrant& states, bool showStates, const BoardMarks& marks = {}) {
  std::ostringstream out;
  print(out, board, states, showStates, marks);
  return out.str();
}

BoardMarks marksFor(Move last, int next, int toMove, bool colour = false) {
  BoardMarks marks;
  marks.lastMove = last;
  marks.nextQuadrant = next;
  marks.toMove = toMove;
  marks.colour = colour;
  return marks;
}

// The grid part of every line of a plain drawing, without the text beside it.
std::string gridOnly(const std::string& drawing) {
  std::string grid;
  for (const std::string& line : linesOf(drawing)) grid += line.substr(0, 26) + "\n";
  return grid;
}

TEST(BoardDrawing, GoldenDrawings) {
  EXPECT_EQ(drawn(make_Board2D(), make_Quadrant(), false),
            "\n"
            " +-------+-------+-------+\n"
            " | . . . | . . . | . . . |    quadrants     cells\n"
            " | . . . | . . . | . . . |      0 1 2       0 1 2\n"
            " | . . . | . . . | . . . |      3 4 5       3 4 5\n"
            " +-------+-------+-------+      6 7 8       6 7 8\n"
            " | . . . | . . . | . . . |\n"
            " | . . . | . . . | . . . |    X player 1, O player 2, # closed\n"
            " | . . . | . . . | . . . |    move: quadrant then cell, e.g. 4 0\n"
            " +-------+-------+-------+\n"
            " | . . . | . . . | . . . |\n"
            " | . . . | . . . | . . . |\n"
            " | . . . | . . . | . . . |\n"
            " +-------+-------+-------+\n");

  const SampleBoard s;
  // As the analyser and self-play show a position: the states in words.
  EXPECT_EQ(drawn(s.board, s.states, true),
            "\n"
            " +-------+-------+-------+\n"
            " | X X X | . . . | O X   |    quadrants\n"
            " |   O   | . . . |   O   |      X 1 O\n"
            " |       | . . . |     O |      3 4 5\n"
            " +-------+-------+-------+      # 7 8\n"
            " | . . . | . . . | . . . |\n"
            " | . . . | . X . | . . . |    0 won by X   1 open       2 won by O\n"
            " | . . . | . . O | . . . |    3 open       4 open       5 open\n"
            " +-------+-------+-------+    6 closed     7 open       8 open\n"
            " | X O X | . . . | X . . |\n"
            " | X O O | . . . | . . . |\n"
            " | O X X | . . . | . . . |\n"
            " +-------+-------+-------+\n");

  // As the person sees it before X's move: the last move in brackets, the
  // quadrant X was sent to framed with '=', and a line saying so.
  EXPECT_EQ(drawn(s.board, s.states, false, marksFor(Move(4, 8), 8, 1)),
            "\n"
            " +-------+-------+-------+\n"
            " | X X X | . . . | O X   |    quadrants     cells\n"
            " |   O   | . . . |   O   |      X 1 O       0 1 2\n"
            " |       | . . . |     O |      3 4 5       3 4 5\n"
            " +-------+-------+-------+      # 7 8       6 7 8\n"
            " | . . . | . . . | . . . |\n"
            " | . . . | . X . | . . . |    X player 1, O player 2, # closed\n"
            " | . . . | . .[O]| . . . |    move: quadrant then cell, e.g. 4 0\n"
            " +-------+-------+=======+\n"
            " | X O X | . . . | X . . |    X to move: play in quadrant 8 (the bottom right)\n"
            " | X O O | . . . | . . . |    last move [O]: quadrant 4, cell 8\n"
            " | O X X | . . . | . . . |\n"
            " +-------+-------+=======+\n");

  // The final board of a self-play game: states worked out from the marks.
  std::ostringstream operatorOut;
  operatorOut << s.board;
  EXPECT_EQ(operatorOut.str(),
            "\n"
            " +-------+-------+-------+\n"
            " | X X X | . . . | O X   |    quadrants\n"
            " |   O   | . . . |   O   |      X 1 O\n"
            " |       | . . . |     O |      3 4 5\n"
            " +-------+-------+-------+      # 7 8\n"
            " | . . . | . . . | . . . |\n"
            " | . . . | . X . | . . . |\n"
            " | . . . | . . O | . . . |\n"
            " +-------+-------+-------+\n"
            " | X O X | . . . | X . . |\n"
            " | X O O | . . . | . . . |\n"
            " | O X X | . . . | . . . |\n"
            " +-------+-------+-------+\n");
}

// Brackets go around the last move's cell, wherever it is, and around no
// other cell; the line beside the board names the move.
TEST(BoardDrawing, BracketsMarkTheLastMoveAndNothingElse) {
  for (int q = 0; q < 9; ++q) {
    for (int c = 0; c < 9; ++c) {
      SCOPED_TRACE("last move " + std::to_string(q) + " " + std::to_string(c));
      Board2D board = make_Board2D();
      board[q][c] = 2;
      board[(q + 4) % 9][(c + 2) % 9] = 1;
      const std::string text = drawn(board, make_Quadrant(), false, marksFor(Move(q, c), c, 1));
      EXPECT_EQ(bracketedCells(text), std::vector<Move>{Move(q, c)});
      const std::string grid = gridOnly(text);
      EXPECT_EQ(countOf(grid, '['), 1u);
      EXPECT_EQ(countOf(grid, ']'), 1u);
      EXPECT_NE(text.find("    last move [O]: quadrant " + std::to_string(q) + ", cell " + std::to_string(c) + "\n"),
                std::string::npos);
    }
  }
}

// The forced quadrant's top and bottom edges, and only they, are drawn with
// '='; the line beside the board names the quadrant.
TEST(BoardDrawing, TheForcedQuadrantIsFramedAndNamed) {
  const std::vector<std::string> names = {"the top left",    "the top middle", "the top right",
                                          "the middle left", "the centre",     "the middle right",
                                          "the bottom left", "the bottom middle", "the bottom right"};
  const std::string plain = drawn(make_Board2D(), make_Quadrant(), false);
  for (int q = 0; q < 9; ++q) {
    SCOPED_TRACE("quadrant " + std::to_string(q));
    const std::string text = drawn(make_Board2D(), make_Quadrant(), false, marksFor(Move(), q, 2));
    EXPECT_EQ(framedQuadrants(text), std::vector<int>{q});
    EXPECT_EQ(countOf(text, '='), 14u);
    EXPECT_NE(text.find("    O to move: play in quadrant " + std::to_string(q) + " (" + names[q] + ")\n"),
              std::string::npos);
    // Apart from the frame the grid is the unmarked one.
    std::string unframed = gridOnly(text);
    for (char& ch : unframed)
      if (ch == '=') ch = '-';
    EXPECT_EQ(unframed, gridOnly(plain));
  }
}

// A free choice frames nothing and says so; before the first move there is
// no last move to mark; without marks the drawing has none of them.
TEST(BoardDrawing, FreeChoiceTheFirstMoveAndNoMarks) {
  const SampleBoard s;
  // O's move (2, 2) completed quadrant 2's diagonal and sent X to quadrant 2,
  // which is won: X may play in any open quadrant.
  const std::string free = drawn(s.board, s.states, false, marksFor(Move(2, 8), -1, 1));
  EXPECT_EQ(framedQuadrants(free), std::vector<int>{});
  EXPECT_EQ(countOf(free, '='), 0u);
  EXPECT_EQ(bracketedCells(free), std::vector<Move>{Move(2, 8)});
  EXPECT_NE(free.find("    X to move: play in any open quadrant\n"), std::string::npos);
  EXPECT_NE(free.find("    last move [O]: quadrant 2, cell 8\n"), std::string::npos);

  const std::string start = drawn(make_Board2D(), make_Quadrant(), false, marksFor(Move(), -1, 1));
  EXPECT_EQ(countOf(start, '['), 0u);
  EXPECT_EQ(countOf(start, '='), 0u);
  EXPECT_EQ(start.find("last move"), std::string::npos);
  EXPECT_NE(start.find("    X to move: play in any open quadrant\n"), std::string::npos);

  for (const bool showStates : {false, true}) {
    const std::string unmarked = drawn(s.board, s.states, showStates);
    EXPECT_EQ(countOf(unmarked, '['), 0u);
    EXPECT_EQ(countOf(unmarked, '='), 0u);
    EXPECT_EQ(unmarked.find("to move"), std::string::npos);
    EXPECT_EQ(unmarked.find("last move"), std::string::npos);
  }
}

// Random boards and marks: the coloured drawing is the plain one with
// escape codes added, every coloured line ends in the terminal's own style,
// and no line is wider than 80 columns.
TEST(BoardDrawing, ColourAddsCodesOnlyAndEverythingFitsIn80Columns) {
  std::mt19937 rng(2024);
  for (int n = 0; n < 3000; ++n) {
    Board2D board = make_Board2D();
    Quadrant states = make_Quadrant();
    for (auto& quadrant : board)
      for (auto& cell : quadrant) cell = static_cast<int>(rng() % 3);
    for (auto& state : states) state = static_cast<int>(rng() % 4) - 1;
    const Move last(static_cast<int>(rng() % 10) - 1, static_cast<int>(rng() % 9));
    const int next = static_cast<int>(rng() % 10) - 1;
    const int toMove = static_cast<int>(rng() % 3);
    const bool showStates = rng() % 2 == 0;
    const std::string plain = drawn(board, states, showStates, marksFor(last, next, toMove));
    const std::string coloured = drawn(board, states, showStates, marksFor(last, next, toMove, true));
    ASSERT_EQ(countOf(plain, '\x1b'), 0u) << n;
    ASSERT_NE(countOf(coloured, '\x1b'), 0u) << n;
    ASSERT_EQ(withoutEscapes(coloured), plain) << n;
    for (const std::string& line : linesOf(coloured)) {
      ASSERT_EQ(styledChars(line + ".").back().style, "") << n << ": a style goes on past the line end";
      ASSERT_LE(withoutEscapes(line).size(), 80u) << n << ": " << line;
    }
  }
}

// The colours a person relies on: X and O each in one colour of their own,
// the last move set apart, won quadrants tinted by their winner, the closed
// one dimmed and the forced quadrant's frame highlighted.
TEST(BoardDrawing, ColoursFollowTheMarksAndTheQuadrantStates) {
  SampleBoard s;
  s.board[1][4] = 2;
  const std::vector<std::string> lines =
      linesOf(drawn(s.board, s.states, false, marksFor(Move(4, 8), 8, 1, true)));
  ASSERT_EQ(lines.size(), 14u);
  std::vector<std::vector<StyledChar>> grid;
  for (const std::string& line : lines) grid.push_back(styledChars(line));
  // Cell (q, c) stands at grid line 2 + 4 * (q / 3) + c / 3, column 3 + 8 * (q % 3) + 2 * (c % 3).
  auto cell = [&](int q, int c) { return grid[2 + 4 * (q / 3) + c / 3][3 + 8 * (q % 3) + 2 * (c % 3)]; };
  // Every visible character of quadrant q's inside.
  auto inside = [&](int q) {
    std::set<std::string> styles;
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 7; ++k) styles.insert(grid[2 + 4 * (q / 3) + r][2 + 8 * (q % 3) + k].style);
    return styles;
  };

  const std::string x = cell(4, 4).style;
  const std::string o = cell(1, 4).style;
  const std::string last = cell(4, 8).style;
  EXPECT_EQ(cell(4, 4).c, 'X');
  EXPECT_EQ(cell(8, 0).c, 'X');
  EXPECT_EQ(cell(1, 4).c, 'O');
  EXPECT_EQ(cell(4, 8).c, 'O');
  EXPECT_EQ(cell(8, 0).style, x);
  EXPECT_NE(x, "");
  EXPECT_NE(o, "");
  EXPECT_NE(o, x);
  EXPECT_NE(last, o) << "the last move stands out from the other O";
  EXPECT_NE(last, "");
  EXPECT_EQ(cell(5, 0).style, "") << "an empty cell of an open quadrant keeps the terminal's style";

  const std::set<std::string> wonByX = inside(0);
  const std::set<std::string> wonByO = inside(2);
  const std::set<std::string> closed = inside(6);
  ASSERT_EQ(wonByX.size(), 1u) << "one tint over the whole quadrant, marks included";
  ASSERT_EQ(wonByO.size(), 1u);
  ASSERT_EQ(closed.size(), 1u);
  EXPECT_NE(*wonByX.begin(), *wonByO.begin());
  EXPECT_NE(*wonByX.begin(), "");
  EXPECT_NE(*wonByO.begin(), "");
  EXPECT_NE(*closed.begin(), "");
  EXPECT_EQ(inside(5), std::set<std::string>{""}) << "an empty open quadrant keeps the terminal's style";

  // The forced quadrant 8: its '=' edges and its bars share one highlight
  // that no other part of the grid's rules has.
  const std::string frame = grid[9][18].style;
  EXPECT_NE(frame, "");
  for (const std::size_t line : {9u, 13u}) {
    for (std::size_t col = 0; col < 26; ++col) {
      const StyledChar& ch = grid[line][col];
      if (ch.c == '=' || ch.c == '-') {
        EXPECT_EQ(ch.style, ch.c == '=' ? frame : "") << line << ":" << col;
      }
    }
  }
  for (std::size_t line = 10; line <= 12; ++line) {
    EXPECT_EQ(grid[line][17].style, frame);
    EXPECT_EQ(grid[line][25].style, frame);
    EXPECT_EQ(grid[line][9].style, "") << "the bar between quadrants 6 and 7 is not part of the frame";
  }
}

}  // namespace
