// Planetary trains the plain way: every row of the ranges in loop order, the speeds from
// the planet's own turning (not from Willis' formula as the engine writes it), assembly
// by trying every carrier position and planet turn, neighbours from the planets' centres.
// A simple set with profile shift tries every ring of its range: the sun-planet pair is
// shifted to the ring mesh's standard centre distance as the geometry shifts a pair.

#include <algorithm>
#include <cmath>
#include <numbers>
#include <map>
#include <numeric>
#include <set>

#include "DesignReference.h"
#include "GearMesh.h"

namespace quenmar::reference {

using namespace design;

namespace {

struct Row {
  PlanetaryKind kind;
  int held, input, planets, sun, planet, planet2, ring, ring2;  // members 0 sun, 1 ring, 2 carrier
};

Row Read(const PlanetaryQuery& q, const int* r) {
  Row row{q.kind, r[0] / 3, r[0] % 3, r[1], r[2], r[3], 0, 0, 0};
  if (q.kind == PlanetaryKind::Simple) {
    row.planet2 = row.planet;
    row.ring = r[4];
  } else {
    row.planet2 = r[4];
    row.ring = r[5];
    if (q.kind == PlanetaryKind::Wolfrom) row.ring2 = r[6];
  }
  return row;
}

// The planet gear meshing the sun, the first ring and the second ring.
int SunPlanet(const Row& r) { return r.planet; }
int RingPlanet(const Row& r) { return r.kind == PlanetaryKind::Stepped ? r.planet2 : r.planet; }

// Each member's speed, the held one still: with the carrier still the planet turns once,
// the sun then turns -Zp/Zs, each ring Zp/Zr (internal teeth turn the planet's way); the
// carrier's own speed is added to every member so that the held one stands. Speeds are
// scaled by Zs Zr Zr2 to stay whole.
std::optional<std::pair<std::uint64_t, std::uint64_t>> Reduction(const Row& r) {
  if (r.planet <= 0 || r.ring <= 0 || r.held == r.input || (r.kind != PlanetaryKind::Wolfrom && r.sun <= 0))
    return std::nullopt;
  const bool wolfrom = r.kind == PlanetaryKind::Wolfrom;
  if (wolfrom && (r.ring2 <= 0 || r.planet2 <= 0)) return std::nullopt;
  const std::int64_t scale = std::int64_t{std::max(r.sun, 1)} * r.ring * (wolfrom ? r.ring2 : 1);
  const std::int64_t sun = r.sun > 0 ? -std::int64_t{SunPlanet(r)} * scale / r.sun : 0;
  const std::int64_t ring = std::int64_t{RingPlanet(r)} * scale / r.ring;
  std::int64_t in, out;
  if (wolfrom) {
    const std::int64_t ring2 = wolfrom ? std::int64_t{r.planet2} * scale / r.ring2 : 0, c = -ring;  // the first ring stands
    in = r.input == 0 ? sun + c : c;
    out = ring2 + c;
  } else {
    const std::int64_t rel[3] = {sun, ring, 0};
    const std::int64_t c = -rel[r.held];
    in = rel[r.input] + c;
    out = rel[3 - r.held - r.input] + c;
  }
  if (out == 0 || in == 0) return std::nullopt;
  const auto num = static_cast<std::uint64_t>(std::abs(in)), den = static_cast<std::uint64_t>(std::abs(out));
  const std::uint64_t g = std::gcd(num, den);
  return std::pair{num / g, den / g};
}

// The centre distances of the meshes, in first-mesh modules, must be one: the second
// mesh's module is free unless one module is asked for.
bool Coaxial(const Row& r, bool oneModule) {
  switch (r.kind) {
    case PlanetaryKind::Simple: return r.sun + r.planet == r.ring - r.planet;
    case PlanetaryKind::Stepped: return oneModule ? r.sun + r.planet == r.ring - r.planet2 : r.ring > r.planet2;
    case PlanetaryKind::Wolfrom:
      if (r.sun > 0 ? r.sun + r.planet != r.ring - r.planet : r.ring <= r.planet) return false;
      return oneModule ? r.ring2 - r.planet2 == r.ring - r.planet : r.ring2 > r.planet2;
  }
  return false;
}

// A simple set with profile shift: the planet and ring at their standard centre distance,
// m (Zr - Zp) / 2, the ring shifted as the planet; the sun and planet shifted as a pair to
// that distance by the geometry (within the largest shift, no pointed tip, no undercut).
// A ring of Zs + 2 Zp takes no shift. Nothing when it cannot be made.
std::optional<geometry::Mesh> ShiftedPair(const Row& r, const PlanetaryQuery& q) {
  if (r.ring == r.sun + 2 * r.planet) return geometry::StandardMesh(r.sun, r.planet, 1, std::numbers::pi / 9);
  if (r.ring <= r.planet) return std::nullopt;  // no centre distance at all
  const geometry::Mesh pair = geometry::ShiftedMesh(r.sun, r.planet, 1, std::numbers::pi * 20 / 180,
                                                    (r.ring - r.planet) / 2.0, q.maxShiftMillis / 1000.0);
  if (pair.problem != geometry::MeshProblem::None) return std::nullopt;
  return pair;
}

// The meshes as (member teeth, sign, planet gear teeth): at carrier position t (turns)
// a planet turned w meshes when Zp w - sign Z t is whole (sign +1 for the sun, -1 for a
// ring).
struct Mesh {
  std::int64_t z, sign, zp;
};
std::vector<Mesh> Meshes(const Row& r) {
  std::vector<Mesh> m;
  if (r.sun > 0) m.push_back({r.sun, 1, SunPlanet(r)});
  m.push_back({r.ring, -1, RingPlanet(r)});
  if (r.kind == PlanetaryKind::Wolfrom) m.push_back({r.ring2, -1, r.planet2});
  return m;
}

// The carrier positions j / Q (j in 0..Q-1) where a planet meshes everywhere, tried one by
// one: Q from the first two meshes (t Q is whole wherever both engage), every planet
// turn w = (sign Z t + a) / Zp of the first mesh tried against the others.
std::vector<std::int64_t> ValidPositions(const Row& r, std::int64_t& Q) {
  const std::vector<Mesh> m = Meshes(r);
  Q = std::abs(m[1].zp * m[0].sign * m[0].z - m[0].zp * m[1].sign * m[1].z);
  std::vector<std::int64_t> valid;
  if (Q == 0) return valid;
  for (std::int64_t j = 0; j < Q; ++j) {
    bool found = false;
    for (std::int64_t a = 0; a < m[0].zp && !found; ++a) {
      // w = (sign0 Z0 j + a Q) / (Zp0 Q)
      const std::int64_t wn = m[0].sign * m[0].z * j + a * Q, wd = m[0].zp * Q;
      found = std::all_of(m.begin(), m.end(), [&](const Mesh& x) {
        const std::int64_t top = x.zp * wn - x.sign * x.z * j * m[0].zp;  // over Zp0 Q
        return top % wd == 0;
      });
    }
    if (found) valid.push_back(j);
  }
  return valid;
}

struct Placed {
  bool ok = false, even = false;
  std::int64_t Q = 0;
  std::vector<std::int64_t> at;  // of Q
};

Placed Place(const Row& r, bool anySpacing) {
  Placed p;
  // The positions depend on the teeth alone: worked out once per set of teeth.
  thread_local std::map<std::array<int, 5>, std::pair<std::int64_t, std::vector<std::int64_t>>> known;
  const std::array<int, 5> key{r.sun, r.planet, r.planet2, r.ring, r.ring2};
  auto at = known.find(key);
  if (at == known.end()) {
    std::int64_t Q = 0;
    std::vector<std::int64_t> valid = ValidPositions(r, Q);
    at = known.emplace(key, std::pair{Q, std::move(valid)}).first;
  }
  p.Q = at->second.first;
  const std::vector<std::int64_t>& valid = at->second.second;
  if (p.Q == 0) return p;
  const auto isValid = [&](std::int64_t j) { return std::binary_search(valid.begin(), valid.end(), j); };
  p.even = true;
  for (int k = 0; k < r.planets; ++k) p.even = p.even && k * p.Q % r.planets == 0 && isValid(k * p.Q / r.planets);
  if (p.even) {
    for (int k = 0; k < r.planets; ++k) p.at.push_back(k * p.Q / r.planets);
    p.ok = true;
    return p;
  }
  if (!anySpacing) return p;
  // Each planet at the valid position nearest its even place (the later one on a tie);
  // two planets at one position do not fit.
  for (int k = 0; k < r.planets; ++k) {
    // Distances from k Q / n, times n.
    std::int64_t best = -1, bestDistance = 0;
    for (std::int64_t j : valid) {
      const std::int64_t d = std::abs(j * r.planets - k * p.Q);
      if (best < 0 || d <= bestDistance) {
        best = j;
        bestDistance = d;
      }
    }
    p.at.push_back(best);
  }
  p.ok = std::adjacent_find(p.at.begin(), p.at.end()) == p.at.end();
  return p;
}

// Adjacent planets' tip circles at least the clearance apart, from their centres: 2 a
// sin(half the angle between them) apart, a = m1 (Zs + Zp1) / 2 or m1 (Zr1 - Zp1) / 2.
bool NeighboursClear(const Row& r, const PlanetaryQuery& q, const Placed& p) {
  const mpq_class m1(q.moduleMicrons, 1000), c(q.clearanceMicrons, 1000);
  if (q.ProfileShift() && r.ring != r.sun + 2 * r.planet) {
    // Centres 2 a sin(half the angle) apart, a = m (Zr - Zp) / 2; the planet's tip circle shifted.
    const geometry::Mesh pair = *ShiftedPair(r, q);
    const double m = m1.get_d(), tip = 2 * m * pair.gear[1].TipRadius();
    for (std::size_t k = 0; k < p.at.size(); ++k) {
      const std::int64_t gap = (k + 1 < p.at.size() ? p.at[k + 1] : p.Q) - p.at[k];
      if (!(tip + c.get_d() < m * (r.ring - r.planet) * std::sin(std::numbers::pi * static_cast<double>(gap) / static_cast<double>(p.Q))))
        return false;
    }
    return true;
  }
  const int first = r.kind == PlanetaryKind::Wolfrom ? r.ring - r.planet : r.sun + r.planet;
  const int second = r.kind == PlanetaryKind::Simple ? first
                     : r.kind == PlanetaryKind::Stepped ? r.ring - r.planet2
                                                        : r.ring2 - r.planet2;
  mpq_class m2 = m1 * first / second;
  m2.canonicalize();
  const mpq_class a = m1 * first / 2;
  const mpq_class tips = std::max(mpq_class(m1 * (r.planet + 2)), mpq_class(m2 * (r.planet2 + 2)));
  for (std::size_t k = 0; k < p.at.size(); ++k) {
    const std::int64_t gap = (k + 1 < p.at.size() ? p.at[k + 1] : p.Q) - p.at[k];
    mpq_class half(gap, p.Q);  // of a half turn: the sine's argument over pi
    half.canonicalize();
    const mpq_class need = tips + c, have = 2 * a;
    bool clear;
    if (half == mpq_class(1, 2)) clear = need < have;
    else if (half == mpq_class(1, 6) || half == mpq_class(5, 6)) clear = need < have / 2;
    else clear = need.get_d() < have.get_d() * std::sin(std::numbers::pi * half.get_d());
    if (!clear) return false;
  }
  return true;
}

bool Owned(const Row& r, const PlanetaryQuery& q, const std::vector<int>& owned) {
  if (owned.empty()) return true;
  std::vector<int> needed;
  for (int t : {r.sun, r.ring, r.ring2})
    if (t > 0) needed.push_back(t);
  const bool twoGears = r.kind == PlanetaryKind::Stepped || (r.kind == PlanetaryKind::Wolfrom && q.maxTeeth[kPlanet2] > 0);
  for (int k = 0; k < r.planets; ++k) {
    needed.push_back(r.planet);
    if (twoGears) needed.push_back(r.planet2);
  }
  for (int t : needed)
    if (std::count(needed.begin(), needed.end(), t) > std::count(owned.begin(), owned.end(), t)) return false;
  return true;
}

}  // namespace

void VisitPlanetaryLoops(const DesignQuery& query,
                         const std::function<bool(const int*, std::uint64_t, std::uint64_t)>& visit) {
  const PlanetaryQuery& q = *query.planetary;
  const int slots = PlanetarySlots(q.kind);
  std::vector<std::vector<int>> values(static_cast<std::size_t>(slots));
  for (int code = 0; code < 9; ++code) values[0].push_back(code);
  for (int n = q.minPlanets; n <= q.maxPlanets; ++n) values[1].push_back(n);
  const auto range = [](int lo, int hi) {
    std::vector<int> v;
    for (int t = lo; t <= hi; ++t) v.push_back(t);
    return v;
  };
  values[2] = range(q.kind == PlanetaryKind::Wolfrom ? 0 : q.minTeeth[kSun], q.maxTeeth[kSun]);
  if (q.kind == PlanetaryKind::Wolfrom && values[2].front() != 0) values[2].insert(values[2].begin(), 0);
  values[3] = range(q.minTeeth[kPlanet], q.maxTeeth[kPlanet]);
  if (q.kind == PlanetaryKind::Simple) {
    values[4] = range(q.minTeeth[kRing], q.maxTeeth[kRing]);
  } else {
    values[4] = q.maxTeeth[kPlanet2] == 0 ? values[3] : range(q.minTeeth[kPlanet2], q.maxTeeth[kPlanet2]);
    values[5] = range(q.minTeeth[kRing], q.maxTeeth[kRing]);
    if (q.kind == PlanetaryKind::Wolfrom) values[6] = range(q.minTeeth[kRing2], q.maxTeeth[kRing2]);
  }
  std::vector<int> row(static_cast<std::size_t>(slots));
  const std::function<bool(int)> loop = [&](int g) {
    if (g == slots) {
      const auto r = Reduction(Read(q, row.data()));
      return !r || visit(row.data(), r->first, r->second);
    }
    for (int v : values[static_cast<std::size_t>(g)]) {
      row[static_cast<std::size_t>(g)] = v;
      if (!loop(g + 1)) return false;
    }
    return true;
  };
  loop(0);
}

bool PlanetaryPasses(const DesignQuery& query, const int* teeth) {
  const PlanetaryQuery& q = *query.planetary;
  const Row r = Read(q, teeth);
  const auto listed = [](const std::vector<Member>& list, int m) {
    return std::find(list.begin(), list.end(), static_cast<Member>(m)) != list.end();
  };
  if (r.held == r.input || !listed(q.held, r.held) || !listed(q.input, r.input)) return false;
  if (r.planets < q.minPlanets || r.planets > q.maxPlanets) return false;
  // A carrier-driven Wolfrom train has no sun; every other has one in its range.
  const bool sunless = q.kind == PlanetaryKind::Wolfrom && r.input == 2;
  if (sunless ? r.sun != 0 : r.sun < q.minTeeth[kSun] || r.sun > q.maxTeeth[kSun]) return false;
  const auto within = [&](int t, int m) { return t >= q.minTeeth[m] && t <= q.maxTeeth[m]; };
  if (!within(r.planet, kPlanet) || !within(r.ring, kRing)) return false;
  if (q.kind != PlanetaryKind::Simple && !(q.kind == PlanetaryKind::Wolfrom && q.maxTeeth[kPlanet2] == 0) &&
      !within(r.planet2, kPlanet2))
    return false;
  if (q.kind == PlanetaryKind::Wolfrom && !within(r.ring2, kRing2)) return false;
  if (q.kind == PlanetaryKind::Wolfrom && q.maxTeeth[kPlanet2] == 0 && r.planet2 != r.planet) return false;
  if (!Reduction(r)) return false;
  if (q.kind == PlanetaryKind::Simple && q.ProfileShift() ? !ShiftedPair(r, q) : !Coaxial(r, q.oneModule)) return false;
  if (query.huntingTooth) {
    for (const Mesh& m : Meshes(r))
      if (std::gcd(m.z, m.zp) != 1) return false;
  }
  if (!Owned(r, q, query.ownedGears)) return false;
  const Placed p = Place(r, q.anySpacing);
  return p.ok && NeighboursClear(r, q, p);
}

std::optional<mpq_class> PlanetaryReductionOf(const DesignQuery& query, const std::vector<int>& teeth) {
  const auto r = Reduction(Read(*query.planetary, teeth.data()));
  if (!r) return std::nullopt;
  return mpq_class(mpz_class(r->first), mpz_class(r->second));
}

std::string PlanetaryPhase(const DesignQuery& query, const std::vector<int>& teeth) {
  const Row r = Read(*query.planetary, teeth.data());
  const Placed p = Place(r, query.planetary->anySpacing);
  const std::int64_t z = r.sun > 0 ? r.sun : r.ring;
  std::set<mpq_class> phases;
  for (std::int64_t j : p.at) {
    mpq_class x(z * j, p.Q);
    x.canonicalize();
    phases.insert(x - mpq_class(mpz_class(x.get_num() / x.get_den())));
  }
  if (phases.size() == 1 && *phases.begin() == 0) return "in phase";
  if (std::all_of(phases.begin(), phases.end(), [](const mpq_class& x) { return x == 0 || x == mpq_class(1, 2); }))
    return "counter-phase";
  return "sequential";
}

DesignQuery RandomPlanetaryQuery(const Pick& pick) {
  const auto p = [&](int lo, int hi) { return static_cast<int>(pick(lo, hi)); };
  DesignQuery query;
  PlanetaryQuery q;
  q.kind = static_cast<PlanetaryKind>(p(0, 2));
  const int width = q.kind == PlanetaryKind::Simple ? 12 : q.kind == PlanetaryKind::Stepped ? 5 : 4;
  const auto range = [&](int m, int lo, int hi) {
    q.minTeeth[m] = p(lo, hi);
    q.maxTeeth[m] = q.minTeeth[m] + p(0, width - 1);
  };
  range(kSun, 6, 24);
  range(kPlanet, 6, 24);
  if (q.kind == PlanetaryKind::Simple) {
    q.minTeeth[kRing] = q.minTeeth[kSun] + 2 * q.minTeeth[kPlanet] + p(-4, 4);
    q.maxTeeth[kRing] = q.minTeeth[kRing] + p(0, 3 * width);
  } else if (q.kind == PlanetaryKind::Stepped) {
    range(kPlanet2, 6, 24);
    q.minTeeth[kRing] = q.minTeeth[kSun] + q.minTeeth[kPlanet] + q.minTeeth[kPlanet2] + p(-3, 3);
    q.maxTeeth[kRing] = q.minTeeth[kRing] + p(0, 2 * width);
  } else {
    if (p(0, 2) > 0) range(kPlanet2, q.minTeeth[kPlanet] - 3, q.minTeeth[kPlanet] + 2);
    q.minTeeth[kRing] = q.minTeeth[kSun] + 2 * q.minTeeth[kPlanet] + p(-2, 2);
    q.maxTeeth[kRing] = q.minTeeth[kRing] + p(0, 2 * width);
    q.minTeeth[kRing2] = q.minTeeth[kRing] + p(-4, 3);
    q.maxTeeth[kRing2] = q.minTeeth[kRing2] + p(0, 2 * width);
  }
  q.minPlanets = p(2, 5);
  q.maxPlanets = std::min(kMaxPlanets, q.minPlanets + p(0, 2));
  const std::vector<std::vector<Member>> lists = {
      {Member::Ring}, {Member::Sun}, {Member::Carrier}, {Member::Sun, Member::Ring, Member::Carrier}};
  if (q.kind == PlanetaryKind::Wolfrom) {
    q.held = {Member::Ring};
    q.input = std::vector<std::vector<Member>>{{Member::Sun}, {Member::Carrier}, {Member::Sun, Member::Carrier}}[p(0, 2)];
  } else {
    do {
      q.held = lists[p(0, 3)];
      q.input = lists[p(0, 3)];
    } while (q.held.size() == 1 && q.input == q.held);
  }
  q.anySpacing = p(0, 1) == 1;
  q.oneModule = p(0, 2) == 0;
  q.moduleMicrons = std::array{1000, 1500, 500, 800}[p(0, 3)];
  q.clearanceMicrons = std::array{0, 500, 1000, 3000}[p(0, 3)];
  query.planetary = q;
  // A target near some row's reduction, or anywhere.
  std::vector<int> row(static_cast<std::size_t>(PlanetarySlots(q.kind)));
  row[0] = ArrangementCode(q.held[p(0, static_cast<int>(q.held.size()) - 1)], q.input[p(0, static_cast<int>(q.input.size()) - 1)]);
  row[1] = q.minPlanets;
  row[2] = q.kind == PlanetaryKind::Wolfrom && row[0] % 3 == 2 ? 0 : p(q.minTeeth[kSun], q.maxTeeth[kSun]);
  row[3] = p(q.minTeeth[kPlanet], q.maxTeeth[kPlanet]);
  if (q.kind == PlanetaryKind::Simple) {
    row[4] = row[2] + 2 * row[3];
  } else {
    row[4] = q.maxTeeth[kPlanet2] == 0 ? row[3] : p(q.minTeeth[kPlanet2], q.maxTeeth[kPlanet2]);
    row[5] = p(q.minTeeth[kRing], q.maxTeeth[kRing]);
    if (q.kind == PlanetaryKind::Wolfrom) row[6] = p(q.minTeeth[kRing2], q.maxTeeth[kRing2]);
  }
  const auto r = Reduction(Read(q, row.data()));
  mpq_class target = r && p(0, 3) > 0 ? mpq_class(mpq_class(mpz_class(r->first), mpz_class(r->second)) * mpq_class(p(90, 110), 100))
                                      : mpq_class(p(1, 4000), p(1, 100));
  target.canonicalize();
  query.target = *Rational::FromDigits(target.get_num().get_str(), target.get_den().get_str());
  query.targetText = "t";
  switch (p(0, 3)) {
    case 0: query.tolerance = Tolerance{Tolerance::Unit::Percent, Rational(static_cast<std::uint64_t>(p(1, 30))), "t"}; break;
    case 1: query.tolerance = Tolerance{Tolerance::Unit::Absolute, Rational(static_cast<std::uint64_t>(p(0, 500)), 10), "t"}; break;
    default: query.tolerance = Tolerance{Tolerance::Unit::Ppm, Rational(static_cast<std::uint64_t>(p(0, 400000))), "t"}; break;
  }
  if (p(0, 2) == 0) {
    query.best = p(1, 12);
    if (p(0, 1) == 0) query.tolerance.reset();
    query.sort = SortOrder::Difference;
  } else {
    query.sort = static_cast<SortOrder>(p(0, 2));
  }
  if (p(0, 3) == 0) query.maxSolutions = p(0, 8);
  query.distinct = static_cast<Distinct>(p(0, 2));
  query.huntingTooth = p(0, 3) == 0;
  if (p(0, 4) == 0) {
    for (int i = p(3, 12); i > 0; --i) {
      const int m = std::array{kSun, kPlanet, kPlanet, kRing}[p(0, 3)];
      query.ownedGears.insert(query.ownedGears.end(), static_cast<std::size_t>(m == kPlanet ? p(1, 2 * q.maxPlanets) : 1),
                              p(std::max(1, q.minTeeth[m]), std::max(1, q.maxTeeth[m])));
    }
  }
  return query;
}

DesignQuery RandomShiftedQuery(const Pick& pick) {
  DesignQuery query;
  do query = RandomPlanetaryQuery(pick);
  while (query.planetary->kind != PlanetaryKind::Simple);
  query.planetary->maxShiftMillis = std::array{1000, 500, 250, 1500, 2000, 0}[pick(0, 5)];
  return query;
}

}  // namespace quenmar::reference
