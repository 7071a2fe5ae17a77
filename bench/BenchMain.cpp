// Times the search against the literal nested loops on the same inputs in the same run
// and prints the ratio. With --quick, smaller inputs and only a check that both agree.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "LiteralSearch.h"
#include "SearchSolutions.h"
#include "SolutionRow.h"

namespace {

using namespace quenmar;
using Clock = std::chrono::steady_clock;

// What the window does with a run: poll, move the bar, format every row.
class RowCollector : public SearchOperations {
 public:
  explicit RowCollector(Family family) : family_(family) {}
  bool MessageStep() override { return true; }
  void Progress(int position) override { progress.push_back(position); }
  void Output(const TrainSolution& solution) override {
    rows.push_back(FormatSolutionRow(family_, solution));
  }
  std::vector<int> progress;
  std::vector<std::string> rows;

 private:
  Family family_;
};

struct BenchCase {
  const char* name;
  int configuration;
  int lo, hi;  // every gear
  double target, range;
  int cap;
  double floor;  // the ratio the production search must reach
};

bool SameResult(const SearchResult& a, const SearchResult& b) {
  return a.nSolutionsFound == b.nSolutionsFound && a.bNoSolution == b.bNoSolution &&
         a.stopped == b.stopped && a.nProgress == b.nProgress && a.counters == b.counters &&
         a.minTeeth == b.minTeeth &&
         std::memcmp(&a.dCandidateReduction, &b.dCandidateReduction, sizeof(double)) == 0;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

bool RunCase(const BenchCase& c) {
  Teeth lo{c.lo, c.lo, c.lo, c.lo, c.lo, c.lo}, hi{c.hi, c.hi, c.hi, c.hi, c.hi, c.hi};
  ApplyDummyTeeth(c.configuration, lo);
  const SearchInputs inputs{c.configuration, lo, hi, c.target, c.range, c.cap, lo};
  const Family family = Configuration(c.configuration).family;

  RowCollector literal(family);
  const Clock::time_point literalStart = Clock::now();
  const SearchResult literalResult = reference::LiteralSearch(inputs, literal);
  const double literalTime = Seconds(Clock::now() - literalStart);

  // Repeat the fast side until it has run for a while, so its time is not noise.
  RowCollector fast(family);
  SearchResult fastResult;
  int repeats = 0;
  const Clock::time_point fastStart = Clock::now();
  do {
    fast = RowCollector(family);
    fastResult = SearchSolutions(inputs, fast);
    ++repeats;
  } while (Seconds(Clock::now() - fastStart) < 0.2 && repeats < 100000);
  const double fastTime = Seconds(Clock::now() - fastStart) / repeats;

  const bool agree = SameResult(fastResult, literalResult) && fast.rows == literal.rows &&
                     fast.progress == literal.progress;
  const double ratio = literalTime / fastTime;
  std::printf("%-30s %3d..%-3d literal %10.3f ms  search %9.4f ms (x%d)  ratio %9.1f  "
              "floor %5.0f  solutions %3d  %s\n",
              c.name, c.lo, c.hi, literalTime * 1e3, fastTime * 1e3, repeats, ratio, c.floor,
              fastResult.nSolutionsFound, agree ? "agree" : "DISAGREE");
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
              };
  bool allAgree = true;
  for (const BenchCase& c : cases) allAgree = RunCase(c) && allAgree;
  return allAgree ? 0 : 1;
}
