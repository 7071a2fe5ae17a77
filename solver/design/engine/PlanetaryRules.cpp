#include "PlanetaryRules.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace quenmar::design::detail {

namespace {

constexpr int kArrangement = 0, kPlanetsSlot = 1, kSunSlot = 2, kPlanetSlot = 3, kSecondSlot = 4;

Member InputOf(int arrangement) { return static_cast<Member>(arrangement % 3); }

}  // namespace

PlanetaryRules::PlanetaryRules(const DesignQuery& query)
    : q_(*query.planetary), owned_(query.ownedGears), hunting_(query.huntingTooth), distinct_(query.distinct) {
  const PlanetaryKind kind = q_.kind;
  gears_ = PlanetarySlots(kind);
  tie_.fill(-1);
  std::array<int, kMaxTeeth + 1> owned{};
  for (int t : owned_) ++owned[t];
  const auto members = [&](int slot, int member) {
    lo_[slot] = q_.minTeeth[member];
    hi_[slot] = q_.maxTeeth[member];
    for (int v = std::max(1, lo_[slot]); v <= hi_[slot]; ++v)
      if (owned_.empty() || owned[v] > 0) values_[slot].push_back(v);
  };
  for (Member h : q_.held)
    for (Member i : q_.input)
      if (h != i) values_[kArrangement].push_back(ArrangementCode(h, i));
  std::sort(values_[kArrangement].begin(), values_[kArrangement].end());
  values_[kArrangement].erase(std::unique(values_[kArrangement].begin(), values_[kArrangement].end()),
                              values_[kArrangement].end());
  lo_[kArrangement] = values_[kArrangement].empty() ? 0 : values_[kArrangement].front();
  hi_[kArrangement] = values_[kArrangement].empty() ? -1 : values_[kArrangement].back();
  lo_[kPlanetsSlot] = q_.minPlanets;
  hi_[kPlanetsSlot] = q_.maxPlanets;
  for (int n = q_.minPlanets; n <= q_.maxPlanets; ++n) values_[kPlanetsSlot].push_back(n);
  members(kSunSlot, kSun);
  members(kPlanetSlot, kPlanet);
  if (kind == PlanetaryKind::Wolfrom) {
    // A carrier-driven train has no sun: its row holds 0 there.
    const bool carrier = std::find(q_.input.begin(), q_.input.end(), Member::Carrier) != q_.input.end();
    const bool sun = std::find(q_.input.begin(), q_.input.end(), Member::Sun) != q_.input.end();
    if (!sun) values_[kSunSlot].clear();
    if (carrier) values_[kSunSlot].insert(values_[kSunSlot].begin(), 0);
    lo_[kSunSlot] = carrier ? 0 : lo_[kSunSlot];
    if (!sun) hi_[kSunSlot] = 0;
  }
  if (kind == PlanetaryKind::Simple) {
    members(4, kRing);
  } else {
    members(kSecondSlot, kPlanet2);
    if (kind == PlanetaryKind::Wolfrom && q_.maxTeeth[kPlanet2] == 0) {
      // One planet gear meshing both rings.
      tie_[kSecondSlot] = kPlanetSlot;
      lo_[kSecondSlot] = lo_[kPlanetSlot];
      hi_[kSecondSlot] = hi_[kPlanetSlot];
    }
    members(5, kRing);
    if (kind == PlanetaryKind::Wolfrom) members(6, kRing2);
  }
}

bool PlanetaryRules::Whole(const int* row) const {
  const PlanetarySet set = DecodePlanetary(q_.kind, row);
  return PlanetaryFits(set, q_, hunting_) && PlanetaryOwned(set, q_, owned_);
}

bool PlanetaryRules::Admits(int g, int v, const int* teeth, int /*from*/, const Usage& /*used*/) const {
  const PlanetaryKind kind = q_.kind;
  const bool wolfrom = kind == PlanetaryKind::Wolfrom;
  if (g == kSunSlot && wolfrom && (v == 0) != (InputOf(teeth[kArrangement]) == Member::Carrier)) return false;
  if (hunting_ && g == kPlanetSlot && teeth[kSunSlot] > 0 && std::gcd(teeth[kSunSlot], v) != 1) return false;
  const int ringSlot = kind == PlanetaryKind::Simple ? 4 : 5;
  if (g == ringSlot) {
    const int zs = teeth[kSunSlot], zp1 = teeth[kPlanetSlot];
    const int ringPlanet = kind == PlanetaryKind::Stepped ? teeth[kSecondSlot] : zp1;
    bool coaxial = false;
    switch (kind) {
      // A shifted set's coaxiality is SimpleShift's, which Whole asks of the ring (the last slot).
      case PlanetaryKind::Simple: coaxial = q_.ProfileShift() || v == zs + 2 * zp1; break;
      case PlanetaryKind::Stepped: coaxial = q_.oneModule ? v == zs + zp1 + teeth[kSecondSlot] : v > teeth[kSecondSlot]; break;
      case PlanetaryKind::Wolfrom: coaxial = zs > 0 ? v == zs + 2 * zp1 : v > zp1; break;
    }
    if (!coaxial || (hunting_ && std::gcd(v, ringPlanet) != 1)) return false;
  }
  if (g != gears_ - 1) return true;
  int row[kMaxGears];
  std::copy(teeth, teeth + g, row);
  row[g] = v;
  return Whole(row);
}

bool PlanetaryRules::Passes(const int* teeth) const { return Whole(teeth); }

