#pragma once
// The exhaustive search for gear trains near a target reduction.
//
// The result is defined by six nested loops over the counters N1..N6 (N1 outermost,
// each ascending from its lower to its upper bound): every combination's reduction R
// is tested against target +/- range, then against the configuration's ties and
// exclusion, then against the cap. SearchSolutions hands on exactly the trains those
// loops hand on, in the same order, and leaves the same state behind, but skips the
// combinations that cannot pass.
//
// Nothing here is global: the inputs are copied in and the operations are the only
// way results come out, so a search may run on a worker thread.

#include <cstdint>

#include "TrainConfiguration.h"

namespace quenmar {

struct SearchInputs {
  int configuration;        // 0..6
  Teeth minTeeth, maxTeeth; // per gear; the family decides which are searched
  double targetReduction;
  double convergenceRange;
  int maxSolutions;         // the search ends at the first accepted train beyond this many
  Teeth profileTeeth;       // the counters' values before the run
};

class SearchOperations {
 public:
  virtual ~SearchOperations() = default;
  // Polled before some values of N4 (never more often than once per value of the
  // N1..N4 combination); false stops the search at once.
  virtual bool MessageStep() = 0;
  // After each value of N1: 100 * (N1 - L1) / (U1 - L1), truncated; 0 when L1 = U1.
  virtual void Progress(int position) = 0;
  // Once per accepted train, in ascending order of (N1, ..., N6).
  virtual void Output(const TrainSolution& solution) = 0;
  // Work units (combinations confirmed, table entries swept) done since the previous
  // message step; called just before each message step. For measuring how promptly a
  // stop is noticed; the default ignores it.
  virtual void WorkSinceLastStep(std::int64_t /*units*/) {}
};

struct SearchResult {
  int nSolutionsFound = 0;
  bool bNoSolution = true;
  bool stopped = false;        // a message step answered stop
  int nProgress = 0;           // the last position reported (0 if none)
  Teeth counters{};            // where the loops leave N1..N6 (the profile after the run)
  Teeth minTeeth{};            // minima after the run (the single family sets N3..N6 to 10)
  double dCandidateReduction = 0.0;  // R of the last combination examined (0 if none)
};

// Bounds per family: single searches N1 and N2 with N3..N6 held at 10 (and sets their
// minima to 10); double holds N5 and N6 at their minima; triple searches all six.
// Teeth counts should lie in 1..500 as the form limits them; other inputs are still
// handled exactly, only without the shortcuts.
SearchResult SearchSolutions(const SearchInputs& inputs, SearchOperations& operations);

// The form's configuration switch for unused gears: minimum 10 for every gear the
// family does not use (N3..N6 single, N5..N6 double, none for triple).
void ApplyDummyTeeth(int configuration, Teeth& minTeeth);

namespace detail {
// Knobs of the shortcuts, so tests can drive every path on small inputs.
struct SearchTuning {
  std::int64_t maxTableEntries = std::int64_t{1} << 20;  // larger ratio tables are not built
  std::int64_t candidateBudget = std::int64_t{1} << 14;  // per (N1, N2) before falling back
};
SearchResult SearchSolutionsTuned(const SearchInputs& inputs, SearchOperations& operations,
                                  const SearchTuning& tuning);
}  // namespace detail

}  // namespace quenmar
