#include "Board.h"

#include <bit>
#include <ostream>
#include <string>

#include "LineTables.h"
#include "Random.h"

Board2D make_Board2D() { return Board2D{}; }

Quadrant make_Quadrant() { return Quadrant{}; }

int check3InRow(const Quadrant& values) {
  for (std::uint16_t line : lines::kLines) {
    // Compare against the line's first entry itself: -1 is a real entry
    // (a closed quadrant), so it cannot double as "not read yet".
    const int first = values[std::countr_zero(line)];
    bool whole = true;
    for (int i = 0; i < 9 && whole; ++i)
      if (line >> i & 1u) whole = values[i] == first;
    if (whole && (first == 1 || first == 2)) return first;
  }
  return 0;
}

bool check3InRow(const Quadrant& values, int i) {
  if (i < 0 || i > 8 || values[i] == 0) return false;
  for (std::uint16_t line : lines::kLinesThrough[i]) {
    if (line == 0) break;
    bool whole = true;
    for (int j = 0; j < 9; ++j)
      if ((line >> j & 1u) && values[j] != values[i]) whole = false;
    if (whole) return true;
  }
  return false;
}

bool potential3inRow(const Quadrant& values, int i, int player) {
  if (i < 0 || i > 8 || values[i] != 0) return false;
  for (std::uint16_t line : lines::kLinesThrough[i]) {
    if (line == 0) break;
    bool others = true;
    for (int j = 0; j < 9; ++j)
      if (j != i && (line >> j & 1u) && values[j] != player) others = false;
    if (others) return true;
  }
  return false;
}

int potential3inRow(const Quadrant& states, int i) {
  return (potential3inRow(states, i, 1) ? 1 : 0) | (potential3inRow(states, i, 2) ? 2 : 0);
}

void updatePotential3inRow(Quadrant& codes, const Quadrant& states, int /*i*/) {
  // A newly won quadrant can complete lines through any open quadrant, so every
  // open quadrant's code is worked out again.
  for (int j = 0; j < 9; ++j)
    if (states[j] == 0) codes[j] = potential3inRow(states, j);
}

int getRandomRemaining(const Quadrant& values) {
  std::uint32_t empty = 0;
  for (int i = 0; i < 9; ++i)
    if (values[i] == 0) empty |= 1u << i;
  if (empty == 0) return -1;  // no free entry: callers never ask, but say so safely
  return playoutRandom().randomBit(empty);
}

namespace {

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

// The large grid is drawn with the quadrants' cells; empty cells of open
// quadrants show as dots so the playable area stands out, and empty cells of
// won or closed quadrants stay blank. Beside it, a map of the large grid and,
// for the player, the numbering of cells.
void draw(std::ostream& out, const Board2D& board, const Quadrant& states, bool legend,
          bool stateWords) {
  static const char* const kRule = " +-------+-------+-------+";
  std::string side[13];
  side[1] = "    quadrants";
  for (int r = 0; r < 3; ++r) {
    std::string row = "      ";
    for (int c = 0; c < 3; ++c) {
      int q = 3 * r + c;
      row += stateChar(states[q], q);
      if (c < 2) row += ' ';
    }
    side[2 + r] = row;
  }
  if (legend) {
    side[1] += "     cells";
    for (int r = 0; r < 3; ++r) {
      side[2 + r] += "       ";
      for (int c = 0; c < 3; ++c) {
        side[2 + r] += static_cast<char>('0' + 3 * r + c);
        if (c < 2) side[2 + r] += ' ';
      }
    }
    side[6] = "    X player 1, O player 2, # closed";
    side[7] = "    move: quadrant then cell, e.g. 4 0";
  }
  if (stateWords) {
    for (int r = 0; r < 3; ++r) {
      std::string row = "    ";
      for (int c = 0; c < 3; ++c) {
        int q = 3 * r + c;
        std::string item = std::to_string(q) + " " + stateWord(states[q]);
        item.resize(13, ' ');
        row += item;
      }
      side[6 + r] = row;
    }
  }

  // An empty line first sets the board apart from the prompt answered above it.
  out << '\n';
  int line = 0;
  auto emit = [&](const std::string& text) {
    std::string s = text;
    if (!side[line].empty()) s += side[line];
    while (!s.empty() && s.back() == ' ') s.pop_back();
    out << s << '\n';
    ++line;
  };
  for (int band = 0; band < 3; ++band) {
    emit(kRule);
    for (int r = 0; r < 3; ++r) {
      std::string row = " |";
      for (int qc = 0; qc < 3; ++qc) {
        int q = 3 * band + qc;
        for (int c = 0; c < 3; ++c) {
          int v = board[q][3 * r + c];
          char ch = markChar(v);
          if (v == 0 && states[q] == 0) ch = '.';
          row += ' ';
          row += ch;
        }
        row += " |";
      }
      emit(row);
    }
  }
  emit(kRule);
  out.flush();
}

}  // namespace

void print(std::ostream& out, const Board2D& board, const Quadrant& states, bool showStates) {
  draw(out, board, states, !showStates, showStates);
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
  draw(out, board, states, false, false);
  return out;
}
