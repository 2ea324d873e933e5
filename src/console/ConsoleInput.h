#pragma once

#include <istream>
#include <string>

// Line-oriented reading for the console dialogue: every answer is one whole
// line, parsed by formatted extraction from a stream over that line.
namespace consoleInput {

// Reads the next whole line from standard input; false at end of input.
bool readLine(std::string& line);

// Reads a decimal integer the way formatted stream input does (blanks
// skipped, optional sign, digits up to the first other character). Returns
// false when no number starts there. A number too large for 32 bits counts
// as read and is clamped to the nearest 32-bit value, as the stream stores it.
bool readInt(std::istream& in, int& value);

// True when the line holds nothing but white space.
bool isBlank(const std::string& line);

}  // namespace consoleInput
