#include "ConsoleInput.h"

#include <cctype>
#include <iostream>

namespace consoleInput {

bool readLine(std::string& line) {
  std::cout.flush();  // a prompt must be on screen before we wait for the answer
  return static_cast<bool>(std::getline(std::cin, line));
}

bool readInt(std::istream& in, int& value) {
  value = 0;
  if (in >> value) return true;
  // On overflow the stream stores the largest or smallest int and fails;
  // when nothing could be converted it stores 0.
  if (value == 0) return false;
  in.clear(in.rdstate() & ~std::ios::failbit);
  return true;
}

bool isBlank(const std::string& line) {
  for (unsigned char c : line)
    if (!std::isspace(c)) return false;
  return true;
}

}  // namespace consoleInput
