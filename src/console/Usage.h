#pragma once

#include <iosfwd>

// What `uttt --help` and `uttt --version` print.

// A short usage: the three modes, how to type a move and the record file.
void printUsage(std::ostream& out);
// The program's name and version, as one line.
void printVersion(std::ostream& out);
