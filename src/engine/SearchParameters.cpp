#include "SearchParameters.h"

#include <cmath>

namespace {

struct Knob {
  const char* name;
  double SearchParameters::*field;
  double low;
  double high;
};

constexpr Knob kKnobs[] = {
    {"exploration", &SearchParameters::exploration, 0.0, 100.0},
    {"first_search_share", &SearchParameters::firstSearchShare, 0.0, 1.0},
};

}  // namespace

SearchParameters& searchParameters() {
  static SearchParameters parameters;
  return parameters;
}

bool setSearchParameter(std::string_view name, double value) {
  for (const Knob& knob : kKnobs) {
    if (name != knob.name) continue;
    if (!std::isfinite(value) || value < knob.low || value > knob.high) return false;
    searchParameters().*knob.field = value;
    return true;
  }
  return false;
}

std::vector<std::string> searchParameterNames() {
  std::vector<std::string> names;
  for (const Knob& knob : kKnobs) names.emplace_back(knob.name);
  return names;
}
