#include "Usage.h"

#include <ostream>
#include <string>

#include "RecordFile.h"

#ifndef UTTT_VERSION
#error "UTTT_VERSION must be defined by the build"
#endif

void printUsage(std::ostream& out) {
  const std::string records = kRecordFileName;
  out << "Usage: uttt [--network] [-a | -s | -h | --help | --version]\n"
         "Ultimate tic-tac-toe against a computer that thinks by Monte-Carlo tree search.\n"
         "\n"
         "  uttt             play one game at the terminal: choose player 1 (X, moves\n"
         "                   first) or 2 (O), then the computer's thinking time in\n"
         "                   seconds (Enter keeps 3)\n"
         "  uttt --network   the same game against the computer guided by its value\n"
         "                   network as well as random playouts\n"
         "  uttt -s          the computer plays 20 games against itself and appends\n"
         "                   each game's moves to "
      << records
      << " (working directory)\n"
         "  uttt -a          read recorded games, one a line as in "
      << records
      << ",\n"
         "                   from standard input and show each final board and winner\n"
         "  uttt -h, --help  show this help\n"
         "  uttt --version   show the version\n"
         "The first argument that is one of -a, -s, -h, --help and --version picks\n"
         "what runs; --network counts for the game alone; any other argument is ignored.\n"
         "\n"
         "A move is two numbers, the quadrant then the cell, each 0-8 counted row by\n"
         "row from the top left: \"4 0\" is the top left cell of the centre quadrant.\n"
         "When the quadrant is forced, the cell alone will do. End of input (Ctrl-D)\n"
         "ends the game. Boards are in colour on a terminal unless NO_COLOR is set.\n";
  out.flush();
}

void printVersion(std::ostream& out) { out << "uttt " << UTTT_VERSION << std::endl; }
