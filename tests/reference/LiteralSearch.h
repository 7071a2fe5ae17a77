#pragma once
// The search written as the six plain nested loops, with no shortcut: the reference
// that the tests compare the production search against and the baseline of the
// benchmarks.

#include <array>
#include <optional>

#include "SearchSolutions.h"

namespace quenmar::reference {

// Counters N1..N4 of a message step.
using StepCounters = std::array<int, 4>;

// Runs the loops; when stopAt is given, the message step at exactly those counters
// answers stop (the operations' own MessageStep is still asked at every step before).
SearchResult LiteralSearch(const SearchInputs& inputs, SearchOperations& operations,
                           std::optional<StepCounters> stopAt = std::nullopt);

}  // namespace quenmar::reference
