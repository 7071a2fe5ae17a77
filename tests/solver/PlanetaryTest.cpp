// Planetary trains: the published sets, then the engine against the plain reference on
// random queries of every kind, every option and every path of the loops.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "DesignEngine.h"
#include "DesignReference.h"

namespace quenmar::design {
namespace {

PlanetarySet Set(PlanetaryKind kind, Member held, Member input, int planets, std::array<int, kPlanetaryMembers> teeth) {
  PlanetarySet s;
  s.kind = kind;
  s.held = held;
  s.input = input;
  s.output = kind == PlanetaryKind::Wolfrom ? Member::Ring
                                            : static_cast<Member>(3 - static_cast<int>(held) - static_cast<int>(input));
  s.planets = planets;
  s.teeth = teeth;
  return s;
}

// Sets quoted as published in the issue that asked for planetary trains (#22): the
// simple ones are common ring-held reducers (1 + Zr/Zs); the split-ring ones are 3D
// printed Wolfrom drives, the first with its second mesh at a module 33/31 of the first;
// the carrier-driven ones are split-ring stages of Wolfrom's own kind. The two
// formulas (Willis' in the engine, the planet's turning in the reference) must agree on
// each, and a simple set must be found by a search aimed at it, coaxial and assembled.
TEST(Planetary, PublishedSets) {
  using K = PlanetaryKind;
  using M = Member;
  const struct {
    PlanetarySet set;
    Fraction reduction;
    std::uint64_t secondModuleNum, secondModuleDen;
    bool even;  // assembles with its planets evenly spaced
  } cases[] = {
      {Set(K::Simple, M::Ring, M::Sun, 3, {13, 17, 0, 47, 0}), {60, 13}, 1, 1, true},
      {Set(K::Simple, M::Ring, M::Sun, 4, {13, 21, 0, 55, 0}), {68, 13}, 1, 1, true},
      {Set(K::Simple, M::Ring, M::Sun, 3, {11, 22, 0, 55, 0}), {6, 1}, 1, 1, true},
      // Identical planets of this set mesh everywhere at two carrier positions only.
      {Set(K::Wolfrom, M::Ring, M::Sun, 3, {10, 23, 21, 56, 52}), {9867, 25}, 33, 31, false},
      {Set(K::Wolfrom, M::Ring, M::Sun, 3, {8, 13, 11, 34, 29}), {2639, 4}, 7, 6, true},
      {Set(K::Wolfrom, M::Ring, M::Carrier, 3, {0, 16, 11, 45, 32}), {512, 17}, 29, 21, false},
      {Set(K::Wolfrom, M::Ring, M::Carrier, 3, {0, 12, 11, 41, 38}), {456, 5}, 29, 27, false},
  };
  for (const auto& c : cases) {
    const std::vector<int> row = EncodePlanetary(c.set);
    SCOPED_TRACE(::testing::PrintToString(row));
    const auto r = PlanetaryReduction(c.set);
    ASSERT_TRUE(r);
    EXPECT_EQ(*r, c.reduction);
    DesignQuery query;
    PlanetaryQuery& q = query.planetary.emplace();
    q.kind = c.set.kind;
    q.minTeeth = q.maxTeeth = c.set.teeth;
    q.minPlanets = q.maxPlanets = c.set.planets;
    q.held = {c.set.held};
    q.input = {c.set.input};
    q.clearanceMicrons = 0;
    EXPECT_EQ(*reference::PlanetaryReductionOf(query, row), mpq_class(c.reduction.num, c.reduction.den));
    const PlanetaryLayout layout = LayoutOf(c.set, q);
    EXPECT_TRUE(layout.coaxial);
    EXPECT_EQ(layout.even, c.even);
    EXPECT_EQ(layout.secondModuleNum * c.secondModuleDen, c.secondModuleNum * layout.secondModuleDen);
    query.target = Rational(c.reduction);
    query.tolerance = Tolerance{Tolerance::Unit::Absolute, Rational(0), "0"};
    DesignOperations ops;
    const DesignResult found = RunDesignSearch(query, ops, nullptr, 1);
    ASSERT_EQ(found.trains.size(), c.even ? 1u : 0u);
    if (c.even) {
      EXPECT_EQ(found.trains[0].teeth, row);
    }
  }
}

// Simple sets whose ring is a tooth long or short, bridged by profile shift; the shifts
// were worked out apart from the code (a short script of the formulas of GearMesh.h: the
// working pressure angle from the ring mesh's centre distance, the sum split by teeth, a
// negative share stopping at the sun's undercut limit 1 - 0.0585 Zs).
TEST(Planetary, ShiftedSets) {
  const struct {
    std::array<int, 3> teeth;  // sun, planet, ring
    int maxShiftMillis, planets;
    bool admitted;
    double sun, planet;  // the ring is shifted as the planet
  } cases[] = {
      {{20, 12, 45}, 1000, 5, true, 0.345914, 0.207548},    // one tooth long: the pair drawn apart
      {{20, 30, 79}, 1000, 3, true, -0.169810, -0.289413},  // one short: the sun at its undercut limit
      {{20, 12, 43}, 1000, 3, false, 0, 0},                 // one short: the 12-tooth planet would be undercut
      {{20, 12, 47}, 1000, 3, false, 0, 0},                 // three long: the sun would need 1.196
      {{20, 12, 47}, 1200, 3, true, 1.195804, 0.717482},
      {{20, 12, 44}, 0, 4, true, 0, 0},                     // standard: no shift, whatever the largest
      {{20, 12, 45}, 0, 5, false, 0, 0},
      {{20, 12, 49}, 2000, 3, false, 0, 0},                 // five long: the sun would need 2.199
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.teeth) + " up to " + std::to_string(c.maxShiftMillis));
    PlanetaryQuery q;
    q.maxShiftMillis = c.maxShiftMillis;
    q.clearanceMicrons = 0;
    q.anySpacing = true;  // 20 + 47 planets cannot be evenly spaced
    const PlanetaryLayout layout =
        LayoutOf(Set(PlanetaryKind::Simple, Member::Ring, Member::Sun, c.planets, {c.teeth[0], c.teeth[1], 0, c.teeth[2], 0}), q);
    EXPECT_EQ(layout.coaxial, c.admitted);
    if (!c.admitted) continue;
    EXPECT_TRUE(layout.assembles && layout.neighboursClear);
    EXPECT_NEAR(layout.shift.sun, c.sun, 1e-6);
    EXPECT_NEAR(layout.shift.planet, c.planet, 1e-6);
    EXPECT_EQ(layout.shift.ring, layout.shift.planet);
    EXPECT_EQ(layout.centreHalfMicrons, 1000 * (c.teeth[2] - c.teeth[1]));
  }
}

