#include "SearchParameters.h"

#include <cmath>
#include <limits>

#include "UctScore.h"

namespace {

struct Knob {
  const char* name;
  double* value;
  // Accepted range; an open lower end keeps the selection score's promise
  // that some child of a node scores above 0.
  double low;
  bool lowOpen;
  double high;
};

const Knob kKnobs[] = {
    {"exploration", &uct::policy.exploration, 0.0, true, 100.0},
    {"tie_value", &uct::policy.tieValue, 0.0, false, 1.0},
    {"unvisited", &uct::policy.unvisited, 0.0, true, std::numeric_limits<double>::infinity()},
    {"solver", &uct::policy.solver, 0.0, false, 1.0},
    {"first_search_share", &searchParameters().firstSearchShare, 0.0, false, 1.0},
};

}  // namespace

SearchParameters& searchParameters() {
  static SearchParameters parameters;
  return parameters;
}

bool setSearchParameter(std::string_view name, double value) {
  for (const Knob& knob : kKnobs) {
    if (name != knob.name) continue;
    if (std::isnan(value) || value < knob.low || (knob.lowOpen && value == knob.low)) return false;
    if (value > knob.high) return false;
    *knob.value = value;
    return true;
  }
  return false;
}

std::vector<std::string> searchParameterNames() {
  std::vector<std::string> names;
  for (const Knob& knob : kKnobs) names.emplace_back(knob.name);
  return names;
}
