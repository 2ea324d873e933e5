// The drawing of the board for a person at a terminal: print and the board
// output operator.

#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "BoardDrawing.h"

namespace {

// SGR parameters of the ANSI colours; the empty style is the terminal's own.
constexpr const char* kPlain = "";
constexpr const char* kForced = "1;32";  // bold green: the quadrant to play in
constexpr const char* kClosed = "2";     // faint: closed without a winner

const char* markStyle(int player) { return player == 1 ? "1;36" : player == 2 ? "1;35" : kPlain; }

// Reverse video in the mover's colour, so the last move stands out even on
// the tint of a quadrant it has just won.
const char* lastMoveStyle(int player) {
  return player == 1 ? "1;7;36" : player == 2 ? "1;7;35" : kPlain;
}

// A won quadrant is tinted with its winner's colour, a closed one dimmed.
const char* quadrantStyle(int state) {
  switch (state) {
    case 1: return "30;46";
    case 2: return "30;45";
    case -1: return kClosed;
    default: return kPlain;
  }
}

// Builds one line of text in runs of one style each; without colour the
// styles are dropped and the text alone is kept.
class Painter {
 public:
  explicit Painter(bool colour) : colour_(colour) {}

  Painter& put(std::string_view text, const char* style = kPlain) {
    if (colour_ && style_ != style) {
      if (!style_.empty()) line_ += "\x1b[0m";
      if (*style != '\0') line_ += std::string("\x1b[") + style + "m";
      style_ = style;
    }
    line_ += text;
    return *this;
  }
  Painter& put(char c, const char* style = kPlain) { return put(std::string_view(&c, 1), style); }

  // The line, with the style reset at its end.
  std::string take() {
    if (!style_.empty()) line_ += "\x1b[0m";
    style_.clear();
    return std::move(line_);
  }

