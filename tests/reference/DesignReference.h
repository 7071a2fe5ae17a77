#pragma once
// The design search written the plain way, as the reference of every test, benchmark and
// fuzz target: the nested loops over each gear's own range (N1 outermost, each
// ascending), every filter tested on each combination, and acceptance and ranking with
// exact GMP rationals. It shares nothing with the engine but the public types, the
// configuration table and the row text, so that the two can only agree by both being
// right. Slow by design, except that a reduction is placed against the bounds of the
// acceptable band with 128-bit integers before GMP is asked, so that benchmark slices
// and the larger cases of the tests take seconds, not hours.

#include <gmpxx.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "DesignSearch.h"

namespace quenmar::reference {

using design::DesignQuery;
using design::DesignResult;
using design::DesignTrain;

// Calls visit(teeth, num, den) for every combination of the query's gears in loop order,
// where teeth holds N1..Nk and num/den is the train's reduction, unreduced (N5 and N6 of
// a double count at their minima); visit returns false to end the loops. No filter is
// applied: the loops and nothing else, for benchmarks' baselines and for the reference.
// With ownedOnly, a gear takes only the counts among the owned gears (when the query has
// any), since no train with another count can pass.
template <typename Visit>
void VisitLiteralLoops(const DesignQuery& query, Visit&& visit, bool ownedOnly = false);

// Every filter of the query but the tolerance, on one train N1..Nk: the configuration's
// ties and exclusion, the owned multiset, hunting teeth and coaxial stages.
bool PassesFilters(const DesignQuery& query, const int* teeth);

mpq_class Exact(const design::Rational& r);
// The reduction of N1..Nk, exactly (with N5 and N6 of a double at their minima).
mpq_class ReductionOf(const DesignQuery& query, const std::vector<int>& teeth);
// A train of the loops: within the ranges, through every filter and within the tolerance.
bool Qualifies(const DesignQuery& query, const std::vector<int>& teeth);
// The train of N1..Nk as the search reports it, each double the exact value rounded once.
DesignTrain MakeTrain(const DesignQuery& query, const std::vector<int>& teeth);
// The class of a train for the query's distinct kind; empty when there is none.
std::vector<int> ClassKey(const DesignQuery& query, const std::vector<int>& teeth);
// Puts trains into the query's order: loop order, row text, or exact difference (ties
// in loop order, which is the order of the teeth as words).
void Arrange(const DesignQuery& query, std::vector<DesignTrain>& trains);

struct Expected {
  std::vector<DesignTrain> trains;     // the result, in the query's order
  std::vector<DesignTrain> loopOrder;  // a listing's trains in loop order (what Listed hands on)
  design::DesignOutcome outcome = design::DesignOutcome::NoConvergence;
};
// What the contract in DesignSearch.h says a run of the query returns.
Expected ReferenceSearch(const DesignQuery& query);

// The first way a finished result differs from the expected one (teeth, reduction,
// variants, side, the rounded reduction and difference, outcome), or "" when none does.
std::string Mismatch(const DesignResult& result, const Expected& expected);
// The same for a run that may have been stopped: a listing must then be the first trains
// of the whole in loop order (arranged in the query's order), the best K real trains of
// the query, each class once, in order and no more than asked for.
std::string StoppedMismatch(const DesignQuery& query, const DesignResult& result,
                            const Expected& expected);

// The query in one line, for failure messages.
std::string Describe(const DesignQuery& query);

// A small random query whose loops stay within some tens of thousands of combinations,
// drawn with pick(lo, hi) (a value within lo..hi): every configuration and free trains
// of 1..6 stages, narrow or spread ranges, targets near a train, on it, far above or
// below every reduction or with more digits than 64 bits hold, tolerances in every
// unit, some ending exactly on a train, best K with ties at the K-th place, caps,
// sort orders, distinct kinds, owned gears with repeats, hunting teeth and coaxial.
using Pick = std::function<std::int64_t(std::int64_t lo, std::int64_t hi)>;
DesignQuery RandomQuery(const Pick& pick);

// Planetary trains (query.planetary), each written out plainly (PlanetaryReference.cpp):
// the rows of the ranges in loop order with their reductions (rows whose output cannot
// turn are left out), every condition of the query but the tolerance, a row's reduction
// and its planets' meshing phase ("in phase", "counter-phase", "sequential"), and a
// small random planetary query of any kind and options. ReferenceSearch and the
// functions above take planetary queries through these.
void VisitPlanetaryLoops(const DesignQuery& query,
                         const std::function<bool(const int*, std::uint64_t, std::uint64_t)>& visit);
bool PlanetaryPasses(const DesignQuery& query, const int* teeth);
std::optional<mpq_class> PlanetaryReductionOf(const DesignQuery& query, const std::vector<int>& teeth);
std::string PlanetaryPhase(const DesignQuery& query, const std::vector<int>& teeth);
DesignQuery RandomPlanetaryQuery(const Pick& pick);
// A small random simple query with profile shift (0 to 2 per gear).
DesignQuery RandomShiftedQuery(const Pick& pick);

// ---------------------------------------------------------------------------------------

namespace detail {

// N5 and N6 of a double, held at their minima: factors of the reduction only.
struct Fixed {
  std::uint64_t driver = 1, driven = 1;
  explicit Fixed(const DesignQuery& query);
};

struct LoopGears {
  int gears = 0;
  std::array<std::vector<int>, design::kMaxGears> values;  // each gear's counts, ascending
  Fixed fixed;
  LoopGears(const DesignQuery& query, bool ownedOnly);
};

template <typename Visit>
bool Loop(const LoopGears& gears, int g, std::array<int, design::kMaxGears>& teeth,
          std::uint64_t num, std::uint64_t den, Visit& visit) {
  for (const int v : gears.values[g]) {
    teeth[g] = v;
    const auto n = static_cast<std::uint64_t>(v);
    const std::uint64_t nextNum = g % 2 == 1 ? num * n : num, nextDen = g % 2 == 0 ? den * n : den;
    if (g == gears.gears - 1 ? !visit(static_cast<const int*>(teeth.data()), nextNum, nextDen)
                             : !Loop(gears, g + 1, teeth, nextNum, nextDen, visit))
      return false;
  }
  return true;
}

}  // namespace detail

template <typename Visit>
void VisitLiteralLoops(const DesignQuery& query, Visit&& visit, bool ownedOnly) {
  const detail::LoopGears gears(query, ownedOnly);
  std::array<int, design::kMaxGears> teeth{};
  if (gears.gears > 0) detail::Loop(gears, 0, teeth, gears.fixed.driven, gears.fixed.driver, visit);
}

}  // namespace quenmar::reference
