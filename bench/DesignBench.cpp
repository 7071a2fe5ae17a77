// Times the design search against the plain nested loops on the same queries in the
// same run and prints the ratio. Where the loops would take hours, their time is
// estimated from their rate on a slice of the same query (the outer gears held at one
// value), measured here, and the engine's result on that slice is checked against
// theirs. With --quick, small queries and only the check that both agree.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "DesignEngine.h"
#include "Exact.h"
#include "LiteralDesignLoops.h"

namespace {

using namespace quenmar;
using namespace quenmar::design;
using detail::u128;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Listed {
  std::vector<int> teeth;
  std::int64_t variants;
  friend bool operator==(const Listed&, const Listed&) = default;
};

// a * b <= c * d for the loops' exact tests, by 128-bit products where they fit.
bool AtMost(u128 a, u128 b, u128 c, u128 d) {
  u128 l = 0, r = 0;
  if (__builtin_mul_overflow(a, b, &l) || __builtin_mul_overflow(c, d, &r))
    return detail::CompareQuotients(a, d, c, b) <= 0;
  return l <= r;
}

// The literal loops with the query's contract on top: every combination tested exactly,
// the filters on those within range, then the K closest or the listed trains (one per
// class when distinct) in the query's order. Difference order only: the benchmark's
// queries sort by difference.
struct LiteralRun {
  std::vector<Listed> trains;
  double combinations = 0;
  double seconds = 0;
};

LiteralRun RunLiteral(const DesignQuery& q) {
  const reference::LiteralDesignGears gears(q);
  struct Kept {
    std::vector<int> teeth;
    u128 diff;
    std::uint64_t den;
    std::int64_t variants;
  };
  std::vector<Kept> kept;
  std::map<std::vector<int>, std::size_t> classes;
  const u128 p = q.target.AsFraction()->num, qd = q.target.AsFraction()->den;
  const Clock::time_point start = Clock::now();
  double combinations = 0;
  const auto classOf = [&](const int* t) {
    std::vector<int> drivers, driven;
    for (int s = 0; s < gears.stages; ++s) {
      drivers.push_back(t[2 * s]);
      driven.push_back(t[2 * s + 1]);
    }
    std::sort(drivers.begin(), drivers.end());
    std::sort(driven.begin(), driven.end());
    drivers.push_back(0);
    drivers.insert(drivers.end(), driven.begin(), driven.end());
    return drivers;
  };
  reference::LiteralDesignLoops(gears, [&](const int* t, std::uint64_t num, std::uint64_t den) {
    combinations += 1;
    const u128 a = u128{num} * qd, b = p * den;
    const u128 diff = a > b ? a - b : b - a;
    if (q.tolerance) {
      const Tolerance& tol = *q.tolerance;
      const bool within =
          tol.unit == Tolerance::Unit::Absolute
              ? AtMost(diff, tol.amount.AsFraction()->den, tol.amount.AsFraction()->num, u128{den} * qd)
              : AtMost(diff, u128{tol.amount.AsFraction()->den} * (tol.unit == Tolerance::Unit::Ppm ? 1000000 : 100),
                       u128{tol.amount.AsFraction()->num} * p, den);
      if (!within) return true;
    }
    if (q.best > 0 && kept.size() == static_cast<std::size_t>(q.best) &&
        !AtMost(diff, kept.back().den, kept.back().diff, den))
      return true;
    if (!reference::PassesDesignFilters(q, gears, t)) return true;
    if (q.distinct == Distinct::Gears) {
      const auto [at, fresh] = classes.emplace(classOf(t), kept.size());
      if (!fresh) {
        if (at->second < kept.size()) ++kept[at->second].variants;
        return true;
      }
    }
    Kept k{std::vector<int>(t, t + gears.gears), diff, den, 1};
    if (q.best == 0) {
      kept.push_back(k);
      return true;
    }
    // Sorted by difference, ties in loop order: a new train goes after its equals.
    const auto at = std::upper_bound(kept.begin(), kept.end(), k, [](const Kept& x, const Kept& y) {
      return detail::CompareQuotients(x.diff, x.den, y.diff, y.den) < 0;
    });
    kept.insert(at, k);
    if (kept.size() > static_cast<std::size_t>(q.best)) kept.pop_back();
    return true;
  });
  LiteralRun run;
  run.seconds = Seconds(Clock::now() - start);
  run.combinations = combinations;
  if (q.best == 0)
    std::stable_sort(kept.begin(), kept.end(), [](const Kept& x, const Kept& y) {
      return detail::CompareQuotients(x.diff, x.den, y.diff, y.den) < 0;
    });
  for (const Kept& k : kept) run.trains.push_back(Listed{k.teeth, k.variants});
  return run;
}

std::vector<Listed> RunEngine(const DesignQuery& q, double& seconds) {
  DesignOperations ops;
  const Clock::time_point start = Clock::now();
  const DesignResult r = RunDesignSearch(q, ops);
  seconds = Seconds(Clock::now() - start);
  std::vector<Listed> out;
  for (const DesignTrain& t : r.trains) out.push_back(Listed{t.teeth, t.variants});
  return out;
}

double Combinations(const DesignQuery& q) {
  const reference::LiteralDesignGears gears(q);
  double n = 1;
  for (int g = 0; g < gears.gears; ++g) n *= gears.hi[g] - gears.lo[g] + 1;
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
  double engineSeconds = 0;
  const std::vector<Listed> engine = RunEngine(c.query, engineSeconds);
  const double total = Combinations(c.query);
  bool agree = true;
  double literalSeconds = 0;
  std::string how = "measured";
  if (quick || c.sliceGears == 0) {
    const LiteralRun literal = RunLiteral(c.query);
    agree = literal.trains == engine;
    literalSeconds = literal.seconds;
  } else {
    DesignQuery slice = c.query;
    for (int g = 0; g < c.sliceGears; ++g) slice.maxTeeth[g] = slice.minTeeth[g];
    const LiteralRun literal = RunLiteral(slice);
    double sliceEngineSeconds = 0;
    agree = literal.trains == RunEngine(slice, sliceEngineSeconds);
    literalSeconds = literal.seconds * total / literal.combinations;
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "estimated from %.3g combinations in %.2f s", literal.combinations,
                  literal.seconds);
    how = buffer;
  }
  std::printf("%s\n  %.3g combinations, %zu trains listed\n", c.name, total, engine.size());
  if (!agree) std::printf("  DISAGREES with the literal loops\n");
  if (quick) return agree;
  const double ratio = literalSeconds / engineSeconds;
  std::printf("  design search %.3f s, literal loops %.1f s (%s)\n  ratio %.3g (at least %.3g: %s)\n",
              engineSeconds, literalSeconds, how.c_str(), ratio, c.floor, ratio >= c.floor ? "met" : "NOT MET");
  return agree;
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  bool ok = true;
  for (const BenchCase& c : Cases(quick)) ok = RunCase(c, quick) && ok;
  return ok ? 0 : 1;
}