void PlanetaryRules::Finish(const int* teeth, std::uint64_t& num, std::uint64_t& den) const {
  const auto r = PlanetaryReduction(DecodePlanetary(q_.kind, teeth));
  num = r ? r->num : 0;
  den = r ? r->den : 1;
}

PlanetaryRules::Range PlanetaryRules::LastGearRange(const int* teeth, std::uint64_t /*num*/, std::uint64_t /*den*/,
                                                    double low, double high) const {
  const int g = gears_ - 1;
  const int zs = teeth[kSunSlot], zp1 = teeth[kPlanetSlot];
  const auto exactly = [&](int v) { return Range{static_cast<long double>(v), static_cast<long double>(v)}; };
  switch (q_.kind) {
    case PlanetaryKind::Simple: {
      if (!q_.ProfileShift()) return exactly(zs + 2 * zp1);
      // The rings shifts can bridge, narrowed to the window before the shifts are worked out.
      const ShiftReach reach = SimpleShiftReach(q_.maxShiftMillis);
      return MonotonicRing(teeth[kArrangement], 1.0L / zs, std::max(lo_[g], zs + 2 * zp1 - reach.shorter),
                           std::min(hi_[g], zs + 2 * zp1 + reach.longer), low, high);
    }
    case PlanetaryKind::Stepped:
      if (q_.oneModule) return exactly(zs + zp1 + teeth[kSecondSlot]);
      return MonotonicRing(teeth[kArrangement],
                           static_cast<long double>(zp1) / (static_cast<long double>(zs) * teeth[kSecondSlot]), lo_[g],
                           hi_[g], low, high);
    case PlanetaryKind::Wolfrom: break;
  }
  const int zp2 = teeth[kSecondSlot], zr1 = teeth[5];
  if (q_.oneModule) return exactly(zr1 - zp1 + zp2);
  // |R| = K y / |y - c| with y = Zp1 Zr2, c = Zr1 Zp2 and K the sun's factor (Zs + Zr1) / Zs
  // (1 when the carrier drives): |R| >= low holds for y within [low c / (low + K),
  // low c / (low - K)] (unbounded above when low <= K). Widened far beyond rounding.
  const long double k = zs > 0 ? static_cast<long double>(zs + zr1) / zs : 1.0L;
  const long double c = static_cast<long double>(zr1) * zp2, l = low;
  constexpr long double kMargin = 1e-9L;
  const long double first = l * c / (zp1 * (l + k)) * (1 - kMargin);
  const long double last = l > k ? l * c / (zp1 * (l - k)) * (1 + kMargin) : std::numeric_limits<long double>::infinity();
  return Range{std::max<long double>(lo_[g], std::min<long double>(std::ceil(first), hi_[g] + 1)),
               std::min<long double>(hi_[g], std::floor(last))};
}

// A stepped or simple train's reduction is monotonic in its ring's teeth (each
// arrangement's is a monotonic function of k = Zr c, c = Zp1 / (Zs Zp2)): the rings of
// lo..hi within the window are found by bisection on long doubles, widened far beyond
// their rounding.
PlanetaryRules::Range PlanetaryRules::MonotonicRing(int code, long double c, int lo, int hi, double low,
                                                    double high) const {
  const auto reduction = [&](int zr) -> long double {
    const long double k = zr * c;
    switch (code) {
      case 3 * 1 + 0: return 1 + k;        // ring held, sun in
      case 3 * 1 + 2: return 1 / (1 + k);  // ring held, carrier in
      case 3 * 0 + 1: return (1 + k) / k;  // sun held, ring in
      case 3 * 0 + 2: return k / (1 + k);  // sun held, carrier in
      case 3 * 2 + 0: return k;            // carrier held, sun in
      default: return 1 / k;               // carrier held, ring in
    }
  };
  constexpr long double kMargin = 1e-9L;
  const long double below = low * (1 - kMargin), above = static_cast<long double>(high) * (1 + kMargin);
  // The first ring from which pred holds (pred turning true once), or one past the range.
  const auto first = [&](auto pred) {
    int a = lo, b = hi + 1;
    while (a < b) {
      const int m = a + (b - a) / 2;
      if (pred(m)) b = m;
      else a = m + 1;
    }
    return a;
  };
  if (lo > hi) return Range{1, 0};
  if (reduction(hi) >= reduction(lo))
    return Range{static_cast<long double>(first([&](int zr) { return reduction(zr) >= below; })),
                 static_cast<long double>(first([&](int zr) { return reduction(zr) > above; }) - 1)};
  return Range{static_cast<long double>(first([&](int zr) { return reduction(zr) <= above; })),
               static_cast<long double>(first([&](int zr) { return reduction(zr) < below; }) - 1)};
}

ClassKey PlanetaryRules::ClassOf(const int* teeth) const {
  ClassKey key;
  for (int g = 0; g < gears_; ++g)
    if (g != kPlanetsSlot) key.a = key.a << 9 | static_cast<std::uint64_t>(teeth[g]);
  return key;
}

std::int64_t PlanetaryRules::Variants(const int* teeth) const {
  if (distinct_ == Distinct::None) return 1;
  int row[kMaxGears];
  std::copy(teeth, teeth + gears_, row);
  std::int64_t count = 0;
  for (int n : values_[kPlanetsSlot]) {
    row[kPlanetsSlot] = n;
    count += Whole(row) ? 1 : 0;
  }
  return count;
}

}  // namespace quenmar::design::detail
