#include "LiteralSearch.h"

#include <cmath>

namespace quenmar::reference {

SearchResult LiteralSearch(const SearchInputs& in, SearchOperations& ops,
                           std::optional<StepCounters> stopAt) {
  const TrainConfiguration& config = Configuration(in.configuration);
  SearchResult result;
  result.minTeeth = in.minTeeth;
  Teeth L = in.minTeeth, U = in.maxTeeth;
  if (config.family == Family::Single) {
    for (int g = 2; g < kGearCount; ++g) result.minTeeth[g] = L[g] = U[g] = 10;
  } else if (config.family == Family::Double) {
    U[4] = L[4];
    U[5] = L[5];
  }
  Teeth& n = result.counters;
  n = in.profileTeeth;
  for (n[0] = L[0]; n[0] <= U[0]; n[0]++) {
    for (n[1] = L[1]; n[1] <= U[1]; n[1]++) {
      for (n[2] = L[2]; n[2] <= U[2]; n[2]++) {
        for (n[3] = L[3]; n[3] <= U[3]; n[3]++) {
          const bool go = ops.MessageStep();
          if (!go || (stopAt && *stopAt == StepCounters{n[0], n[1], n[2], n[3]})) {
            result.stopped = true;
            return result;
          }
          for (n[4] = L[4]; n[4] <= U[4]; n[4]++) {
            for (n[5] = L[5]; n[5] <= U[5]; n[5]++) {
              const long long numerator = 1LL * n[3] * n[1] * n[5];
              const long long denominator = 1LL * n[4] * n[2] * n[0];
              const double r = double(numerator) / double(denominator);
              result.dCandidateReduction = r;
              if (std::fabs(in.targetReduction - r) > in.convergenceRange) continue;
              if (!PassesFilter(config, n)) continue;
              if (result.nSolutionsFound >= in.maxSolutions) return result;
              result.nSolutionsFound++;
              result.bNoSolution = false;
              TrainSolution solution;
              solution.dReduction = r;
              solution.dDifference = std::fabs(r - in.targetReduction);
              solution.nTeeth = n;
              ops.Output(solution);
            }
          }
        }
      }
    }
    result.nProgress =
        U[0] == L[0] ? 0 : int(100LL * (n[0] - L[0]) / (static_cast<long long>(U[0]) - L[0]));
    ops.Progress(result.nProgress);
  }
  return result;
}

}  // namespace quenmar::reference
