// Times the planetary search against the plain loops of the reference (every row of the
// ranges: each arrangement, planet number and member's teeth, the conditions tested on
// each) in the same run and prints the ratio. The loops' time over the whole ranges is
// estimated from their rate on a slice (the outer members held at one value), measured
// here, and the engine's result on that slice is checked against theirs. With --quick,
// small ranges and only the check that both agree.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "DesignReference.h"

namespace {

using namespace quenmar;
using namespace quenmar::design;
using Clock = std::chrono::steady_clock;

template <typename Run>
auto Timed(double& seconds, Run run) {
  const Clock::time_point start = Clock::now();
  auto result = run();
  seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return result;
}

// The rows the reference's loops visit: nine arrangement numbers, the planet numbers,
// and each member's range (a Wolfrom train's sun also 0, for the carrier-driven).
double Rows(const DesignQuery& q) {
  const PlanetaryQuery& p = *q.planetary;
  double rows = 9.0 * (p.maxPlanets - p.minPlanets + 1);
  for (int m = 0; m < kPlanetaryMembers; ++m)
    if (p.maxTeeth[m] > 0) rows *= p.maxTeeth[m] - p.minTeeth[m] + 1 + (m == kSun && p.kind == PlanetaryKind::Wolfrom);
  return rows;
}

struct BenchCase {
  const char* name;
  DesignQuery query;
  std::vector<int> sliced;  // members held at their lowest teeth for the loops' rate
  double limit;             // seconds the search must stay under
};

DesignQuery Planetary(PlanetaryKind kind, std::array<int, kPlanetaryMembers> lo, std::array<int, kPlanetaryMembers> hi,
                      int minPlanets, int maxPlanets, Rational target) {
  DesignQuery q;
  PlanetaryQuery& p = q.planetary.emplace();
  p.kind = kind;
  p.minTeeth = lo;
  p.maxTeeth = hi;
  p.minPlanets = minPlanets;
  p.maxPlanets = maxPlanets;
  q.target = target;
  q.targetText = "t";
  q.sort = SortOrder::Difference;
  return q;
}

std::vector<BenchCase> Cases(bool quick) {
  const int top = quick ? 56 : 200;
  DesignQuery simple = Planetary(PlanetaryKind::Simple, {1, 1, 0, 1, 0}, {top, top, 0, top, 0}, 3, quick ? 4 : 6,
                                 Rational(15, 2));
  simple.planetary->held = simple.planetary->input = {Member::Sun, Member::Ring, Member::Carrier};
  simple.tolerance = Tolerance{Tolerance::Unit::Percent, Rational(1, 10), "0.1%"};
  const int planet = quick ? 16 : 60, ring = quick ? 45 : 150;
  DesignQuery split = Planetary(PlanetaryKind::Wolfrom, {8, 10, 10, 20, 20}, {quick ? 10 : 40, planet, planet, ring, ring},
                                3, 5, Rational(quick ? 60 : 500));
  split.best = 10;
  // The same with profile shift bridging rings a few teeth from Zs + 2 Zp; the loops'
  // rate from the slice of the smallest sun.
  DesignQuery shifted = simple;
  shifted.planetary->maxShiftMillis = 1000;
  return {{"simple sets of 7.5 within 0.1%, every sun, planet and ring up to 200 teeth, 3..6 planets, "
           "every held member and input", simple, {}, 1},
          {"the same with --profile-shift (up to 1 per gear)", shifted, {kSun}, 1},
          {"the 10 split-ring sets closest to 500, sun 8..40, planets 10..60 each, rings up to 150, 3..5 planets",
           split, {kSun, kPlanet}, 30}};
}

bool RunCase(const BenchCase& c, bool quick) {
  double engineSeconds = 0, literalSeconds = 0;
  DesignOperations ops;
  const DesignResult engine = Timed(engineSeconds, [&] { return RunDesignSearch(c.query, ops); });
  std::string disagreement, how = "measured";
  if (quick) {
    disagreement = reference::Mismatch(engine, Timed(literalSeconds, [&] { return reference::ReferenceSearch(c.query); }));
  } else {
    DesignQuery slice = c.query;
    for (int m : c.sliced) slice.planetary->maxTeeth[m] = slice.planetary->minTeeth[m];
    slice.planetary->maxPlanets = slice.planetary->minPlanets;
    double sliceSeconds = 0, sliceEngine = 0;
    const DesignResult sliced = Timed(sliceEngine, [&] { return RunDesignSearch(slice, ops); });
    disagreement = reference::Mismatch(sliced, Timed(sliceSeconds, [&] { return reference::ReferenceSearch(slice); }));
    literalSeconds = sliceSeconds * Rows(c.query) / Rows(slice);
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "estimated from %.3g rows in %.2f s", Rows(slice), sliceSeconds);
    how = buffer;
  }
  std::printf("%s\n  %.3g rows, %zu trains listed\n", c.name, Rows(c.query), engine.trains.size());
  if (!disagreement.empty()) std::printf("  DISAGREES with the literal loops: %s\n", disagreement.c_str());
  if (quick) return disagreement.empty();
  std::printf("  planetary search %.3f s (under %.0f s: %s), literal loops %.1f s (%s)\n  ratio %.3g\n", engineSeconds,
              c.limit, engineSeconds < c.limit ? "met" : "NOT MET", literalSeconds, how.c_str(),
              literalSeconds / engineSeconds);
  return disagreement.empty();
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  bool ok = true;
  for (const BenchCase& c : Cases(quick)) ok = RunCase(c, quick) && ok;
  return ok ? 0 : 1;
}
