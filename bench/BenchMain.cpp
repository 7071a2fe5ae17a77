// Times the search against the literal nested loops on the same inputs in the same run
// and prints the ratio. Where the loops would run for days, their time is estimated from
// their rate over a slice of the same enumeration, measured in the same run. Times are
// this thread's processor time, so other work on a shared machine does not skew the
// ratio. With --quick, smaller inputs and only a check that both agree.

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "LiteralSearch.h"
#include "SearchSolutions.h"
#include "SolutionRow.h"

namespace {

using namespace quenmar;

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// What the window does with a run: poll, move the bar, format every row. With a step
// limit it answers stop at that message step, so the loops run only a slice.
class RowCollector : public SearchOperations {
 public:
  explicit RowCollector(Family family, long long stopAtStep = 0)
      : family_(family), stopAtStep_(stopAtStep) {}
  bool MessageStep() override { return ++steps != stopAtStep_; }
  void Progress(int position) override { progress.push_back(position); }
  void Output(const TrainSolution& solution) override {
    rows.push_back(FormatSolutionRow(family_, solution));
  }
  long long steps = 0;
  std::vector<int> progress;
  std::vector<std::string> rows;

 private:
  Family family_;
  long long stopAtStep_;
};

struct BenchCase {
  const char* name;
  int configuration;
  int lo, hi;  // every gear
  double target, range;
  int cap;
  double floor;  // the ratio the production search must reach
  // 0: the loops run whole. Otherwise they run this many message steps and their time
  // is estimated from that slice's rate; the search is then checked against itself
  // without its tables, which the differential tests hold to the loops.
  long long sampleSteps = 0;
};

bool SameResult(const SearchResult& a, const SearchResult& b) {
  return a.nSolutionsFound == b.nSolutionsFound && a.bNoSolution == b.bNoSolution &&
         a.stopped == b.stopped && a.nProgress == b.nProgress && a.counters == b.counters &&
         a.minTeeth == b.minTeeth &&
         std::memcmp(&a.dCandidateReduction, &b.dCandidateReduction, sizeof(double)) == 0;
}

// Combinations the loops examine: the product of the searched ranges.
double Combinations(const SearchInputs& in) {
  Teeth lo = in.minTeeth, hi = in.maxTeeth;
  const Family family = Configuration(in.configuration).family;
  double product = 1;
  for (int g = 0; g < kGearCount; ++g) {
    const bool held = (family == Family::Single && g >= 2) || (family == Family::Double && g >= 4);
    product *= held ? 1.0 : static_cast<double>(hi[g] - lo[g] + 1);
  }
  return product;
}

bool RunCase(const BenchCase& c) {
  Teeth lo{c.lo, c.lo, c.lo, c.lo, c.lo, c.lo}, hi{c.hi, c.hi, c.hi, c.hi, c.hi, c.hi};
  ApplyDummyTeeth(c.configuration, lo);
  const SearchInputs inputs{c.configuration, lo, hi, c.target, c.range, c.cap, lo};
  const Family family = Configuration(c.configuration).family;

  RowCollector literal(family, c.sampleSteps);
  const double literalStart = ThreadSeconds();
  const SearchResult literalResult = reference::LiteralSearch(inputs, literal);
  double literalTime = ThreadSeconds() - literalStart;
  if (c.sampleSteps > 0) {
    // Every step before the one that stopped swept N5 and N6 whole.
    const double swept = static_cast<double>(c.sampleSteps - 1) * (hi[4] - lo[4] + 1) *
                         (hi[5] - lo[5] + 1);
    literalTime *= Combinations(inputs) / swept;
  }

  // Repeat the fast side until it has run for a while, so its time is not noise.
  RowCollector fast(family);
  SearchResult fastResult;
  int repeats = 0;
  const double fastStart = ThreadSeconds();
  do {
    fast = RowCollector(family);
    fastResult = SearchSolutions(inputs, fast);
    ++repeats;
  } while (ThreadSeconds() - fastStart < 0.2 && repeats < 100000);
  const double fastTime = (ThreadSeconds() - fastStart) / repeats;

  bool agree;
  if (c.sampleSteps == 0) {
    agree = SameResult(fastResult, literalResult) && fast.rows == literal.rows &&
            fast.progress == literal.progress;
  } else {
    RowCollector sweeps(family);
    detail::SearchTuning noTables;
    noTables.maxTableEntries = 0;
    const SearchResult sweepResult = detail::SearchSolutionsTuned(inputs, sweeps, noTables);
    agree = SameResult(fastResult, sweepResult) && fast.rows == sweeps.rows &&
            fast.progress == sweeps.progress;
  }
  const double ratio = literalTime / fastTime;
  std::printf("%-30s %3d..%-3d literal %12.4g ms%s search %9.4f ms (x%d)  ratio %9.3g  "
              "floor %7.3g%s  solutions %3d  %s\n",
              c.name, c.lo, c.hi, literalTime * 1e3, c.sampleSteps > 0 ? " (est.)" : "       ",
              fastTime * 1e3, repeats, ratio, c.floor, ratio < c.floor ? " (BELOW)" : "",
              fastResult.nSolutionsFound,
              !agree ? "DISAGREE" : c.sampleSteps > 0 ? "agree (tables/sweeps)" : "agree");
  return agree;
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  const std::vector<BenchCase> cases =
      quick ? std::vector<BenchCase>{
                  {"Triple With Equal Compounds", 5, 10, 25, 3.624, 0.01, 100, 0},
                  {"Double Reduction", 1, 10, 60, 3.624, 0.0001, 500, 0},
                  {"Triple Reduction", 6, 12, 24, 7.123, 0.000001, 500, 0},
                  {"Triple Reduction, wide range", 6, 10, 20, 3.0, 0.5, 500, 0},
              }
            : std::vector<BenchCase>{
                  {"Triple With Equal Compounds", 5, 10, 25, 3.624, 0.01, 100, 100},
                  {"Double Reduction", 1, 10, 120, 3.624, 0.0001, 500, 100},
                  {"Triple Reduction", 6, 12, 50, 7.123, 0.000001, 500, 500},
                  // The widest search the window offers: 500^6 combinations.
                  {"Triple With Equal Compounds", 5, 1, 500, 3.14159265358979, 1e-9, 500, 1e8,
                   800},
              };
  bool allAgree = true;
  for (const BenchCase& c : cases) allAgree = RunCase(c) && allAgree;
  return allAgree ? 0 : 1;
}
