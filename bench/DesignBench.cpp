// Times the design search against the plain nested loops on the same queries in the
// same run and prints the ratio. Where the loops would take hours, their time is
// estimated from their rate on a slice of the same query (the outer gears held at one
// value), measured here, and the engine's result on that slice is checked against
// theirs. Then the times of searches beyond any loops (five and six stages, gear sets
// straight from products) and the gain of a second thread (alone with --speed). With
// --quick, small queries and only the check that both agree.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "DesignReference.h"

namespace {

using namespace quenmar;
using namespace quenmar::design;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// A run of the engine or of the reference (the plain loops over exact rationals, which
// test every combination: the baseline) and how long it took.
template <typename Run>
auto Timed(double& seconds, Run run) {
  const Clock::time_point start = Clock::now();
  auto result = run();
  seconds = Seconds(Clock::now() - start);
  return result;
}

DesignResult RunEngine(const DesignQuery& q, double& seconds) {
  DesignOperations ops;
  return Timed(seconds, [&] { return RunDesignSearch(q, ops); });
}

reference::Expected RunLiteral(const DesignQuery& q, double& seconds) {
  return Timed(seconds, [&] { return reference::ReferenceSearch(q); });
}

double Combinations(const DesignQuery& q) {
  double n = 1;
  for (int g = 0; g < GearCount(q); ++g) n *= q.maxTeeth[g] - q.minTeeth[g] + 1;
  return n;
}

struct BenchCase {
  const char* name;
  DesignQuery query;
  int sliceGears;  // outer gears held at their lowest value to measure the loops' rate
  double floor;    // the ratio the engine must reach
};

DesignQuery Query(int configuration, int stages, std::vector<int> lo, std::vector<int> hi,
                  Fraction target, std::optional<Tolerance> tolerance) {
  DesignQuery q;
  q.configuration = configuration;
  q.stages = stages;
  q.minTeeth = std::move(lo);
  q.maxTeeth = std::move(hi);
  q.target = target;
  q.tolerance = std::move(tolerance);
  q.sort = SortOrder::Difference;
  return q;
}

std::vector<int> Alternate(int n, int driverLo, int drivenLo) {
  std::vector<int> v;
  for (int g = 0; g < n; ++g) v.push_back(g % 2 == 0 ? driverLo : drivenLo);
  return v;
}

std::vector<BenchCase> Cases(bool quick) {
  // The quick checks widen the range and change the motion work's target, so that the
  // small queries list trains to compare.
  const Tolerance ppm1 = quick ? Tolerance{Tolerance::Unit::Percent, Fraction{1, 2}, "0.5%"}
                               : Tolerance{Tolerance::Unit::Ppm, Fraction{1, 1}, "1ppm"};
  const Tolerance exact{Tolerance::Unit::Absolute, Fraction{0, 1}, "0"};
  std::vector<BenchCase> cases;
  const int top = quick ? 12 : 500;
  DesignQuery pi = Query(kTripleReductionIndex, 0, std::vector<int>(6, 1), std::vector<int>(6, top),
                         Reduced(314159265358979, 100000000000000), std::nullopt);
  pi.best = 10;
  cases.push_back({"best 10 triple trains for pi, every gear 1..500", pi, 3, 5e5});

  DesignQuery clock = Query(kTripleReductionIndex, 0, Alternate(6, 8, 30),
                            Alternate(6, quick ? 14 : 30, quick ? 60 : 200), Reduced(314159265, 1000000), ppm1);
  clock.distinct = Distinct::Gears;
  cases.push_back({"distinct gear sets of a triple clock train, 314.159265 within 1 ppm", clock, 2, 100});

  DesignQuery year = Query(0, 4, Alternate(8, 7, 40), Alternate(8, quick ? 10 : 20, quick ? 55 : 150),
                           Reduced(3652422, 10000), ppm1);
  year.distinct = Distinct::Gears;
  cases.push_back({"distinct gear sets of four stages, 365.2422 within 1 ppm", year, 3, 1e4});

  DesignQuery motion = Query(1, 0, std::vector<int>(6, 12),
                             {quick ? 60 : 150, quick ? 60 : 150, quick ? 60 : 150, quick ? 60 : 150, 12, 12},
                             quick ? Fraction{112, 45} : Fraction{12, 1}, exact);
  motion.minTeeth[4] = motion.minTeeth[5] = 10;
  motion.huntingTooth = motion.coaxial = true;
  cases.push_back({"hunting-tooth coaxial double trains of 12, every gear 12..150", motion, 0, 100});
  return cases;
}

bool RunCase(const BenchCase& c, bool quick) {
  double engineSeconds = 0, literalSeconds = 0;
  const DesignResult engine = RunEngine(c.query, engineSeconds);
  const double total = Combinations(c.query);
  std::string disagreement, how = "measured";
  if (quick || c.sliceGears == 0) {
    disagreement = reference::Mismatch(engine, RunLiteral(c.query, literalSeconds));
  } else {
    DesignQuery slice = c.query;
    for (int g = 0; g < c.sliceGears; ++g) slice.maxTeeth[g] = slice.minTeeth[g];
    double sliceSeconds = 0, sliceEngineSeconds = 0;
    disagreement = reference::Mismatch(RunEngine(slice, sliceEngineSeconds), RunLiteral(slice, sliceSeconds));
    const double sliceCombinations = Combinations(slice);
    literalSeconds = sliceSeconds * total / sliceCombinations;
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "estimated from %.3g combinations in %.2f s", sliceCombinations, sliceSeconds);
    how = buffer;
  }
  std::printf("%s\n  %.3g combinations, %zu trains listed\n", c.name, total, engine.trains.size());
  if (!disagreement.empty()) std::printf("  DISAGREES with the literal loops: %s\n", disagreement.c_str());
  if (quick) return disagreement.empty();
  const double ratio = literalSeconds / engineSeconds;
  std::printf("  design search %.3f s, literal loops %.1f s (%s)\n  ratio %.3g (at least %.3g: %s)\n",
              engineSeconds, literalSeconds, how.c_str(), ratio, c.floor, ratio >= c.floor ? "met" : "NOT MET");
  return disagreement.empty();
}

