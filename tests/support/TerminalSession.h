#pragma once

#include <string>
#include <vector>

#include "ProcessRunner.h"

// Runs the executable at path with argv as a person's terminal would: its
// standard input, output and error are all one pseudo-terminal. out gets
// everything the terminal shows (the echo of the typed input included, line
// ends as "\r\n"); err stays empty. options.input is typed once the program
// has written something; "\x04" at the start of a line ends the input.
// options.cwd, environment and timeout apply; the other options do not.
SessionResult runInTerminal(const std::string& path, const std::vector<std::string>& argv,
                            const ProcessOptions& options);
