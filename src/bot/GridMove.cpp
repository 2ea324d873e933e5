#include "GridMove.h"

#include <charconv>
#include <cstdio>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::size_t skipBlanks(std::string_view line, std::size_t at) {
  while (at < line.size() && isBlank(line[at])) ++at;
  return at;
}

}  // namespace

bool parseIntegers(std::string_view line, std::span<int> values, bool restAllowed) {
  std::size_t at = 0;
  for (int& value : values) {
    at = skipBlanks(line, at);
    std::size_t end = at;
    while (end < line.size() && !isBlank(line[end])) ++end;
    const char* first = line.data() + at;
    const char* last = line.data() + end;
    const auto [stop, error] = std::from_chars(first, last, value);
    // The whole token must be the number: "4x" and "+4" are not numbers.
    if (at == end || error != std::errc() || stop != last) return false;
    at = end;
  }
  return restAllowed || skipBlanks(line, at) == line.size();
}

std::string quoteLine(std::string_view line, std::size_t maxLength) {
  std::string out = "\"";
  const bool cut = line.size() > maxLength;
  for (char c : line.substr(0, maxLength)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += cut ? "...\"" : "\"";
  return out;
}
