// The production search against the literal loops on many seeded random inputs: every
// train handed on (bit for bit), the counts, the outcome, the progress positions and
// the state left behind, for full runs, for the cap and for stops at chosen steps.
// Then wide ranges with targets on the very edge of acceptance, where a window or table
// lookup that is one rounding too tight would drop a train.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <random>
#include <sstream>

#include "LiteralSearch.h"
#include "RecordingOperations.h"

namespace quenmar {
namespace {

using testing::RecordingOperations;

struct RandomCase {
  SearchInputs inputs;
  detail::SearchTuning tuning;
};

std::string Describe(const SearchInputs& in) {
  std::ostringstream s;
  s.precision(17);
  s << "config " << in.configuration << " target " << in.targetReduction << " range "
    << in.convergenceRange << " cap " << in.maxSolutions << " bounds";
  for (int g = 0; g < kGearCount; ++g) s << ' ' << in.minTeeth[g] << ".." << in.maxTeeth[g];
  return s.str();
}

RandomCase MakeCase(std::mt19937& rng) {
  auto uniform = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  RandomCase c{};
  SearchInputs& in = c.inputs;
  in.configuration = uniform(0, kConfigurationCount - 1);
  const Family family = Configuration(in.configuration).family;
  // Keep the literal loops small: the number of combinations stays in the tens of thousands.
  const int width = family == Family::Single ? 40 : family == Family::Double ? 11 : 5;
  const int base = uniform(1, 30);
  for (int g = 0; g < kGearCount; ++g) {
    in.minTeeth[g] = base + uniform(0, 15);
    in.maxTeeth[g] = in.minTeeth[g] + uniform(0, width - 1);
    const int shape = uniform(0, 19);
    if (shape == 0) in.maxTeeth[g] = in.minTeeth[g];                  // a gear fixed at one value
    if (shape == 1) in.maxTeeth[g] = in.minTeeth[g] - uniform(1, 3);  // an empty range
    in.profileTeeth[g] = uniform(1, 60);
  }
  if (uniform(0, 30) == 0) in.minTeeth[uniform(0, 1)] = 0;  // outside the form's limits
  if (uniform(0, 1) == 0) ApplyDummyTeeth(in.configuration, in.minTeeth);

  // Targets: a random value, or the exact reduction of some train inside the bounds.
  Teeth train{};
  for (int g = 0; g < kGearCount; ++g)
    train[g] = std::max(1, uniform(in.minTeeth[g], std::max(in.minTeeth[g], in.maxTeeth[g])));
  if (family == Family::Single) train[2] = train[3] = train[4] = train[5] = 10;
  if (family == Family::Double) train[4] = train[5] = 10;
  const double ranges[] = {0.0, 0.0, 1e-4, 1e-3, 0.01, 0.05, 0.3, 2.0, 600.0};
  in.convergenceRange = ranges[uniform(0, 8)];
  in.targetReduction = uniform(0, 2) == 0 ? std::uniform_real_distribution<double>(0.05, 12)(rng)
                                          : SearchReduction(train);
  const int caps[] = {0, 1, 2, 5, 500};
  in.maxSolutions = caps[uniform(0, 4)];

  switch (uniform(0, 3)) {  // drive the table, ordered and fallback paths alike
    case 0: c.tuning.maxTableEntries = 0; break;
    case 1: c.tuning.candidateBudget = uniform(0, 6); break;
    default: break;
  }
  return c;
}

std::uint64_t Bits(double value) { return std::bit_cast<std::uint64_t>(value); }

void ExpectSameRun(const SearchResult& fast, const RecordingOperations& fastOps,
                   const SearchResult& slow, const RecordingOperations& slowOps) {
  ASSERT_EQ(fastOps.trains.size(), slowOps.trains.size());
  for (std::size_t i = 0; i < fastOps.trains.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(fastOps.trains[i].nTeeth, slowOps.trains[i].nTeeth);
    EXPECT_EQ(Bits(fastOps.trains[i].dReduction), Bits(slowOps.trains[i].dReduction));
    EXPECT_EQ(Bits(fastOps.trains[i].dDifference), Bits(slowOps.trains[i].dDifference));
  }
  EXPECT_EQ(fastOps.progress, slowOps.progress);
  EXPECT_EQ(fast.nSolutionsFound, slow.nSolutionsFound);
  EXPECT_EQ(fast.bNoSolution, slow.bNoSolution);
  EXPECT_EQ(fast.stopped, slow.stopped);
  EXPECT_EQ(fast.nProgress, slow.nProgress);
  EXPECT_EQ(fast.counters, slow.counters);
  EXPECT_EQ(fast.minTeeth, slow.minTeeth);
  EXPECT_EQ(Bits(fast.dCandidateReduction), Bits(slow.dCandidateReduction));
}

TEST(Differential, FullRunsAndCapsMatchTheLiteralLoops) {
  std::mt19937 rng(20020704);
  for (int i = 0; i < 3000; ++i) {
    const RandomCase c = MakeCase(rng);
    SCOPED_TRACE(Describe(c.inputs));
    RecordingOperations fastOps, slowOps;
    const SearchResult fast = detail::SearchSolutionsTuned(c.inputs, fastOps, c.tuning);
    const SearchResult slow = reference::LiteralSearch(c.inputs, slowOps);
    ExpectSameRun(fast, fastOps, slow, slowOps);
    EXPECT_LE(fastOps.steps, slowOps.steps);
    if (::testing::Test::HasFailure()) return;
  }
}

TEST(Differential, StopsMatchTheLiteralLoopsStoppedAtTheSameStep) {
  std::mt19937 rng(1156);
  int stops = 0;
  for (int i = 0; i < 3000; ++i) {
    const RandomCase c = MakeCase(rng);
    RecordingOperations counting;
    detail::SearchSolutionsTuned(c.inputs, counting, c.tuning);
    if (counting.steps == 0) continue;
    const long long k = std::uniform_int_distribution<long long>(1, counting.steps)(rng);
    SCOPED_TRACE(Describe(c.inputs) + " stop at poll " + std::to_string(k));
    RecordingOperations fastOps(k), slowOps;
    const SearchResult fast = detail::SearchSolutionsTuned(c.inputs, fastOps, c.tuning);
    ASSERT_TRUE(fast.stopped);
    const reference::StepCounters step{fast.counters[0], fast.counters[1], fast.counters[2],
                                       fast.counters[3]};
    const SearchResult slow = reference::LiteralSearch(c.inputs, slowOps, step);
    ExpectSameRun(fast, fastOps, slow, slowOps);
    ++stops;
    if (::testing::Test::HasFailure()) return;
  }
  EXPECT_GT(stops, 1000);
}

// A train inside wide bounds whose exact reduction the targets sit on or beside.
struct EdgeCase {
  const char* name;
  int configuration;
  Teeth lo, hi, hit;
  int moreHits;  // reductions of other trains near the hit's to probe as well
  bool literal;  // false: the loops would take hours; the per-N3 sweeps are the oracle
};

const EdgeCase kEdgeCases[] = {
    {"single, 7/3", 0,
     {1, 1, 10, 10, 10, 10}, {500, 500, 10, 10, 10, 10}, {213, 497, 10, 10, 10, 10}, 8, true},
    {"single, 500/499", 0,
     {1, 1, 10, 10, 10, 10}, {500, 500, 10, 10, 10, 10}, {499, 500, 10, 10, 10, 10}, 8, true},
    {"single, 1/500", 0,
     {1, 1, 10, 10, 10, 10}, {500, 500, 10, 10, 10, 10}, {500, 1, 10, 10, 10, 10}, 8, true},
    {"double, stage table", 1,
     {97, 380, 1, 1, 10, 10}, {100, 400, 500, 500, 10, 10}, {100, 400, 7, 490, 10, 10}, 2, true},
    {"double, N1 = N3", 2,
     {1, 461, 1, 1, 10, 10}, {500, 480, 500, 20, 10, 10}, {20, 480, 20, 15, 10, 10}, 8, true},
    {"double, N2 = N4", 3,
     {1, 1, 1, 241, 10, 10}, {4, 500, 500, 260, 10, 10}, {3, 250, 101, 250, 10, 10}, 8, true},
    {"double, both tied", 4,
     {1, 1, 1, 481, 10, 10}, {500, 500, 20, 500, 10, 10}, {12, 490, 12, 490, 10, 10}, 8, true},
    {"triple, stage tables", 6,
     {7, 499, 401, 1, 1, 401}, {7, 500, 500, 100, 100, 500}, {7, 500, 450, 90, 25, 420}, 4, true},
    {"triple, largest reductions", 6,
     {1, 498, 1, 498, 1, 1}, {3, 500, 3, 500, 3, 500}, {1, 500, 2, 499, 3, 500}, 8, true},
    {"triple, smallest reductions", 6,
     {498, 1, 498, 1, 498, 1}, {500, 3, 500, 3, 500, 3}, {500, 1, 499, 2, 500, 3}, 8, true},
    {"equal compounds, table after sweeps", 5,
     {1, 300, 451, 300, 451, 1}, {500, 300, 490, 300, 490, 100}, {320, 300, 480, 300, 480, 80}, 8, true},
    {"equal compounds, widest table", 5,
     {1, 1, 1, 1, 1, 1}, {60, 500, 500, 500, 500, 500}, {48, 500, 320, 500, 320, 200}, 4, false},
};

// Target and range of one probe around a train's reduction R: the target is R or one ulp
// beside it, and the range 0, exactly |R - target| (the boundary, which accepts), or one
// ulp less.
enum class RangeTo { Zero, Hit, JustShort };
struct EdgeProbe {
  int ulps;
  RangeTo range;
  bool acceptsHit;
};
constexpr EdgeProbe kProbes[] = {
    {0, RangeTo::Zero, true},        {1, RangeTo::Hit, true},        {-1, RangeTo::Hit, true},
    {1, RangeTo::JustShort, false}, {-1, RangeTo::JustShort, false}, {1, RangeTo::Zero, false}};

// Distinct reductions of the trains, up to `count` of them spread over their range.
std::vector<double> SomeReductions(const std::vector<TrainSolution>& trains, double lo, double hi,
                                   int count) {
  std::vector<double> all;
  for (const TrainSolution& t : trains)
    if (lo <= t.dReduction && t.dReduction <= hi) all.push_back(t.dReduction);
  std::sort(all.begin(), all.end());
  all.erase(std::unique(all.begin(), all.end()), all.end());
  std::vector<double> some;
  for (int i = 0; i < count && !all.empty(); ++i)
    some.push_back(all[all.size() * static_cast<std::size_t>(i) / static_cast<std::size_t>(count)]);
  some.erase(std::unique(some.begin(), some.end()), some.end());
  return some;
}

TEST(Differential, WideRangesKeepEveryTrainOnTheEdgeOfAcceptance) {
  constexpr int kNoCap = 10'000'000;
  constexpr double kBand = 1e-4;  // relative
  for (const EdgeCase& c : kEdgeCases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(PassesFilter(Configuration(c.configuration), c.hit));
    const double hitReduction = SearchReduction(c.hit);
    // One run of the oracle over a band around the hit train's reduction holds every
    // train that any probe near the middle of the band accepts; each probe's trains are
    // those of the band it accepts.
    const SearchInputs band{c.configuration, c.lo, c.hi, hitReduction, hitReduction * kBand,
                            kNoCap, c.lo};
    detail::SearchTuning sweepsOnly;
    sweepsOnly.maxTableEntries = 0;
    RecordingOperations bandOps;
    const SearchResult bandResult = c.literal
                                        ? reference::LiteralSearch(band, bandOps)
                                        : detail::SearchSolutionsTuned(band, bandOps, sweepsOnly);
    ASSERT_FALSE(bandResult.stopped);
    ASSERT_TRUE(std::any_of(bandOps.trains.begin(), bandOps.trains.end(),
                            [&](const TrainSolution& t) { return t.nTeeth == c.hit; }));
    // Besides the hit train's reduction, those of other trains near it: reductions that
    // are not a round number in binary are where a rounding would show.
    std::vector<double> reductions = SomeReductions(
        bandOps.trains, hitReduction * (1 - kBand / 2), hitReduction * (1 + kBand / 2), c.moreHits);
    std::erase(reductions, hitReduction);
    reductions.insert(reductions.begin(), hitReduction);
    for (const double reduction : reductions)
      for (const EdgeProbe& probe : kProbes) {
        SearchInputs in = band;
        in.targetReduction = reduction;
        for (int u = 0; u < std::abs(probe.ulps); ++u)
          in.targetReduction = std::nextafter(in.targetReduction, probe.ulps * HUGE_VAL);
        const double toHit = Difference(reduction, in.targetReduction);
        in.convergenceRange = probe.range == RangeTo::Zero  ? 0.0
                              : probe.range == RangeTo::Hit ? toHit
                                                            : std::nextafter(toHit, 0.0);
        SCOPED_TRACE(Describe(in));
        RecordingOperations expectedOps;
        expectedOps.progress = bandOps.progress;
        for (const TrainSolution& t : bandOps.trains)
          if (std::fabs(in.targetReduction - t.dReduction) <= in.convergenceRange)
            expectedOps.trains.push_back(
                {Difference(t.dReduction, in.targetReduction), t.dReduction, t.nTeeth});
        SearchResult expected = bandResult;
        expected.nSolutionsFound = static_cast<int>(expectedOps.trains.size());
        expected.bNoSolution = expectedOps.trains.empty();
        const bool acceptsHit =
            std::any_of(expectedOps.trains.begin(), expectedOps.trains.end(),
                        [&](const TrainSolution& t) { return t.dReduction == reduction; });
        ASSERT_EQ(acceptsHit, probe.acceptsHit);

        detail::SearchTuning tunings[4];
        tunings[1].maxTableEntries = 0;  // the per-gear windows alone
        tunings[2].candidateBudget = 0;  // every table lookup falls back
        tunings[3].candidateBudget = 1;  // lookups of a single candidate stay
        for (const detail::SearchTuning& tuning : tunings) {
          if (!c.literal && tuning.maxTableEntries == 0) continue;  // that is the oracle
          SCOPED_TRACE("table entries " + std::to_string(tuning.maxTableEntries) + " budget " +
                       std::to_string(tuning.candidateBudget));
          RecordingOperations fastOps;
          const SearchResult fast = detail::SearchSolutionsTuned(in, fastOps, tuning);
          ExpectSameRun(fast, fastOps, expected, expectedOps);
          if (::testing::Test::HasFailure()) return;
        }
      }
  }
}

}  // namespace
}  // namespace quenmar
