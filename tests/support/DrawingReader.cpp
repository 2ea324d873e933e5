#include "DrawingReader.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace {

// The grid: line 0 of a drawing is empty, then a rule and three cell rows per
// band and a last rule. Cell (q, c) stands at column 3 + 8 * (q % 3) + 2 * (c % 3).
constexpr std::size_t kFirstGridLine = 1;

std::size_t ruleLine(int r) { return kFirstGridLine + 4 * static_cast<std::size_t>(r); }
std::size_t cellLine(int q, int c) { return ruleLine(q / 3) + 1 + static_cast<std::size_t>(c / 3); }
std::size_t cellColumn(int q, int c) {
  return 3 + 8 * static_cast<std::size_t>(q % 3) + 2 * static_cast<std::size_t>(c % 3);
}

char at(const std::vector<std::string>& lines, std::size_t line, std::size_t column) {
  return line < lines.size() && column < lines[line].size() ? lines[line][column] : '\0';
}

}  // namespace

std::string withoutEscapes(const std::string& text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\x1b' && i + 1 < text.size() && text[i + 1] == '[') {
      i += 2;
      while (i < text.size() && !std::isalpha(static_cast<unsigned char>(text[i]))) ++i;
      continue;
    }
    plain += text[i];
  }
  return plain;
}

std::vector<StyledChar> styledChars(const std::string& line) {
  std::vector<StyledChar> chars;
  std::string style;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\x1b' && i + 1 < line.size() && line[i + 1] == '[') {
      const std::size_t end = line.find('m', i);
      const std::string params = line.substr(i + 2, end - i - 2);
      if (params.empty() || params == "0") {
        style.clear();
      } else {
        style += (style.empty() ? "" : ";") + params;
      }
      i = end;
      continue;
    }
    chars.push_back({line[i], style});
  }
  return chars;
}

std::vector<Move> bracketedCells(const std::string& drawing) {
  const std::vector<std::string> lines = linesOf(drawing);
  std::vector<Move> cells;
  for (int row = 0; row < 9; ++row)
    for (int column = 0; column < 9; ++column) {
      const int q = row / 3 * 3 + column / 3;
      const int c = row % 3 * 3 + column % 3;
      const std::size_t line = cellLine(q, c);
      const std::size_t col = cellColumn(q, c);
      if (at(lines, line, col - 1) == '[' && at(lines, line, col + 1) == ']') cells.emplace_back(q, c);
    }
  return cells;
}

std::vector<int> framedQuadrants(const std::string& drawing) {
  const std::vector<std::string> lines = linesOf(drawing);
  std::vector<int> quadrants;
  for (int q = 0; q < 9; ++q) {
    // An edge runs between two corners: the seven columns after the "+".
    const std::size_t first = 2 + 8 * static_cast<std::size_t>(q % 3);
    auto marked = [&](std::size_t line) {
      for (std::size_t col = first; col < first + 7; ++col)
        if (at(lines, line, col) == '=') return true;
      return false;
    };
    if (marked(ruleLine(q / 3)) && marked(ruleLine(q / 3 + 1))) quadrants.push_back(q);
  }
  return quadrants;
}

std::size_t countOf(const std::string& text, char c) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}
