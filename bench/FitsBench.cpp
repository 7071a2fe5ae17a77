// Times design searches with --fits (every gear clear of the shafts it does not sit on)
// against the same searches without it, in the same run, and prints the ratio: the
// geometric conditions must cost at most 20%. Listings are checked on the way: with
// --fits they list exactly the trains of the plain run that fit. With --quick, small
// queries and only that check.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "DesignSearch.h"
#include "TrainGeometry.h"

namespace {

using namespace quenmar;
using namespace quenmar::design;
using Clock = std::chrono::steady_clock;

DesignResult Run(const DesignQuery& q, double& seconds) {
  DesignOperations ops;
  const Clock::time_point start = Clock::now();
  DesignResult r = RunDesignSearch(q, ops);
  seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return r;
}

struct Case {
  const char* name;
  DesignQuery query;  // without --fits; the geometry (module, shafts) as the fitting run has it
};

std::vector<Case> Cases(bool quick) {
  std::vector<Case> cases;
  DesignQuery pi;
  pi.stages = 4;
  pi.minTeeth.assign(8, 10);
  pi.maxTeeth.assign(8, quick ? 30 : 100);
  pi.target = Rational(314159265358979, 100000000000000);
  pi.best = 10;
  pi.sort = SortOrder::Difference;
  pi.geometry.enabled = true;
  cases.push_back({"best 10 four-stage trains for pi, every gear 10..100", pi});

  DesignQuery clock;
  clock.stages = 3;
  clock.minTeeth = {8, 30, 8, 30, 8, 30};
  clock.maxTeeth = {30, quick ? 60 : 200, 30, quick ? 60 : 200, 30, quick ? 60 : 200};
  clock.target = Rational(314159265, 1000000);
  clock.tolerance = Tolerance{Tolerance::Unit::Ppm, Rational(quick ? 5000 : 1), quick ? "5000ppm" : "1ppm"};
  clock.maxSolutions = kMostTrains;
  clock.geometry.enabled = true;
  clock.geometry.modules = {{1, 2}};
  clock.geometry.shafts = {2};
  cases.push_back({"every three-stage clock train for 314.159265 within 1 ppm, module 0.5", clock});
  return cases;
}

bool RunCase(const Case& c, bool quick) {
  DesignQuery fitting = c.query;
  fitting.geometry.fits = true;
  double plainSeconds = 0, fitsSeconds = 0;
  const DesignResult plain = Run(c.query, plainSeconds);
  const DesignResult fits = Run(fitting, fitsSeconds);
  bool agree = true;
  if (c.query.best == 0) {
    const geometry::TrainRules rules(fitting.geometry, StageCount(fitting));
    std::vector<std::vector<int>> expected, listed;
    for (const DesignTrain& t : plain.trains)
      if (rules.Fits(t.teeth.data())) expected.push_back(t.teeth);
    for (const DesignTrain& t : fits.trains) listed.push_back(t.teeth);
    agree = expected == listed;
  }
  std::printf("%s\n  %zu trains listed, %zu with --fits\n", c.name, plain.trains.size(), fits.trains.size());
  if (!agree) std::printf("  DISAGREES: --fits does not list the fitting trains of the plain run\n");
  if (quick) return agree;
  const double ratio = fitsSeconds / plainSeconds;
  std::printf("  without --fits %.3f s, with --fits %.3f s\n  ratio %.3f (at most 1.2: %s)\n", plainSeconds,
              fitsSeconds, ratio, ratio <= 1.2 ? "met" : "NOT MET");
  return agree;
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  bool ok = true;
  for (const Case& c : Cases(quick)) ok = RunCase(c, quick) && ok;
  return ok ? 0 : 1;
}
