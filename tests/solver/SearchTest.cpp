// The search on the worked cases: which trains, in what order, the cap, the progress
// positions and where the counters are left.

#include <gtest/gtest.h>

#include <cmath>

#include "LiteralSearch.h"
#include "RecordingOperations.h"

namespace quenmar {
namespace {

using testing::RecordingOperations;

Teeth Fill(int value) { return {value, value, value, value, value, value}; }

SearchInputs Inputs(int configuration, Teeth lo, Teeth hi, double target, double range,
                    int cap) {
  ApplyDummyTeeth(configuration, lo);
  return SearchInputs{configuration, lo, hi, target, range, cap, lo};
}

std::vector<Teeth> TeethOf(const std::vector<TrainSolution>& trains, int k) {
  std::vector<Teeth> out;
  for (const TrainSolution& t : trains) {
    Teeth n{};
    std::copy_n(t.nTeeth.begin(), k, n.begin());
    out.push_back(n);
  }
  return out;
}

const std::vector<Teeth> kDoubleEight = {
    {10, 19, 11, 21}, {10, 21, 11, 19}, {10, 22, 14, 23}, {10, 23, 14, 22},
    {11, 19, 10, 21}, {11, 21, 10, 19}, {14, 22, 10, 23}, {14, 23, 10, 22}};

struct SearchCase {
  const char* name;
  SearchInputs inputs;
  int k;
  std::vector<Teeth> trains;  // first k gears
  int found;
  bool noSolution;
  Teeth counters;
};

class SearchCases : public ::testing::TestWithParam<SearchCase> {};

TEST_P(SearchCases, HandsOnTheTrainsAndLeavesTheCounters) {
  const SearchCase& c = GetParam();
  for (bool production : {true, false}) {
    SCOPED_TRACE(production ? "production" : "literal");
    RecordingOperations ops;
    const SearchResult r = production ? SearchSolutions(c.inputs, ops)
                                      : reference::LiteralSearch(c.inputs, ops);
    EXPECT_EQ(TeethOf(ops.trains, c.k), c.trains);
    EXPECT_EQ(r.nSolutionsFound, c.found);
    EXPECT_EQ(r.bNoSolution, c.noSolution);
    EXPECT_EQ(r.counters, c.counters);
    EXPECT_FALSE(r.stopped);
  }
}

const Teeth kSingleLo{5, 10, 1, 1, 1, 1}, kSingleHi{12, 40, 25, 25, 25, 25};

INSTANTIATE_TEST_SUITE_P(
    Cases, SearchCases,
    ::testing::Values(
        SearchCase{"SingleOneSolution", Inputs(0, kSingleLo, kSingleHi, 3.624, 0.01, 100), 2,
                   {{8, 29}}, 1, false, {13, 41, 11, 11, 11, 11}},
        SearchCase{"DoubleEightInEnumerationOrder", Inputs(1, Fill(10), Fill(25), 3.624, 0.01, 100),
                   4, kDoubleEight, 8, false, {26, 26, 26, 26, 11, 11}},
        SearchCase{"DoubleCapThreeEndsAtTheFourth", Inputs(1, Fill(10), Fill(25), 3.624, 0.01, 3),
                   4, {kDoubleEight.begin(), kDoubleEight.begin() + 3}, 3, false,
                   {10, 23, 14, 22, 10, 10}},
        SearchCase{"DoubleCapEightRunsToTheEnd", Inputs(1, Fill(10), Fill(25), 3.624, 0.01, 8), 4,
                   kDoubleEight, 8, false, {26, 26, 26, 26, 11, 11}},
        SearchCase{"CapZeroHandsNothingOn", Inputs(1, Fill(10), Fill(25), 3.624, 0.01, 0), 4, {},
                   0, true, {10, 19, 11, 21, 10, 10}},
        SearchCase{"RangeZeroExactHit",
                   Inputs(0, {2, 5, 10, 10, 10, 10}, {2, 5, 25, 25, 25, 25}, 2.5, 0.0, 100), 2,
                   {{2, 5}}, 1, false, {3, 6, 11, 11, 11, 11}},
        SearchCase{"UnreachableTarget", Inputs(5, Fill(10), Fill(12), 1000.0, 0.5, 100), 6, {}, 0,
                   true, {13, 13, 13, 13, 13, 13}},
        SearchCase{"EmptyRangeOfN3StopsInnerLoops",
                   SearchInputs{6, {10, 10, 20, 10, 10, 10}, {11, 11, 19, 30, 30, 30}, 1.0, 10.0,
                                100, {7, 7, 7, 7, 7, 7}},
                   6, {}, 0, true, {12, 12, 20, 7, 7, 7}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Search, ReportsValuesOfTheTrains) {
  RecordingOperations ops;
  const SearchResult r = SearchSolutions(Inputs(0, kSingleLo, kSingleHi, 3.624, 0.01, 100), ops);
  ASSERT_EQ(ops.trains.size(), 1u);
  EXPECT_EQ(ops.trains[0].dReduction, 29.0 / 8.0);
  EXPECT_EQ(ops.trains[0].dDifference, std::fabs(29.0 / 8.0 - 3.624));
  EXPECT_EQ(r.minTeeth, (Teeth{5, 10, 10, 10, 10, 10}));  // the single family's dummies
  EXPECT_EQ(r.dCandidateReduction, 40.0 / 12.0);           // the last combination examined
}

TEST(Search, ProgressPositionsPerPinionValue) {
  struct Row {
    const char* name;
    int lo1, hi1;
    std::vector<int> positions;
  };
  std::vector<int> sixteen;
  for (int n1 = 10; n1 <= 25; ++n1) sixteen.push_back(100 * (n1 - 10) / 15);
  const Row rows[] = {{"TenToTwentyFive", 10, 25, sixteen}, {"N1Fixed", 12, 12, {0}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Teeth lo = Fill(10), hi = Fill(12);
    lo[0] = row.lo1;
    hi[0] = row.hi1;
    RecordingOperations ops;
    SearchSolutions(Inputs(5, lo, hi, 3.624, 0.01, 100), ops);
    EXPECT_EQ(ops.progress, row.positions);
  }
  EXPECT_EQ(sixteen[1], 6);
  EXPECT_EQ(sixteen.back(), 100);
}

TEST(Search, StopEndsAtOnceWithTheCountersOfTheStep) {
  // Answer stop at the first message step: nothing examined, counters N1..N4 at their
  // lower bounds and N5, N6 untouched.
  RecordingOperations ops(1);
  SearchInputs in = Inputs(6, Fill(10), Fill(25), 3.624, 0.01, 100);
  in.profileTeeth = {1, 2, 3, 4, 5, 6};
  const SearchResult r = SearchSolutions(in, ops);
  EXPECT_TRUE(r.stopped);
  EXPECT_TRUE(r.bNoSolution);
  EXPECT_TRUE(ops.progress.empty());
  EXPECT_EQ(r.counters, (Teeth{10, 10, 10, 10, 5, 6}));
  EXPECT_EQ(r.dCandidateReduction, 0.0);
}

TEST(Search, StopIsNoticedAfterBoundedWorkOnTheWidestRanges) {
  // Every gear 1..500: count the work done between two polls of the message step instead
  // of timing it. A few million units take a few milliseconds.
  constexpr std::int64_t kBound = 4'000'000;
  for (int configuration = 0; configuration < kConfigurationCount; ++configuration) {
    SCOPED_TRACE(configuration);
    for (double range : {1e-6, 0.5, 500.0}) {
      RecordingOperations ops(40);
      SearchInputs in = Inputs(configuration, Fill(1), Fill(500), 3.624, range, 500);
      const SearchResult r = SearchSolutions(in, ops);
      if (!r.stopped) {
        EXPECT_EQ(r.nSolutionsFound, 500);  // the cap came first
      }
      EXPECT_LE(ops.largestWorkBetweenSteps, kBound) << "range " << range;
    }
  }
}

}  // namespace
}  // namespace quenmar