// Free trains of `stages` stages, every gear lo..hi, the closest to pi.
DesignQuery PiStages(int stages, int lo, int hi, int best, Distinct distinct) {
  DesignQuery q = Query(0, stages, std::vector<int>(2 * stages, lo), std::vector<int>(2 * stages, hi),
                        Reduced(314159265358979, 100000000000000), std::nullopt);
  q.best = best;
  q.distinct = distinct;
  return q;
}

DesignResult OnThreads(const DesignQuery& q, int threads, double& seconds) {
  DesignOperations ops;
  return Timed(seconds, [&] { return RunDesignSearch(q, ops, nullptr, threads); });
}

// The times of the searches that the loops could never finish (no ratio: the reference
// would take days), each against what it should stay under, and what a second core
// gains on a search of more than ten seconds on one.
bool SpeedFigures() {
  struct Timing {
    const char* name;
    DesignQuery query;
    double under;  // seconds
  };
  DesignQuery clock = Query(0, 3, Alternate(6, 8, 30), Alternate(6, 30, 200), Reduced(314159265, 1000000),
                            Tolerance{Tolerance::Unit::Ppm, Fraction{1, 1}, "1ppm"});
  clock.distinct = Distinct::Gears;
  const std::vector<Timing> timings = {
      {"five stages, every gear 10..100, best 10 distinct gear sets for pi", PiStages(5, 10, 100, 10, Distinct::Gears), 3},
      {"six stages, every gear 10..100, the best train for pi", PiStages(6, 10, 100, 1, Distinct::None), 120},
      {"gear sets of three stages, drivers 8..30, driven 30..200, 314.159265 within 1 ppm", clock, 0.1},
  };
  for (const Timing& t : timings) {
    double seconds = 0;
    const DesignResult r = OnThreads(t.query, 0, seconds);
    std::printf("%s\n  %zu train(s), %.3f s on every core (under %g s: %s)\n", t.name, r.trains.size(), seconds, t.under,
                seconds < t.under ? "met" : "NOT MET");
  }
  const DesignQuery wide = PiStages(5, 10, 150, 10, Distinct::Gears);
  double one = 0, two = 0;
  const DesignResult a = OnThreads(wide, 1, one), b = OnThreads(wide, 2, two);
  const bool same = std::equal(a.trains.begin(), a.trains.end(), b.trains.begin(), b.trains.end(),
                               [](const DesignTrain& x, const DesignTrain& y) {
                                 return x.teeth == y.teeth && x.variants == y.variants;
                               });
  std::printf("five stages, every gear 10..150, best 10 distinct gear sets for pi\n  one thread %.2f s, two %.2f s: "
              "ratio %.2f (at least 1.7: %s)%s\n",
              one, two, one / two, one / two >= 1.7 ? "met" : "NOT MET", same ? "" : "; the two DISAGREE");
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  const bool speedOnly = argc > 1 && std::strcmp(argv[1], "--speed") == 0;
  bool ok = true;
  if (!speedOnly)
    for (const BenchCase& c : Cases(quick)) ok = RunCase(c, quick) && ok;
  if (!quick) ok = SpeedFigures() && ok;
  return ok ? 0 : 1;
}
