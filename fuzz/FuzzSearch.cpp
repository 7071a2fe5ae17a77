// The fast search against the literal nested loops: random configurations, bounds (fixed
// gears, empty ranges, teeth outside the form's limits), targets (random values, the exact
// reduction of a train inside the bounds, its neighbouring doubles, and the edges of the
// range around it), ranges, caps, tuning of the shortcuts, and stops at a chosen message
// step. Every train handed on (bit for bit), the progress positions, the counts, the
// outcome and the state left behind must agree.

#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "LiteralSearch.h"
#include "RecordingOperations.h"

using namespace quenmar;
using quenmar::testing::RecordingOperations;

namespace {

SearchInputs g_inputs;

[[noreturn]] void Disagree(const char* what) {
  const SearchInputs& in = g_inputs;
  std::fprintf(stderr, "fast search and literal loops disagree on %s: config %d target %.17g range %.17g cap %d bounds",
               what, in.configuration, in.targetReduction, in.convergenceRange, in.maxSolutions);
  for (int g = 0; g < kGearCount; ++g) std::fprintf(stderr, " %d..%d", in.minTeeth[g], in.maxTeeth[g]);
  std::fprintf(stderr, "\n");
  std::abort();
}

std::uint64_t Bits(double value) { return std::bit_cast<std::uint64_t>(value); }

void ExpectSameRun(const SearchResult& fast, const RecordingOperations& fastOps,
                   const SearchResult& slow, const RecordingOperations& slowOps) {
  if (fastOps.trains.size() != slowOps.trains.size()) Disagree("the number of trains");
  for (std::size_t i = 0; i < fastOps.trains.size(); ++i) {
    const TrainSolution& a = fastOps.trains[i];
    const TrainSolution& b = slowOps.trains[i];
    if (a.nTeeth != b.nTeeth) Disagree("a train's teeth");
    if (Bits(a.dReduction) != Bits(b.dReduction)) Disagree("a train's reduction");
    if (Bits(a.dDifference) != Bits(b.dDifference)) Disagree("a train's difference");
  }
  if (fastOps.progress != slowOps.progress) Disagree("the progress positions");
  if (fast.nSolutionsFound != slow.nSolutionsFound) Disagree("the count");
  if (fast.bNoSolution != slow.bNoSolution) Disagree("the no-solution outcome");
  if (fast.stopped != slow.stopped) Disagree("the stop");
  if (fast.nProgress != slow.nProgress) Disagree("the last progress");
  if (fast.counters != slow.counters) Disagree("the counters left behind");
  if (fast.minTeeth != slow.minTeeth) Disagree("the minima left behind");
  if (Bits(fast.dCandidateReduction) != Bits(slow.dCandidateReduction))
    Disagree("the last candidate reduction");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  SearchInputs& s = g_inputs;
  s = SearchInputs{};
  s.configuration = in.ConsumeIntegralInRange(0, kConfigurationCount - 1);
  const Family family = Configuration(s.configuration).family;
  // The literal loops must stay quick: tens of thousands of combinations at most.
  const int width = family == Family::Single ? 60 : family == Family::Double ? 12 : 5;
  const int base = in.ConsumeIntegralInRange(1, 480);
  for (int g = 0; g < kGearCount; ++g) {
    s.minTeeth[g] = std::min(500, base + in.ConsumeIntegralInRange(0, 20));
    s.maxTeeth[g] = s.minTeeth[g] + in.ConsumeIntegralInRange(0, width - 1);
    switch (in.ConsumeIntegralInRange(0, 15)) {
      case 0: s.maxTeeth[g] = s.minTeeth[g]; break;                                    // fixed
      case 1: s.maxTeeth[g] = s.minTeeth[g] - in.ConsumeIntegralInRange(1, 3); break;  // empty
      default: break;
    }
    s.profileTeeth[g] = in.ConsumeIntegralInRange(1, 500);
  }
  if (in.ConsumeIntegralInRange(0, 30) == 0) s.minTeeth[in.ConsumeIntegralInRange(0, 1)] = 0;
  if (in.ConsumeBool()) ApplyDummyTeeth(s.configuration, s.minTeeth);

  Teeth train{};
  for (int g = 0; g < kGearCount; ++g)
    train[g] = std::max(1, in.ConsumeIntegralInRange(s.minTeeth[g], std::max(s.minTeeth[g], s.maxTeeth[g])));
  if (family != Family::Triple) train[4] = train[5] = 10;
  if (family == Family::Single) train[2] = train[3] = 10;
  const double exact = SearchReduction(train);
  const double ranges[] = {0.0, 1e-12, 1e-4, 1e-3, 0.01, 0.05, 0.3, 2.0, 600.0};
  s.convergenceRange = in.ConsumeBool() ? ranges[in.ConsumeIntegralInRange(0, 8)]
                                        : in.ConsumeFloatingPointInRange(0.0, 1.0);
  switch (in.ConsumeIntegralInRange(0, 6)) {
    case 0: s.targetReduction = in.ConsumeFloatingPointInRange(0.0, 1000.0); break;
    case 1: s.targetReduction = std::nextafter(exact, 0.0); break;
    case 2: s.targetReduction = std::nextafter(exact, 2000.0); break;
    case 3: s.targetReduction = exact + s.convergenceRange; break;  // the train at the range's edge
    case 4: s.targetReduction = exact - s.convergenceRange; break;
    default: s.targetReduction = exact; break;
  }
  const int caps[] = {0, 1, 2, 5, 100, 500};
  s.maxSolutions = in.ConsumeBool() ? caps[in.ConsumeIntegralInRange(0, 5)] : in.ConsumeIntegralInRange(0, 500);

  detail::SearchTuning tuning;
  switch (in.ConsumeIntegralInRange(0, 3)) {  // the table, ordered and fallback paths alike
    case 0: tuning.maxTableEntries = 0; break;
    case 1: tuning.maxTableEntries = in.ConsumeIntegralInRange(1, 4000); break;
    case 2: tuning.candidateBudget = in.ConsumeIntegralInRange(0, 6); break;
    default: break;
  }

  RecordingOperations fastOps, slowOps;
  const SearchResult fast = detail::SearchSolutionsTuned(s, fastOps, tuning);
  const SearchResult slow = reference::LiteralSearch(s, slowOps);
  ExpectSameRun(fast, fastOps, slow, slowOps);
  if (fastOps.steps > slowOps.steps) Disagree("the number of message steps (more than the loops)");

  // The same run stopped at one of its message steps: the loops stopped at the same counters.
  if (fastOps.steps > 0 && in.remaining_bytes() > 0) {
    const long long k = in.ConsumeIntegralInRange<long long>(1, fastOps.steps);
    RecordingOperations stoppedFast(k), stoppedSlow;
    const SearchResult fastStopped = detail::SearchSolutionsTuned(s, stoppedFast, tuning);
    if (!fastStopped.stopped) Disagree("a stop at a message step");
    const reference::StepCounters at{fastStopped.counters[0], fastStopped.counters[1],
                                     fastStopped.counters[2], fastStopped.counters[3]};
    const SearchResult slowStopped = reference::LiteralSearch(s, stoppedSlow, at);
    ExpectSameRun(fastStopped, stoppedFast, slowStopped, stoppedSlow);
  }
  return 0;
}
