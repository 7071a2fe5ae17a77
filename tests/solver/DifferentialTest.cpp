// The production search against the literal loops on many seeded random inputs: every
// train handed on (bit for bit), the counts, the outcome, the progress positions and
// the state left behind, for full runs, for the cap and for stops at chosen steps.

#include <gtest/gtest.h>

#include <bit>
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

}  // namespace
}  // namespace quenmar
