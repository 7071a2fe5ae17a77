// The design search against its reference, the plain loops over exact rationals, on many
// small random queries of every configuration and stage count, every option alone and
// combined, on every path of the engine; then the edges where exact arithmetic matters,
// the published trains, the row text and the query checks.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <random>

#include "DesignEngine.h"
#include "DesignReference.h"
#include "Exact.h"
#include "SolutionRow.h"

namespace quenmar::design {
namespace {

using reference::Describe;
using reference::ReferenceSearch;

class Recording : public DesignOperations {
 public:
  void Progress(const DesignProgress& p) override { progress.push_back(p.percent); }
  void Listed(std::span<const DesignTrain> batch) override {
    for (const DesignTrain& t : batch) listed.push_back(t.teeth);
  }
  std::vector<int> progress;
  std::vector<std::vector<int>> listed;
};

// Every way the engine can run a query, each with fresh operations: the plain loops, the
// cheapest way with small tables, tables of one to three stages, the product sweep
// wherever it applies, and the public entry on one thread and on several. The knobs
// follow the engine's; nothing else in this file knows them.
// Each way runs on 1, 2 or 7 threads, split into parts of a random depth and, in the
// sweep, into tiny segments, so that a split that changed the result would show.
void OnEveryPath(const DesignQuery& q, const std::function<void(const DesignResult&, const Recording&)>& check) {
  static std::mt19937_64 splits(7);
  for (int way = -2; way <= 4; ++way) {
    detail::EngineTuning tuning;
    tuning.shortcuts = way != -2;
    tuning.maxTableEntries = way == -1 ? 64 : 1 << 20;
    tuning.tableStages = way >= 1 && way <= 3 ? way : -1;
    tuning.products = way == 4 ? 1 : 0;
    tuning.partDepth = static_cast<int>(splits() % 4);
    tuning.segmentProducts = 1 + splits() % 64;
    Recording ops;
    check(detail::RunEngine(q, ops, nullptr, std::array{1, 2, 7}[splits() % 3], tuning), ops);
  }
  for (int threads : {1, 3}) {
    Recording ops;
    check(RunDesignSearch(q, ops, nullptr, threads), ops);
  }
}

void ExpectSame(const DesignQuery& q, const DesignResult& r, const reference::Expected& e, const Recording& ops) {
  EXPECT_EQ(reference::Mismatch(r, e), "") << Describe(q);
  std::vector<std::vector<int>> order;
  for (const DesignTrain& t : e.loopOrder) order.push_back(t.teeth);
  EXPECT_EQ(ops.listed, order) << "listed in loop order: " << Describe(q);
  EXPECT_TRUE(std::is_sorted(ops.progress.begin(), ops.progress.end()));
  EXPECT_LE(ops.progress.empty() ? 0 : ops.progress.back(), 100);
}

// The query on every path of the engine against the reference; false once one differs.
bool AgreesEverywhere(const DesignQuery& q, const reference::Expected& e) {
  OnEveryPath(q, [&](const DesignResult& r, const Recording& ops) { ExpectSame(q, r, e, ops); });
  return !::testing::Test::HasFailure();
}

TEST(DesignSearch, AgreesWithTheLoopsOnRandomQueries) {
  std::mt19937_64 rng(20261207);
  const reference::Pick pick = [&](std::int64_t lo, std::int64_t hi) {
    return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
  };
  int listedSome = 0;
  for (int i = 0; i < 2500; ++i) {
    const DesignQuery q = reference::RandomQuery(pick);
    ASSERT_EQ(CheckDesignQuery(q), std::nullopt) << Describe(q);
    const reference::Expected e = ReferenceSearch(q);
    listedSome += e.trains.empty() ? 0 : 1;
    if (!AgreesEverywhere(q, e)) return;
  }
  EXPECT_GT(listedSome, 800);  // the queries exercise more than empty results
}

DesignQuery Free(std::vector<int> lo, std::vector<int> hi, Rational target,
                 std::optional<Tolerance> tolerance) {
  DesignQuery q;
  q.stages = static_cast<int>(lo.size()) / 2;
  q.minTeeth = std::move(lo);
  q.maxTeeth = std::move(hi);
  q.target = target;
  q.tolerance = std::move(tolerance);
  return q;
}

Tolerance Exactly() { return Tolerance{Tolerance::Unit::Absolute, Fraction{0, 1}, "0"}; }

// Several targets in one enumeration: each result is the reference's for its target,
// whatever the targets' own tolerances, K and caps, and however many threads run.
TEST(DesignSearch, SeveralTargetsAtOnceAgreeWithEachAlone) {
  std::mt19937_64 rng(20261208);
  const reference::Pick pick = [&](std::int64_t lo, std::int64_t hi) {
    return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
  };
  for (int i = 0; i < 300; ++i) {
    const DesignQuery q = reference::RandomQuery(pick);
    std::vector<DesignTarget> targets;
    for (int t = static_cast<int>(pick(1, 4)); t > 0; --t) {
      const DesignQuery other = reference::RandomQuery(pick);  // a target, tolerance, K and cap of its own
      targets.push_back({other.target, "t", other.tolerance, other.best, other.maxSolutions});
      if (targets.back().best == 0 && !targets.back().tolerance) targets.back().best = 1 + pick(0, 5);
      if (!targets.back().maxSolutions) targets.back().maxSolutions = pick(0, 1000);
    }
    ASSERT_EQ(CheckDesignTargets(q, targets), std::nullopt) << Describe(q);
    DesignOperations ops;
    const std::vector<DesignResult> results =
        RunDesignSearches(q, targets, ops, nullptr, static_cast<int>(pick(1, 7)));
    ASSERT_EQ(results.size(), targets.size());
    for (std::size_t t = 0; t < targets.size(); ++t) {
      const DesignQuery alone = QueryFor(q, targets[t]);
      ASSERT_EQ(reference::Mismatch(results[t], ReferenceSearch(alone)), "") << Describe(alone);
    }
  }
}

// Charts of closest trains only, which compound trains of up to three stages answer from
// each side's products made once: every target's result is the reference's (ties at the
// K-th place, targets far above and below every reduction or on 0, owned gears, distinct
// kinds, caps), and a run stopped before it starts keeps only real trains.
TEST(DesignSearch, ClosestTrainsOfManyTargetsFromSharedProductsAgreeWithEachAlone) {
  std::mt19937_64 rng(20261209);
  const reference::Pick pick = [&](std::int64_t lo, std::int64_t hi) {
    return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
  };
  for (int i = 0; i < 400; ++i) {
    DesignQuery q = reference::RandomQuery(pick);
    while (q.stages > 3 || q.planetary) q = reference::RandomQuery(pick);  // sides of one block
    std::vector<DesignTarget> targets;
    for (int t = static_cast<int>(pick(1, 6)); t > 0; --t) {
      const DesignQuery other = reference::RandomQuery(pick);
      targets.push_back({other.target, "t", other.tolerance, pick(1, 12), other.maxSolutions});
    }
    targets.push_back(targets.front());  // a target twice: each its own collector
    ASSERT_EQ(CheckDesignTargets(q, targets), std::nullopt) << Describe(q);
    DesignOperations ops;
    const std::atomic<bool> stopped{i % 20 == 0};
    const std::vector<DesignResult> results =
        RunDesignSearches(q, targets, ops, &stopped, static_cast<int>(pick(1, 3)));
    ASSERT_EQ(results.size(), targets.size());
    for (std::size_t t = 0; t < targets.size(); ++t) {
      const DesignQuery alone = QueryFor(q, targets[t]);
      if (stopped.load()) {
        ASSERT_EQ(reference::StoppedMismatch(alone, results[t], ReferenceSearch(alone)), "") << Describe(alone);
        continue;
      }
      ASSERT_EQ(reference::Mismatch(results[t], ReferenceSearch(alone)), "") << Describe(alone);
    }
  }
}

TEST(DesignSearch, AgreesWithTheLoopsWhereProductsOutgrowSixtyFourBitDifferences) {
  // Twelve gears near 500: reductions differ from each other and from the target by less
  // than a double can tell apart, so only exact ranking lists them in the right order.
  std::vector<DesignQuery> queries;
  for (std::int64_t best : {1, 5, 40}) {
    DesignQuery q = Free(std::vector<int>(12, 498), std::vector<int>(12, 500),
                         Fraction{1'000'000'000'000'001, 1'000'000'000'000'000}, std::nullopt);
    q.minTeeth[0] = q.maxTeeth[0] = 499;
    q.best = best;
    queries.push_back(q);
    q.distinct = Distinct::Gears;
    queries.push_back(q);
  }
  DesignQuery all = Free(std::vector<int>(12, 499), std::vector<int>(12, 500), Fraction{1, 1},
                         Tolerance{Tolerance::Unit::Ppm, Fraction{3, 1}, "3ppm"});
  all.sort = SortOrder::Difference;
  queries.push_back(all);
  all.distinct = Distinct::Meshes;
  queries.push_back(all);
  for (const DesignQuery& q : queries) {
    Recording ops;
    ExpectSame(q, RunDesignSearch(q, ops), ReferenceSearch(q), ops);
  }
  // The largest reduction twelve gears make, one away from the target.
  DesignQuery top = Free(std::vector<int>(12, 1), std::vector<int>(12, 1), Fraction{15'625'000'000'000'001, 1},
                         Tolerance{Tolerance::Unit::Absolute, Fraction{1, 1}, "1"});
  for (int g = 1; g < 12; g += 2) top.minTeeth[g] = top.maxTeeth[g] = 500;
  Recording ops;
  EXPECT_EQ(RunDesignSearch(top, ops).trains.size(), 1u);
  top.tolerance = Tolerance{Tolerance::Unit::Absolute, Fraction{999'999'999, 1'000'000'000}, "x"};
  EXPECT_TRUE(RunDesignSearch(top, ops).trains.empty());
}

// Where a floating-point window or a tie rule can go wrong: trains exactly at the edge of
// the tolerance with the target far from every reduction, in each unit; ties at the K-th
// place with the target far above every reduction, also among owned gears with repeats;
// every cap from none to all; targets and tolerances with more digits than 64 bits hold.
TEST(DesignSearch, AgreesWithTheLoopsAtTheEdges) {
  using Unit = Tolerance::Unit;
  const auto within = [](Unit unit, Rational amount) { return Tolerance{unit, amount, "t"}; };
  const Rational tiny = *Rational::FromDigits("1", "100000000000000000000");  // 1e-20
  struct Row {
    const char* name;
    DesignQuery query;
    int bestFrom = 1, bestTo = 0;  // also run with best K for K in bestFrom..bestTo
    int capUpTo = -1;              // also run with the caps 0..capUpTo
  };
  DesignQuery owned = Free({5, 3, 5, 3}, {12, 10, 12, 10}, Rational(100000), std::nullopt);
  owned.ownedGears = {6, 12, 9, 9, 6, 6, 10};
  DesignQuery listing = Free({10, 20, 10, 20}, {14, 40, 14, 40}, Rational(2), within(Unit::Percent, Rational(5)));
  DesignQuery sets = listing;
  sets.distinct = Distinct::Gears;
  sets.sort = SortOrder::Text;
  const Row rows[] = {
      {"500:1 within 49.998 of 50", Free({500, 1}, {500, 1}, Rational(50), within(Unit::Absolute, Rational(24999, 500)))},
      {"1:500 within 499.998 of 0.002", Free({1, 500}, {1, 500}, Rational(1, 500), within(Unit::Absolute, Rational(249999, 500)))},
      {"500:1 500:1 within 0.999996 of 1", Free({500, 1, 500, 1}, {500, 1, 500, 1}, Rational(1), within(Unit::Absolute, Rational(249999, 250000)))},
      {"within 999996ppm", Free({500, 1, 500, 1}, {500, 1, 500, 1}, Rational(1), within(Unit::Ppm, Rational(999996)))},
      {"within 99.9996%", Free({500, 1, 500, 1}, {500, 1, 500, 1}, Rational(1), within(Unit::Percent, Rational(249999, 2500)))},
      {"best K, target far above", Free({6, 1, 7, 1}, {13, 8, 14, 8}, Rational(100000), std::nullopt), 1, 60},
      {"best K of owned gears", owned, 1, 20},
      {"caps of a listing", listing, 1, 0, 40},
      {"caps of gear sets in text order", sets, 1, 0, 25},
      {"7:3 within 1e-20", Free({2, 6, 2, 6}, {4, 8, 4, 8}, Rational(7, 3), within(Unit::Absolute, tiny))},
      {"1e-20, best K", Free({20, 1, 20, 1}, {30, 3, 30, 3}, tiny, std::nullopt), 1, 12},
      {"pi to 20 places, best K", Free({10, 20, 10, 20}, {20, 40, 20, 40},
                                     *Rational::FromDigits("314159265358979323846", "100000000000000000000"), std::nullopt), 1, 12},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<DesignQuery> queries;
    if (row.query.tolerance) queries.push_back(row.query);
    for (int k = row.bestFrom; k <= row.bestTo; ++k) {
      queries.push_back(row.query);
      queries.back().best = k;
      queries.back().sort = SortOrder::Difference;
    }
    for (int cap = 0; cap <= row.capUpTo; ++cap) {
      queries.push_back(row.query);
      queries.back().maxSolutions = cap;
    }
    for (const DesignQuery& q : queries)
      if (!AgreesEverywhere(q, ReferenceSearch(q))) return;
  }
}

std::vector<std::vector<int>> TeethOf(const DesignResult& r) {
  std::vector<std::vector<int>> out;
  for (const DesignTrain& t : r.trains) out.push_back(t.teeth);
  return out;
}

bool Lists(const DesignResult& r, const std::vector<int>& teeth) {
  const auto all = TeethOf(r);
  return std::find(all.begin(), all.end(), teeth) != all.end();
}

TEST(DesignSearch, ListsThePublishedMotionWorksAndARevertedPair) {
  Recording ops;
  // Motion works of 12 with hunting teeth, as two stages and as "Double Reduction".
  const std::vector<std::vector<int>> motionWorks = {
      {15, 52, 13, 45}, {32, 111, 37, 128}, {23, 80, 20, 69}, {25, 87, 29, 100}};
  DesignQuery stages = Free({13, 45, 13, 45}, {37, 128, 37, 128}, Fraction{12, 1}, Exactly());
  stages.huntingTooth = true;
  DesignQuery configuration = stages;
  configuration.stages = 0;
  configuration.configuration = 1;
  configuration.minTeeth.insert(configuration.minTeeth.end(), {10, 10});
  configuration.maxTeeth.insert(configuration.maxTeeth.end(), {10, 10});
  for (const DesignQuery& q : {stages, configuration}) {
    const DesignResult r = RunDesignSearch(q, ops);
    for (const auto& train : motionWorks) EXPECT_TRUE(Lists(r, train)) << train[0] << ":" << train[1];
    for (const DesignTrain& t : r.trains) {
      EXPECT_EQ(t.reduction, (Fraction{12, 1}));
      EXPECT_EQ(std::gcd(t.teeth[0], t.teeth[1]) * std::gcd(t.teeth[2], t.teeth[3]), 1);
    }
  }
  // A reverted pair of 28/3: both stages add up to 100 teeth.
  DesignQuery reverted = Free({15, 60, 15, 60}, {40, 90, 40, 90}, Fraction{28, 3}, Exactly());
  reverted.coaxial = true;
  const DesignResult r = RunDesignSearch(reverted, ops);
  EXPECT_TRUE(Lists(r, {30, 70, 20, 80}) && Lists(r, {20, 80, 30, 70}));
  for (const DesignTrain& t : r.trains) EXPECT_EQ(t.teeth[0] + t.teeth[1], t.teeth[2] + t.teeth[3]);
  reverted.distinct = Distinct::Meshes;
  const DesignResult once = RunDesignSearch(reverted, ops);
  EXPECT_TRUE(Lists(once, {20, 80, 30, 70}) && !Lists(once, {30, 70, 20, 80}));
}

TEST(DesignSearch, StopsSoonAndKeepsWhatItFound) {
  // Long enough (seconds) that a stop asked for at the first report lands while the
  // loops run, however late a busy machine lets the report come.
  DesignQuery q = Free({10, 10, 10, 10, 10, 10}, {50, 50, 50, 50, 50, 50}, Fraction{3, 1}, Exactly());
  std::atomic<bool> stop{true};
  Recording ops;
  DesignResult r = RunDesignSearch(q, ops, &stop);
  EXPECT_TRUE(r.stopped);
  EXPECT_TRUE(r.trains.empty());

  // Stopped from the first batch: a prefix of the whole run, in loop order.
  class StopAtFirstBatch : public Recording {
   public:
    explicit StopAtFirstBatch(std::atomic<bool>& flag) : flag_(flag) {}
    void Listed(std::span<const DesignTrain> batch) override {
      Recording::Listed(batch);
      flag_ = true;
    }
    std::atomic<bool>& flag_;
  };
  // On the loops alone, which take seconds here: the sweep could end before the first
  // report on a busy machine.
  stop = false;
  StopAtFirstBatch stopping(stop);
  detail::EngineTuning loops;
  loops.products = 0;
  r = detail::RunEngine(q, stopping, &stop, 0, loops);
  Recording whole;
  const DesignResult all = RunDesignSearch(q, whole);
  EXPECT_TRUE(r.stopped);
  ASSERT_LT(r.trains.size(), all.trains.size());
  auto prefix = TeethOf(all);
  prefix.resize(r.trains.size());
  EXPECT_EQ(TeethOf(r), prefix);
  EXPECT_EQ(whole.progress.back(), 100);

  // Best K: the closest so far, in order.
  q.best = 3;
  q.tolerance.reset();
  stop = true;
  r = RunDesignSearch(q, ops, &stop);
  EXPECT_TRUE(r.stopped);
  EXPECT_LE(r.trains.size(), 3u);
}

TEST(DesignSearch, RowsAndHeadersAreTheFormsForUpToSixGearsAndGrowBeyond) {
  // Reductions and targets in whole thousandths, where a double prints its exact value.
  std::mt19937_64 rng(7);
  for (int i = 0; i < 300; ++i) {
    DesignTrain t;
    const int k = 2 * std::uniform_int_distribution<int>(1, 3)(rng);
    TrainSolution s;
    for (int g = 0; g < k; ++g) {
      s.nTeeth[g] = std::uniform_int_distribution<int>(1, 500)(rng);
      t.teeth.push_back(s.nTeeth[g]);
    }
    const auto r = std::uniform_int_distribution<std::uint64_t>(0, 2'000'000'000)(rng);
    const auto target = std::uniform_int_distribution<std::uint64_t>(0, 2'000'000'000)(rng);
    t.reduction = Reduced(r, 1000);
    s.dReduction = static_cast<double>(r) / 1000;
    s.dDifference = static_cast<double>(r > target ? r - target : target - r) / 1000;
    const Family family = k == 2 ? Family::Single : k == 4 ? Family::Double : Family::Triple;
    ASSERT_EQ(FormatDesignRow(t, Rational(target, 1000)), FormatSolutionRow(family, s));
    ASSERT_EQ(DesignColumnHeader(k), ColumnHeader(family));
  }
  EXPECT_EQ(DesignColumnHeader(12),
            " Difference Reduction  N1     N2     N3     N4     N5     N6     N7     N8     N9    N10    N11    N12");
  DesignTrain wide{{1, 500, 2, 499, 3, 498, 4, 497}, Fraction{251, 2}};
  EXPECT_EQ(FormatDesignRow(wide, Rational(501, 4)),
            "   0.250   125.500      1    500      2    499      3    498      4    497");
  // The exact values rounded once, halves to even, where their doubles would round again.
  const struct {
    Fraction reduction;
    Rational target;
    const char* row;
  } exact[] = {
      {{23, 2000}, Rational(0), "   0.012     0.012"},     // 0.0115 (its double is below)
      {{17, 16}, Rational(0), "   1.062     1.062"},        // 1.0625
      {{1, 1}, Rational(9885, 10000), "   0.012     1.000"},  // 0.0115 below the reduction
      {{1, 1}, *Rational::FromDigits("1", "100000000000000000000"), "   1.000     1.000"},
  };
  for (const auto& c : exact) {
    DesignTrain t{{}, c.reduction};
    EXPECT_EQ(FormatDesignRow(t, c.target), c.row);
  }
}

TEST(DesignSearch, ComparesAndRoundsQuotientsExactly) {
  using detail::u128;
  std::mt19937_64 rng(11);
  for (int i = 0; i < 20000; ++i) {
    const int bits = 1 + i % 63;
    const auto draw = [&] { return (rng() >> (64 - bits)) + 1; };
    const std::uint64_t a = draw(), b = draw(), c = draw(), d = draw();
    const u128 l = u128{a} * d, r = u128{c} * b;
    ASSERT_EQ(detail::CompareQuotients(a, b, c, d), l < r ? -1 : l > r ? 1 : 0);
    if (a < (1ull << 53) && b < (1ull << 53)) {
      ASSERT_EQ(detail::QuotientToDouble(a, b), static_cast<double>(a) / static_cast<double>(b));
    }
  }
  const u128 top = ~u128{0};
  EXPECT_EQ(detail::CompareQuotients(top, top - 1, top - 1, top - 2), -1);
  EXPECT_EQ(detail::CompareQuotients(top - 1, top, top - 2, top - 1), 1);
  EXPECT_EQ(detail::CompareQuotients(top, top, 1, 1), 0);
  EXPECT_EQ(detail::QuotientToDouble(top, 1), 0x1p128);
  EXPECT_EQ(detail::QuotientToDouble(1, u128{1} << 100), 0x1p-100);
  // One more than a halfway case rounds up; the halfway case itself rounds to even.
  EXPECT_EQ(detail::QuotientToDouble((u128{1} << 64) + (1u << 11) + 1, 1), 0x1p64 + 0x1p12);
  EXPECT_EQ(detail::QuotientToDouble((u128{1} << 64) + (1u << 11), 1), 0x1p64);
}

TEST(DesignSearch, RefusesQueriesItCannotRun) {
  const DesignQuery good = Free({10, 20}, {20, 40}, Fraction{2, 1}, Exactly());
  EXPECT_EQ(CheckDesignQuery(good), std::nullopt);
  DesignQuery config = good;
  config.stages = 0;
  config.configuration = 1;
  config.minTeeth = {10, 10, 10, 10, 10, 10};
  config.maxTeeth = {20, 20, 20, 20, 0, 0};  // N5, N6 of a double: only their minima count
  EXPECT_EQ(CheckDesignQuery(config), std::nullopt);
  struct Bad {
    const char* what;
    std::function<void(DesignQuery&)> change;
  };
  const std::vector<Bad> bad = {
      {"seven stages", [](DesignQuery& q) { q.stages = 7; }},
      {"configuration 7", [](DesignQuery& q) { q.stages = 0; q.configuration = 7; }},
      {"three bounds for one stage", [](DesignQuery& q) { q.minTeeth.push_back(1); }},
      {"six bounds for a free train", [](DesignQuery& q) { q.minTeeth.resize(6, 10); q.maxTeeth.resize(6, 10); }},
      {"0 teeth", [](DesignQuery& q) { q.minTeeth[1] = 0; }},
      {"501 teeth", [](DesignQuery& q) { q.maxTeeth[0] = 501; }},
      {"N5 of a double", [](DesignQuery& q) { q.stages = 0; q.configuration = 2; q.minTeeth = {10, 10, 10, 10, 0, 10}; q.maxTeeth = {20, 20, 20, 20, 20, 20}; }},
      {"owned 501", [](DesignQuery& q) { q.ownedGears = {20, 501}; }},
      {"owned 0", [](DesignQuery& q) { q.ownedGears = {0}; }},
      {"zero denominator", [](DesignQuery& q) { q.target = Fraction{1, 0}; }},
      {"best -1", [](DesignQuery& q) { q.best = -1; }},
      {"best too many", [](DesignQuery& q) { q.best = 10'000'001; }},
      {"cap too many", [](DesignQuery& q) { q.maxSolutions = 10'000'001; }},
      {"cap -1", [](DesignQuery& q) { q.maxSolutions = -1; }},
      {"no range and no best", [](DesignQuery& q) { q.tolerance.reset(); }},
  };
  for (const Bad& b : bad) {
    DesignQuery q = good;
    b.change(q);
    const auto message = CheckDesignQuery(q);
    ASSERT_TRUE(message.has_value()) << b.what;
    EXPECT_EQ(message->find('\n'), std::string::npos) << b.what;
  }
}

}  // namespace
}  // namespace quenmar::design