class Recording : public DesignOperations {
 public:
  void Listed(std::span<const DesignTrain> batch) override {
    for (const DesignTrain& t : batch) listed.push_back(t.teeth);
  }
  std::vector<std::vector<int>> listed;
};

TEST(Planetary, AgreesWithTheReferenceOnRandomQueries) {
  std::mt19937_64 rng(22);
  const reference::Pick pick = [&](std::int64_t lo, std::int64_t hi) {
    return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
  };
  std::array<int, 4> listedSome{};  // of each kind, and shifted sets with a ring not Zs + 2 Zp
  for (int i = 0; i < 1900; ++i) {
    const bool shifted = i >= 1500;
    const DesignQuery q = shifted ? reference::RandomShiftedQuery(pick) : reference::RandomPlanetaryQuery(pick);
    if (const auto problem = CheckDesignQuery(q)) {
      // Refused only where no set of the ranges is coaxial.
      ASSERT_NE(problem->find("cannot be coaxial"), std::string::npos) << *problem;
      DesignQuery any = q;
      any.best = 1;
      any.tolerance.reset();
      EXPECT_TRUE(reference::ReferenceSearch(any).trains.empty()) << reference::Describe(q);
      continue;
    }
    const reference::Expected e = reference::ReferenceSearch(q);
    listedSome[static_cast<int>(q.planetary->kind)] += e.trains.empty() ? 0 : 1;
    listedSome[3] += shifted && std::any_of(e.trains.begin(), e.trains.end(), [](const DesignTrain& t) {
                       return t.teeth[4] != t.teeth[2] + 2 * t.teeth[3];
                     });
    std::vector<std::vector<int>> order;
    for (const DesignTrain& t : e.loopOrder) order.push_back(t.teeth);
    // The plain loops, the last member found, parts of every depth, 1, 2 and 5 threads.
    for (int way = 0; way < 4; ++way) {
      detail::EngineTuning tuning;
      tuning.shortcuts = way != 0;
      tuning.partDepth = way == 3 ? 5 : way;
      Recording ops;
      const DesignResult r = detail::RunEngine(q, ops, nullptr, std::array{1, 2, 5, 2}[way], tuning);
      ASSERT_EQ(reference::Mismatch(r, e), "") << "way " << way << ": " << reference::Describe(q);
      ASSERT_EQ(ops.listed, order) << "listed in loop order: " << reference::Describe(q);
    }
    // The phase reported for each, and the same query as one of two targets at once.
    for (const DesignTrain& t : e.trains)
      EXPECT_EQ(PhaseName(LayoutOf(DecodePlanetary(q.planetary->kind, t.teeth.data()), *q.planetary).phase),
                reference::PlanetaryPhase(q, t.teeth));
    const DesignTarget targets[] = {{q.target, "t", q.tolerance, q.best, q.maxSolutions},
                                    {Rational(7), "7", std::nullopt, 3, std::nullopt}};
    DesignOperations ops;
    ASSERT_EQ(reference::Mismatch(RunDesignSearches(q, targets, ops, nullptr, 2)[0], e), "") << reference::Describe(q);
  }
  for (int listed : listedSome) EXPECT_GT(listed, 100);  // the comparisons were not all of empty lists
}

}  // namespace
}  // namespace quenmar::design
