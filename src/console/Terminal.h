#pragma once

// Whether the program's output may carry ANSI colour codes.
namespace terminal {

// The rule, given the facts: colour only on a terminal, and not when the
// NO_COLOR variable holds a non-empty value or TERM says "dumb". Null stands
// for an unset variable.
bool wantsColour(bool isTerminal, const char* noColor, const char* term);

// The rule applied to this process's standard output and environment.
bool stdoutWantsColour();

}  // namespace terminal
