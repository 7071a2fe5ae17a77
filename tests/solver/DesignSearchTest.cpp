// The design search against the plain nested loops over exact fractions, on many small
// random queries of every configuration and stage count, every option alone and
// combined; then the published trains, the row text and the query checks.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <map>
#include <random>

#include "DesignEngine.h"
#include "Exact.h"
#include "LiteralDesignLoops.h"
#include "SolutionRow.h"

namespace quenmar::design {
namespace {

using i128 = __int128;
using reference::LiteralDesignGears;

Fraction F(const Rational& r) { return *r.AsFraction(); }

struct Found {
  std::vector<int> teeth;
  std::uint64_t num, den;
  i128 diffNum;  // |R - T| = diffNum / (den * T.den)
  std::int64_t variants = 1;
};

// The order of the two trains' differences, exactly: by cross-multiplication where it
// fits (checked), else by the engine's quotient comparison, itself tested against
// cross-multiplication below.
int CompareDiff(const Found& a, const Found& b) {
  i128 l = 0, r = 0;
  if (__builtin_mul_overflow(a.diffNum, static_cast<i128>(b.den), &l) ||
      __builtin_mul_overflow(b.diffNum, static_cast<i128>(a.den), &r))
    return detail::CompareQuotients(static_cast<detail::u128>(a.diffNum), a.den,
                                    static_cast<detail::u128>(b.diffNum), b.den);
  return l < r ? -1 : l > r ? 1 : 0;
}

i128 Times(std::initializer_list<i128> factors) {
  i128 product = 1;
  for (i128 f : factors) EXPECT_FALSE(__builtin_mul_overflow(product, f, &product));
  return product;
}

bool WithinTolerance(const DesignQuery& q, const Found& f) {
  if (!q.tolerance) return true;
  const Tolerance& t = *q.tolerance;
  const i128 u = F(t.amount).num, v = F(t.amount).den, p = F(q.target).num, qd = F(q.target).den;
  const i128 den = f.den;
  if (t.unit == Tolerance::Unit::Absolute) return Times({f.diffNum, v}) <= Times({u, den, qd});
  const i128 scale = t.unit == Tolerance::Unit::Ppm ? 1'000'000 : 100;
  return Times({f.diffNum, v, scale}) <= Times({u, p, den});
}

std::vector<int> ClassKey(const DesignQuery& q, const std::vector<int>& teeth) {
  const int stages = StageCount(q);
  std::vector<int> key;
  if (q.distinct == Distinct::Meshes) {
    std::vector<std::pair<int, int>> meshes;
    for (int s = 0; s < stages; ++s) meshes.emplace_back(teeth[2 * s], teeth[2 * s + 1]);
    std::sort(meshes.begin(), meshes.end());
    for (auto [d, n] : meshes) key.insert(key.end(), {d, n});
  } else {
    std::vector<int> drivers, driven;
    for (int s = 0; s < stages; ++s) {
      drivers.push_back(teeth[2 * s]);
      driven.push_back(teeth[2 * s + 1]);
    }
    std::sort(drivers.begin(), drivers.end());
    std::sort(driven.begin(), driven.end());
    key = drivers;
    key.push_back(0);
    key.insert(key.end(), driven.begin(), driven.end());
  }
  return key;
}

struct Expected {
  std::vector<Found> trains;
  DesignOutcome outcome;
  std::vector<Found> loopOrder;  // the listed trains before sorting
};

// What the query's contract says, worked out from the literal loops the slow way.
Expected BruteForce(const DesignQuery& q) {
  const LiteralDesignGears gears(q);
  std::vector<Found> all;
  reference::LiteralDesignLoops(gears, [&](const int* teeth, std::uint64_t num, std::uint64_t den) {
    const i128 a = static_cast<i128>(num) * F(q.target).den, b = static_cast<i128>(F(q.target).num) * den;
    Found f{std::vector<int>(teeth, teeth + gears.gears), num, den, a > b ? a - b : b - a};
    if (WithinTolerance(q, f) && reference::PassesDesignFilters(q, gears, teeth)) all.push_back(f);
    return true;
  });
  if (q.distinct != Distinct::None) {
    std::map<std::vector<int>, std::size_t> index;
    std::vector<Found> firsts;
    for (const Found& f : all) {
      const auto [at, fresh] = index.emplace(ClassKey(q, f.teeth), firsts.size());
      if (fresh) firsts.push_back(f);
      else ++firsts[at->second].variants;
    }
    all = firsts;
  }
  Expected e{{}, DesignOutcome::NoConvergence, {}};
  bool cut = false;
  if (q.best > 0) {
    std::stable_sort(all.begin(), all.end(),
                     [](const Found& a, const Found& b) { return CompareDiff(a, b) < 0; });
    if (static_cast<std::int64_t>(all.size()) > q.best) all.resize(static_cast<std::size_t>(q.best));
  }
  if (q.maxSolutions && static_cast<std::int64_t>(all.size()) > *q.maxSolutions) {
    all.resize(static_cast<std::size_t>(*q.maxSolutions));
    cut = true;
  }
  e.loopOrder = all;
  if (q.best == 0 && q.sort == SortOrder::Difference)
    std::stable_sort(all.begin(), all.end(),
                     [](const Found& a, const Found& b) { return CompareDiff(a, b) < 0; });
  if (q.best == 0 && q.sort == SortOrder::Text) {
    const auto row = [&](const Found& f) {
      DesignTrain t;
      t.teeth = f.teeth;
      t.reduction = Reduced(f.num, f.den);
      return FormatDesignRow(t, q.target);
    };
    std::stable_sort(all.begin(), all.end(), [&](const Found& a, const Found& b) {
      return CompareSolutionRows(row(a), row(b)) < 0;
    });
  }
  e.trains = all;
  e.outcome = cut ? DesignOutcome::MaximumExceeded
              : all.empty() ? DesignOutcome::NoConvergence
                            : DesignOutcome::Solutions;
  return e;
}

class Recording : public DesignOperations {
 public:
  void Progress(const DesignProgress& p) override { progress.push_back(p.percent); }
  void Listed(std::span<const DesignTrain> batch) override {
    for (const DesignTrain& t : batch) listed.push_back(t.teeth);
  }
  std::vector<int> progress;
  std::vector<std::vector<int>> listed;
};

std::string Describe(const DesignQuery& q) {
  std::string s = q.stages > 0 ? "stages " + std::to_string(q.stages)
                               : "configuration " + std::to_string(q.configuration);
  s += " min";
  for (int v : q.minTeeth) s += " " + std::to_string(v);
  s += " max";
  for (int v : q.maxTeeth) s += " " + std::to_string(v);
  s += " target " + std::to_string(F(q.target).num) + "/" + std::to_string(F(q.target).den);
  if (q.tolerance)
    s += " tolerance " + std::to_string(F(q.tolerance->amount).num) + "/" +
         std::to_string(F(q.tolerance->amount).den) + " unit " +
         std::to_string(static_cast<int>(q.tolerance->unit));
  s += " best " + std::to_string(q.best) + " cap " +
       (q.maxSolutions ? std::to_string(*q.maxSolutions) : "-") + " sort " +
       std::to_string(static_cast<int>(q.sort)) + " distinct " +
       std::to_string(static_cast<int>(q.distinct)) + " owned";
  for (int v : q.ownedGears) s += " " + std::to_string(v);
  s += q.huntingTooth ? " hunting" : "";
  s += q.coaxial ? " coaxial" : "";
  return s;
}

void ExpectSame(const DesignQuery& q, const DesignResult& r, const Expected& e,
                const Recording& ops) {
  SCOPED_TRACE(Describe(q));
  ASSERT_EQ(r.trains.size(), e.trains.size());
  EXPECT_EQ(r.outcome, e.outcome);
  EXPECT_FALSE(r.stopped);
  for (std::size_t i = 0; i < e.trains.size(); ++i) {
    const DesignTrain& t = r.trains[i];
    const Found& f = e.trains[i];
    ASSERT_EQ(t.teeth, f.teeth) << "at " << i;
    EXPECT_EQ(t.variants, f.variants) << "at " << i;
    EXPECT_EQ(t.reduction, Reduced(f.num, f.den));
    EXPECT_EQ(t.dReduction, static_cast<double>(f.num) / static_cast<double>(f.den));
  }
  if (q.best == 0) {
    std::vector<std::vector<int>> order;
    for (const Found& f : e.loopOrder) order.push_back(f.teeth);
    EXPECT_EQ(ops.listed, order);
  } else {
    EXPECT_TRUE(ops.listed.empty());
  }
  EXPECT_TRUE(std::is_sorted(ops.progress.begin(), ops.progress.end()));
  if (!ops.progress.empty()) {
    EXPECT_LE(ops.progress.back(), 100);
  }
}

// A random small query: ranges narrow enough for the loops, a target near a train the
// ranges hold, and every option drawn at random.
DesignQuery RandomQuery(std::mt19937_64& rng) {
  const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  DesignQuery q;
  const bool free = pick(0, 1) == 1;
  q.stages = free ? pick(1, kMaxStages) : 0;
  q.configuration = pick(0, kConfigurationCount - 1);
  const int gears = free ? 2 * q.stages : kGearCount;
  const int used = free ? gears : Configuration(q.configuration).k;
  // Narrower ranges for more gears, so that the loops stay in the tens of thousands.
  const int width = used <= 2 ? 30 : used <= 4 ? 8 : used <= 6 ? 4 : used <= 8 ? 3 : 2;
  const int base = pick(1, 25);
  for (int g = 0; g < gears; ++g) {
    const int lo = base + pick(0, 3);
    q.minTeeth.push_back(lo);
    q.maxTeeth.push_back(lo + pick(0, width - 1));
  }
  std::vector<int> probe(used);
  std::uint64_t num = 1, den = 1;
  for (int g = 0; g < used; ++g) {
    probe[g] = pick(q.minTeeth[g], q.maxTeeth[g]);
    (g % 2 == 1 ? num : den) *= static_cast<std::uint64_t>(probe[g]);
  }
  if (!free && Configuration(q.configuration).family == Family::Double) {
    num *= static_cast<std::uint64_t>(q.minTeeth[5]);
    den *= static_cast<std::uint64_t>(q.minTeeth[4]);
  }
  const int scale = pick(1, 40);
  const std::int64_t nudged = static_cast<std::int64_t>(num) * scale + pick(-3, 3);
  q.target = pick(0, 9) == 0 ? Fraction{0, 1}
                             : Reduced(static_cast<std::uint64_t>(std::max<std::int64_t>(nudged, 1)),
                                       den * static_cast<std::uint64_t>(scale));
  switch (pick(0, 3)) {
    case 0: q.tolerance = Tolerance{Tolerance::Unit::Absolute, Reduced(static_cast<std::uint64_t>(pick(0, 60)), 100), "t"}; break;
    case 1: q.tolerance = Tolerance{Tolerance::Unit::Ppm, Reduced(static_cast<std::uint64_t>(pick(0, 90000)), 1), "t"}; break;
    case 2: q.tolerance = Tolerance{Tolerance::Unit::Percent, Reduced(static_cast<std::uint64_t>(pick(0, 90)), 10), "t"}; break;
    default: q.tolerance = Tolerance{Tolerance::Unit::Absolute, Fraction{0, 1}, "0"}; break;
  }
  if (pick(0, 2) == 0) {
    q.best = pick(1, 9);
    if (pick(0, 1) == 0) q.tolerance.reset();
    q.sort = SortOrder::Difference;
  } else {
    q.sort = static_cast<SortOrder>(pick(0, 2));
  }
  if (pick(0, 2) == 0) q.maxSolutions = pick(0, 6);
  q.distinct = static_cast<Distinct>(pick(0, 2));
  if (pick(0, 3) == 0) {
    // Owned gears drawn from the ranges, some counts twice, so ties and repeats matter.
    for (int i = pick(2, used + 3); i > 0; --i) {
      const int g = pick(0, used - 1);
      const int teeth = pick(q.minTeeth[g], q.maxTeeth[g]);
      q.ownedGears.insert(q.ownedGears.end(), static_cast<std::size_t>(pick(1, 2)), teeth);
    }
  }
  q.huntingTooth = pick(0, 3) == 0;
  q.coaxial = pick(0, 3) == 0;
  return q;
}

TEST(DesignSearch, AgreesWithTheLoopsOnRandomQueries) {
  std::mt19937_64 rng(20261207);
  int listedSome = 0;
  for (int i = 0; i < 2500; ++i) {
    const DesignQuery q = RandomQuery(rng);
    ASSERT_EQ(CheckDesignQuery(q), std::nullopt) << Describe(q);
    const Expected e = BruteForce(q);
    listedSome += e.trains.empty() ? 0 : 1;
    // Every way the engine can run: the plain loops, the cheapest with small tables,
    // tables of one to three stages, and the product sweep, wherever they apply.
    for (int way = -2; way <= 4; ++way) {
      Recording ops;
      detail::EngineTuning tuning;
      tuning.shortcuts = way != -2;
      tuning.maxTableEntries = way == -1 ? 64 : 1 << 20;
      tuning.tableStages = way >= 1 && way <= 3 ? way : -1;
      tuning.products = way == 4 ? 1 : 0;
      // Small parts and segments, so that a split of the work shows in the result if it can.
      tuning.partDepth = static_cast<int>(rng() % 4);
      tuning.segmentProducts = 1 + rng() % 64;
      const int threads = std::array{1, 2, 7}[rng() % 3];
      const DesignResult r = detail::RunEngine(q, ops, nullptr, threads, tuning);
      ExpectSame(q, r, e, ops);
      if (HasFailure()) return;
    }
    Recording ops;
    ExpectSame(q, RunDesignSearch(q, ops), e, ops);
    if (HasFailure()) return;
  }
  EXPECT_GT(listedSome, 1000);  // the queries exercise more than empty results
}


DesignQuery Free(std::vector<int> lo, std::vector<int> hi, Fraction target,
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
    ExpectSame(q, RunDesignSearch(q, ops), BruteForce(q), ops);
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
  // Long enough that a stop asked for at the first report lands while the loops run.
  DesignQuery q = Free({10, 10, 10, 10, 10, 10}, {40, 40, 40, 40, 40, 40}, Fraction{3, 1},
                       Tolerance{Tolerance::Unit::Ppm, Fraction{1, 1}, "1ppm"});
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
  stop = false;
  StopAtFirstBatch stopping(stop);
  r = RunDesignSearch(q, stopping, &stop);
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
