// scoreprobe: shows how a child's UCT selection score moves as its win and
// visit counts change, for a parent with two million visits.

#include <cmath>
#include <cstdint>
#include <iostream>

// wins / visits + sqrt(2 ln(parentVisits) / visits).
double calculateUCT(std::int32_t wins, std::int32_t visits, std::int32_t parentVisits) {
  return static_cast<double>(wins) / visits +
         std::sqrt(2.0 * std::log(static_cast<double>(parentVisits)) / visits);
}

// Size of the score's change per additional visit:
// (wins + sqrt(visits) * sqrt(ln(parentVisits) / 2)) / visits^2.
double numVisitsDerivative(std::int32_t wins, std::int32_t visits, std::int32_t parentVisits) {
  const std::int32_t squared = visits * visits;
  return (wins + std::sqrt(static_cast<double>(visits)) *
                     std::sqrt(std::log(static_cast<double>(parentVisits)) / 2.0)) /
         squared;
}

int main() {
  constexpr std::int32_t kParentVisits = 2000000;
  const double first = calculateUCT(1, 1, kParentVisits);
  const double second = calculateUCT(1, 2, kParentVisits);
  const double third = calculateUCT(2, 2, kParentVisits);
  std::cout << first << std::endl;
  std::cout << "  + " << second - first << " = " << second << std::endl;
  std::cout << "  + " << third - first << " = " << third << std::endl << std::endl;
  std::cout << numVisitsDerivative(1, 1, kParentVisits) << std::endl;
  std::cout << numVisitsDerivative(1, 2, kParentVisits) << std::endl;
  std::cout << numVisitsDerivative(2, 2, kParentVisits) << std::endl;
  return 0;
}