 private:
  bool colour_;
  std::string line_;
  std::string style_;
};

bool isIndex(int i) { return i >= 0 && i <= 8; }

char markChar(int v) { return v == 1 ? 'X' : v == 2 ? 'O' : ' '; }

// One symbol per quadrant for the map of the large grid: its index while it
// is open, X or O once won, # once closed without a winner.
char stateChar(int state, int q) {
  switch (state) {
    case 0: return static_cast<char>('0' + q);
    case 1: return 'X';
    case 2: return 'O';
    default: return '#';
  }
}

const char* stateWord(int state) {
  switch (state) {
    case 0: return "open";
    case 1: return "won by X";
    case 2: return "won by O";
    default: return "closed";
  }
}

const char* quadrantName(int q) {
  static const char* const kNames[9] = {"the top left",    "the top middle", "the top right",
                                        "the middle left", "the centre",     "the middle right",
                                        "the bottom left", "the bottom middle", "the bottom right"};
  return kNames[q];
}

// The frame of the forced quadrant q (-1 for none). Rules are numbered 0-3
// from the top, bars and corners 0-3 from the left; line i borders the band
// or column k when it is just before or just after it.
bool borders(int i, int k) { return i == k || i == k + 1; }
bool frameCorner(int q, int rule, int corner) {
  return q >= 0 && borders(rule, q / 3) && borders(corner, q % 3);
}
bool frameEdge(int q, int rule, int column) { return q >= 0 && q % 3 == column && borders(rule, q / 3); }
bool frameBar(int q, int band, int bar) { return q >= 0 && q / 3 == band && borders(bar, q % 3); }

// The text beside the board, one entry per line of the board.
struct Side {
  std::string lines[13];
};

Side sideText(const Board2D& board, const Quadrant& states, bool legend, bool stateWords,
              const BoardMarks& marks, int forced) {
  Side side;
  side.lines[1] = legend ? "    quadrants     cells" : "    quadrants";
  for (int r = 0; r < 3; ++r) {
    Painter map(marks.colour);
    map.put("      ");
    for (int c = 0; c < 3; ++c) {
      const int q = 3 * r + c;
      const char* style = states[q] == 1 || states[q] == 2 ? markStyle(states[q])
                          : states[q] != 0                  ? kClosed
                          : q == forced                     ? kForced
                                                            : kPlain;
      map.put(stateChar(states[q], q), style);
      if (c < 2) map.put(' ');
    }
    if (legend) {
      map.put("      ");
      for (int c = 0; c < 3; ++c) map.put(' ').put(static_cast<char>('0' + 3 * r + c));
    }
    side.lines[2 + r] = map.take();
  }
  if (legend) {
    side.lines[6] = "    X player 1, O player 2, # closed";
    side.lines[7] = "    move: quadrant then cell, e.g. 4 0";
  }
  if (stateWords) {
    for (int r = 0; r < 3; ++r) {
      std::string row = "    ";
      for (int c = 0; c < 3; ++c) {
        const int q = 3 * r + c;
        std::string item = std::to_string(q) + " " + stateWord(states[q]);
        item.resize(13, ' ');
        row += item;
      }
      while (row.back() == ' ') row.pop_back();
      side.lines[6 + r] = row;
    }
  }
  if (marks.toMove == 1 || marks.toMove == 2) {
    Painter turn(marks.colour);
    turn.put("    ").put(markChar(marks.toMove), markStyle(marks.toMove)).put(" to move: play in ");
    if (forced >= 0) {
      turn.put("quadrant " + std::to_string(forced) + " (" + quadrantName(forced) + ")", kForced);
    } else {
      turn.put("any open quadrant");
    }
    side.lines[9] = turn.take();
  }
  const Move& last = marks.lastMove;
  if (isIndex(last.global) && isIndex(last.local)) {
    const int mover = board[last.global][last.local];
    Painter named(marks.colour);
    named.put("    last move [").put(markChar(mover), lastMoveStyle(mover));
    named.put("]: quadrant " + std::to_string(last.global) + ", cell " + std::to_string(last.local));
    side.lines[10] = named.take();
  }
  return side;
}

// A horizontal rule of the large grid; the forced quadrant's top and bottom
// edges are drawn with '='.
std::string ruleLine(int r, int forced, bool colour) {
  Painter p(colour);
  p.put(' ');
  for (int c = 0; c < 3; ++c) {
    const bool edge = frameEdge(forced, r, c);
    p.put('+', frameCorner(forced, r, c) ? kForced : kPlain);
    p.put(edge ? "=======" : "-------", edge ? kForced : kPlain);
  }
  p.put('+', frameCorner(forced, r, 3) ? kForced : kPlain);
  return p.take();
}

// Row r of the cells of the quadrants in one band. Empty cells of open
// quadrants show as dots so the playable area stands out; empty cells of won
// or closed quadrants stay blank. The last move's cell is put in brackets.
std::string cellLine(const Board2D& board, const Quadrant& states, int band, int r,
                     const BoardMarks& marks, int forced) {
  const Move& last = marks.lastMove;
  Painter p(marks.colour);
  p.put(' ');
  for (int qc = 0; qc < 3; ++qc) {
    const int q = 3 * band + qc;
    p.put('|', frameBar(forced, band, qc) ? kForced : kPlain);

    std::string interior = "       ";
    int lastColumn = -1;
    if (last.global == q && isIndex(last.local) && last.local / 3 == r) {
      lastColumn = last.local % 3;
      interior[2 * lastColumn] = '[';
      interior[2 * lastColumn + 2] = ']';
    }
    // Blanks take the quadrant's own style too, so a highlighted quadrant is one run.
    const char* base = q == forced && states[q] == 0 ? kForced : quadrantStyle(states[q]);
    for (int k = 0; k < 7; ++k) {
      const char* style = base;
      if (k % 2 == 1) {
        const int v = board[q][3 * r + k / 2];
        interior[k] = v == 0 && states[q] == 0 ? '.' : markChar(v);
        if (k / 2 == lastColumn) {
          style = lastMoveStyle(v);
        } else if (v != 0 && states[q] == 0) {
          style = markStyle(v);
        }
      } else if (lastColumn >= 0 && (k == 2 * lastColumn || k == 2 * lastColumn + 2) && states[q] == 0) {
        style = markStyle(board[q][3 * r + lastColumn]);
      }
      p.put(interior[k], style);
    }
  }
  p.put('|', frameBar(forced, band, 3) ? kForced : kPlain);
  return p.take();
}

void draw(std::ostream& out, const Board2D& board, const Quadrant& states, bool legend,
          bool stateWords, const BoardMarks& marks) {
  const int forced = isIndex(marks.nextQuadrant) ? marks.nextQuadrant : -1;
  const Side side = sideText(board, states, legend, stateWords, marks, forced);

  // An empty line first sets the board apart from the prompt answered above it.
  out << '\n';
  int line = 0;
  for (int band = 0; band < 3; ++band) {
    out << ruleLine(band, forced, marks.colour) << side.lines[line++] << '\n';
    for (int r = 0; r < 3; ++r)
      out << cellLine(board, states, band, r, marks, forced) << side.lines[line++] << '\n';
  }
  out << ruleLine(3, forced, marks.colour) << side.lines[line] << '\n';
  out.flush();
}

}  // namespace

void print(std::ostream& out, const Board2D& board, const Quadrant& states, bool showStates,
           const BoardMarks& marks) {
  draw(out, board, states, !showStates, showStates, marks);
}

std::ostream& operator<<(std::ostream& out, const Board2D& board) {
  Quadrant states = make_Quadrant();
  for (int q = 0; q < 9; ++q) {
    states[q] = check3InRow(board[q]);
    if (states[q] == 0) {
      bool full = true;
      for (int c = 0; c < 9; ++c)
        if (board[q][c] == 0) full = false;
      if (full) states[q] = -1;
    }
  }
  draw(out, board, states, false, false, BoardMarks{});
  return out;
}
