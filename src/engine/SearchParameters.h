#pragma once

#include <string>
#include <string_view>
#include <vector>

// The tunable knobs of the search. The defaults are the values that measured
// matches chose (see the strength table in the README); tools such as the
// bot front end may override them by name to play tuning matches.
// The selection score's knobs live with the score itself (uct::policy in
// UctScore.h); these are the search driver's own.
struct SearchParameters {
  // Share of the thinking time spent on the first, broad search, which makes
  // the decision; the second search deepens the chosen move for reuse on the
  // next turn, and gets little: the first has already searched it most.
  double firstSearchShare = 0.97;
};

// The parameters every search reads. Change them only between searches.
SearchParameters& searchParameters();

// Sets the parameter called name to value. Returns false, changing nothing,
// for an unknown name or a value outside the parameter's range.
bool setSearchParameter(std::string_view name, double value);

// The names setSearchParameter accepts, for usage messages.
std::vector<std::string> searchParameterNames();
