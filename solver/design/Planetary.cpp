#include "Planetary.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "DesignSearch.h"
#include "GearMesh.h"
#include "TextFormat.h"

namespace quenmar::design {

namespace {

using i128 = __int128;

constexpr int kArrangement = 0, kPlanets = 1;

// The row's place of each member, -1 where the kind has none.
constexpr std::array<std::array<int, kPlanetaryMembers>, 3> kSlotOf{{
    {2, 3, -1, 4, -1},  // simple
    {2, 3, 4, 5, -1},   // stepped
    {2, 3, 4, 5, 6},    // wolfrom
}};

// The planet gear meshing the (first) ring: the second step of a stepped planet.
int RingPlanet(const PlanetarySet& s) { return s.teeth[s.kind == PlanetaryKind::Stepped ? kPlanet2 : kPlanet]; }
int Planet2(const PlanetarySet& s) { return s.kind == PlanetaryKind::Simple ? s.teeth[kPlanet] : s.teeth[kPlanet2]; }

// The carrier's centre distance in first-mesh modules, doubled (A), and what the second
// mesh's doubled centre distance is in its own modules (B): the second module is A/B of
// the first. A simple train has one module.
std::pair<std::int64_t, std::int64_t> CentreSums(const PlanetarySet& s) {
  const auto& t = s.teeth;
  switch (s.kind) {
    case PlanetaryKind::Simple: return {t[kSun] + t[kPlanet], t[kSun] + t[kPlanet]};
    case PlanetaryKind::Stepped: return {t[kSun] + t[kPlanet], t[kRing] - t[kPlanet2]};
    case PlanetaryKind::Wolfrom: return {t[kRing] - t[kPlanet], t[kRing2] - t[kPlanet2]};
  }
  return {0, 0};
}

bool Coaxial(const PlanetarySet& s, bool oneModule) {
  const auto& t = s.teeth;
  switch (s.kind) {
    case PlanetaryKind::Simple: return t[kRing] == t[kSun] + 2 * t[kPlanet];  // shifted sets: SimpleShift
    case PlanetaryKind::Stepped:
      return oneModule ? t[kRing] - t[kPlanet2] == t[kSun] + t[kPlanet] : t[kRing] > t[kPlanet2];
    case PlanetaryKind::Wolfrom: {
      const bool first = s.HasSun() ? t[kRing] == t[kSun] + 2 * t[kPlanet] : t[kRing] > t[kPlanet];
      const bool second = oneModule ? t[kRing2] - t[kPlanet2] == t[kRing] - t[kPlanet] : t[kRing2] > t[kPlanet2];
      return first && second;
    }
  }
  return false;
}

// Carrier positions in a turn where an identical planet meshes every member: the
// positions t (in turns) for which a planet turn w exists with Zp1 w = Zs t, Zp1 w = -Zr1 t
// and Zp2 w = -Zr2 t (mod 1), each for the meshes the kind has. They are the multiples of
// 1/L for the L returned.
std::int64_t Positions(const PlanetarySet& s) {
  const auto& t = s.teeth;
  const std::int64_t zs = t[kSun], zp1 = t[kPlanet], zp2 = Planet2(s), zr = t[kRing], g = std::gcd(zp1, zp2);
  switch (s.kind) {
    case PlanetaryKind::Simple: return zs + zr;
    case PlanetaryKind::Stepped: return (zs * zp2 + zr * zp1) / g;
    case PlanetaryKind::Wolfrom: {
      const std::int64_t d = std::abs(t[kRing2] * zp1 - zr * zp2) / g;
      return s.HasSun() ? std::gcd(zs + zr, d) : d;
    }
  }
  return 0;
}

// sin(pi q) for 0 < q <= 1/2 against y > 0: x < y sin(pi q), exactly. The sine is
// rational only at q = 1/6 and 1/2 (Niven); elsewhere x / y, a rational, cannot equal it
// and long doubles tell the two apart.
bool BelowSine(std::int64_t x, std::int64_t y, std::int64_t num, std::int64_t den) {
  if (2 * num == den) return x < y;
  if (6 * num == den) return 2 * x < y;
  return static_cast<long double>(x) <
         static_cast<long double>(y) * std::sin(std::numbers::pi_v<long double> * num / den);
}

}  // namespace

PlanetaryShift SimpleShift(int sun, int planet, int ring, int maxShiftMillis) {
  PlanetaryShift shift;
  const int d = ring - sun - 2 * planet;
  if (d == 0 || maxShiftMillis < 0) {
    shift.reachable = d == 0;
    return shift;
  }
  const ShiftReach reach = SimpleShiftReach(maxShiftMillis);
  if (d < -reach.shorter || d > reach.longer || sun <= 0 || planet <= 0 || ring <= planet) return shift;
  const geometry::Mesh mesh =
      geometry::ShiftedMesh(sun, planet, 1.0, kPlanetaryPressureAngle * std::numbers::pi / 180, (ring - planet) / 2.0,
                            maxShiftMillis / 1000.0);
  if (mesh.problem != geometry::MeshProblem::None) return shift;
  shift.reachable = true;
  shift.sun = mesh.gear[0].shift;
  shift.planet = mesh.gear[1].shift;
  shift.ring = shift.planet;
  shift.tipShortening = mesh.gear[0].tipShortening;
  return shift;
}

ShiftReach SimpleShiftReach(int maxShiftMillis) {
  if (maxShiftMillis < 0) return {};
  return {6 * maxShiftMillis / 1000, 4 * maxShiftMillis / 1000};
}

int PlanetarySlots(PlanetaryKind kind) { return kind == PlanetaryKind::Simple ? 5 : kind == PlanetaryKind::Stepped ? 6 : 7; }

int ArrangementCode(Member held, Member input) { return 3 * static_cast<int>(held) + static_cast<int>(input); }

PlanetarySet DecodePlanetary(PlanetaryKind kind, const int* row) {
  PlanetarySet s;
  s.kind = kind;
  s.held = static_cast<Member>(row[kArrangement] / 3);
  s.input = static_cast<Member>(row[kArrangement] % 3);
  s.output = static_cast<Member>(3 - static_cast<int>(s.held) - static_cast<int>(s.input));
  if (kind == PlanetaryKind::Wolfrom) s.output = Member::Ring;  // the second ring
  s.planets = row[kPlanets];
  for (int m = 0; m < kPlanetaryMembers; ++m) {
    const int slot = kSlotOf[static_cast<int>(kind)][m];
    s.teeth[m] = slot < 0 ? 0 : row[slot];
  }
  return s;
}

std::vector<int> EncodePlanetary(const PlanetarySet& s) {
  std::vector<int> row(static_cast<std::size_t>(PlanetarySlots(s.kind)));
  row[kArrangement] = ArrangementCode(s.held, s.input);
  row[kPlanets] = s.planets;
  for (int m = 0; m < kPlanetaryMembers; ++m)
    if (const int slot = kSlotOf[static_cast<int>(s.kind)][m]; slot >= 0) row[static_cast<std::size_t>(slot)] = s.teeth[m];
  return row;
}

std::optional<Fraction> PlanetaryReduction(const PlanetarySet& s) {
  const auto& t = s.teeth;
  for (int m : {kPlanet, kRing})
    if (t[m] <= 0) return std::nullopt;
  // Each member's speed, to one scale, with the held member still.
  std::array<i128, 3> speed{};  // sun, ring (the output ring of a Wolfrom train), carrier
  if (s.kind == PlanetaryKind::Wolfrom) {
    const i128 zs = t[kSun], zp1 = t[kPlanet], zp2 = t[kPlanet2], zr1 = t[kRing], zr2 = t[kRing2];
    if (zp2 <= 0 || zr2 <= 0 || (s.input == Member::Sun && zs <= 0)) return std::nullopt;
    const i128 scale = s.input == Member::Sun ? zs : 1;
    speed[2] = zp1 * zr2 * scale;
    speed[1] = (zp1 * zr2 - zr1 * zp2) * scale;
    speed[0] = (zs + zr1) * zp1 * zr2;
  } else {
    if (t[kSun] <= 0 || Planet2(s) <= 0) return std::nullopt;
    // With the carrier still, the sun turns -k times the ring's speed, k = kn / kd.
    const i128 kn = i128{t[kRing]} * t[kPlanet], kd = i128{t[kSun]} * Planet2(s);
    switch (s.held) {
      case Member::Ring: speed = {kd + kn, 0, kd}; break;
      case Member::Sun: speed = {0, kd + kn, kn}; break;
      case Member::Carrier: speed = {kn, -kd, 0}; break;
    }
  }
  const auto magnitude = [](i128 v) { return static_cast<std::uint64_t>(v < 0 ? -v : v); };
  const std::uint64_t in = magnitude(speed[static_cast<int>(s.input)]);
  const std::uint64_t out = magnitude(speed[static_cast<int>(s.output)]);
  if (out == 0 || in == 0) return std::nullopt;
  return Reduced(in, out);
}

PlanetaryLayout LayoutOf(const PlanetarySet& s, const PlanetaryQuery& q) {
  PlanetaryLayout layout;
  const auto& t = s.teeth;
  const std::int64_t n = s.planets;
  const bool shifted = s.kind == PlanetaryKind::Simple && q.ProfileShift();
  if (shifted) {
    layout.shift = SimpleShift(t[kSun], t[kPlanet], t[kRing], q.maxShiftMillis);
    layout.coaxial = layout.shift.reachable;
    layout.centreHalfMicrons = q.moduleMicrons * (t[kRing] - t[kPlanet]);
  } else {
    layout.coaxial = Coaxial(s, q.oneModule);
  }
  const auto [a, b] = CentreSums(s);
  if (layout.coaxial && a > 0 && b > 0) {
    const Fraction ratio = Reduced(static_cast<std::uint64_t>(a), static_cast<std::uint64_t>(b));
    layout.secondModuleNum = ratio.num;
    layout.secondModuleDen = ratio.den;
  } else {
    layout.secondModuleNum = 0;
  }
  const std::int64_t zs = t[kSun], zp1 = t[kPlanet], zp2 = Planet2(s);
  const std::int64_t gcdRing = std::gcd(t[kRing], RingPlanet(s));
  layout.huntingTooth = (zs == 0 || std::gcd(zs, zp1) == 1) && gcdRing == 1 &&
                        (s.kind != PlanetaryKind::Wolfrom || std::gcd(t[kRing2], zp2) == 1);
  const std::int64_t L = layout.coaxial && n >= 1 ? Positions(s) : 0;
  layout.positions = L;
  layout.even = L > 0 && L % n == 0;
  layout.assembles = layout.even || (q.anySpacing && L >= n && n >= 1);
  if (!layout.assembles) return layout;
  // The planets nearest to even spacing: planet k at round(k L / n), halves up.
  for (std::int64_t k = 0; k < n; ++k) layout.at.push_back((2 * k * L + n) / (2 * n));
  std::int64_t gap = L;
  for (std::int64_t k = 0; k < n; ++k) gap = std::min(gap, (k + 1 < n ? layout.at[k + 1] : L) - layout.at[k]);
  // Adjacent planets' centres lie 2 a sin(pi gap / L) apart, a the carrier's centre
  // distance (m1 A / 2); each planet gear's tip circle, m (Z + 2), and the clearance must
  // fit within it. In units of m1 / B (mm), all whole: tips m1 (Zp1 + 2) B and
  // m1 A (Zp2 + 2), clearance c B, spacing m1 A B sin(pi gap / L).
  const std::int64_t m1 = q.moduleMicrons, c = q.clearanceMicrons;
  const std::int64_t tip = std::max(m1 * (zp1 + 2) * b, m1 * a * (zp2 + 2));
  layout.neighboursClear = n == 1 || BelowSine(tip + c * b, m1 * a * b, gap, L);
  if (shifted && t[kRing] != t[kSun] + 2 * zp1) {
    // At the ring mesh's centre distance, with the planet's shifted tip: in thousandths of a mm.
    const long double tipDiameter = m1 * (zp1 + 2 + 2 * static_cast<long double>(layout.shift.planet - layout.shift.tipShortening));
    layout.neighboursClear = n == 1 || tipDiameter + c < static_cast<long double>(m1) * (t[kRing] - zp1) *
                                                             std::sin(std::numbers::pi_v<long double> * gap / L);
  }
  // The first mesh (the sun's, or a carrier-driven Wolfrom train's first ring's): planet
  // k engages it at phase Z k-position / L of a tooth.
  const std::int64_t z = zs > 0 ? zs : t[kRing];
  bool inPhase = true, counter = true;
  for (const std::int64_t p : layout.at) {
    inPhase = inPhase && z * p % L == 0;
    counter = counter && 2 * z * p % L == 0;
  }
  layout.phase = inPhase ? MeshPhase::InPhase : counter ? MeshPhase::CounterPhase : MeshPhase::Sequential;
  return layout;
}

bool PlanetaryFits(const PlanetarySet& s, const PlanetaryQuery& q, bool huntingTooth) {
  if (s.planets < q.minPlanets || s.planets > q.maxPlanets) return false;
  if (std::find(q.held.begin(), q.held.end(), s.held) == q.held.end() ||
      std::find(q.input.begin(), q.input.end(), s.input) == q.input.end() || s.held == s.input)
    return false;
  for (int m = 0; m < kPlanetaryMembers; ++m) {
    int lo = q.minTeeth[m], hi = q.maxTeeth[m];
    if (m == kPlanet2 && q.kind == PlanetaryKind::Wolfrom && hi == 0) {
      if (s.teeth[kPlanet2] != s.teeth[kPlanet]) return false;
      continue;
    }
    if (m == kSun && q.kind == PlanetaryKind::Wolfrom && s.input == Member::Carrier) lo = hi = 0;
    if (s.teeth[m] < lo || s.teeth[m] > hi) return false;
  }
  if (!PlanetaryReduction(s)) return false;
  const PlanetaryLayout layout = LayoutOf(s, q);
  return layout.coaxial && layout.assembles && layout.neighboursClear && (!huntingTooth || layout.huntingTooth);
}

bool PlanetaryOwned(const PlanetarySet& s, const PlanetaryQuery& q, const std::vector<int>& owned) {
  if (owned.empty()) return true;
  std::array<int, kMaxTeeth + 1> left{};
  for (int teeth : owned) ++left[teeth];
  const auto take = [&](int teeth, int count) {
    if (teeth <= 0) return true;
    left[teeth] -= count;
    return left[teeth] >= 0;
  };
  const bool stepped = s.kind == PlanetaryKind::Stepped || (s.kind == PlanetaryKind::Wolfrom && q.maxTeeth[kPlanet2] > 0);
  return take(s.teeth[kSun], 1) && take(s.teeth[kRing], 1) && take(s.teeth[kRing2], 1) &&
         take(s.teeth[kPlanet], s.planets) && (!stepped || take(s.teeth[kPlanet2], s.planets));
}

std::optional<std::string> CheckPlanetaryQuery(const PlanetaryQuery& q) {
  static const char* const kOption[] = {"--sun", "--planet", "--planet", "--ring", "--ring"};
  const bool wolfrom = q.kind == PlanetaryKind::Wolfrom, simple = q.kind == PlanetaryKind::Simple;
  const bool sunDrives = std::find(q.input.begin(), q.input.end(), Member::Sun) != q.input.end();
  for (int m = 0; m < kPlanetaryMembers; ++m) {
    const bool needed = m == kPlanet || m == kRing || (m == kSun && (!wolfrom || sunDrives)) ||
                        (m == kPlanet2 && q.kind == PlanetaryKind::Stepped) || (m == kRing2 && wolfrom);
    const bool optional = m == kPlanet2 && wolfrom;
    const int lo = q.minTeeth[m], hi = q.maxTeeth[m];
    if (!needed && !optional) continue;
    if (optional && lo == 0 && hi == 0) continue;
    if (lo < 1 || hi > kMaxTeeth || lo > hi) {
      const bool second = m == kPlanet2 || m == kRing2;
      std::string what = std::string(kOption[m]) + " accepts ";
      if (second || (m == kPlanet && q.kind == PlanetaryKind::Stepped) || (m == kRing && wolfrom))
        what += "two teeth ranges (such as 10..60,10..60), ";
      else
        what += "a teeth range (such as 10..60) ";
      return what + "from 1 to " + std::to_string(kMaxTeeth) +
             " for the " + KindName(q.kind) + " kind";
    }
  }
  if (q.minPlanets < kMinPlanets || q.maxPlanets > kMaxPlanets || q.minPlanets > q.maxPlanets)
    return "--planets accepts 2 to 12 planets (a number or a range such as 3..5)";
  if (q.held.empty() || q.input.empty()) return "--held and --input each need a member";
  if (wolfrom) {
    if (q.held.size() != 1 || q.held.front() != Member::Ring)
      return "--held: a wolfrom train's first ring is always held; leave --held out or give ring";
    for (Member m : q.input)
      if (m == Member::Ring) return "--input accepts sun or carrier for the wolfrom kind (the second ring is the output)";
  }
  bool pair = false;
  for (Member h : q.held)
    for (Member i : q.input) pair = pair || h != i;
  if (!pair)
    return "--held " + MemberName(q.held.front()) + " is also the input: hold another member or drive another";
  if (q.moduleMicrons <= 0) return "--module accepts a module above 0 mm";
  if (q.clearanceMicrons < 0) return "--clearance accepts a distance of 0 mm or more";
  // Ranges that cannot be coaxial, whatever teeth each takes.
  const auto& lo = q.minTeeth;
  const auto& hi = q.maxTeeth;
  const auto range = [](int a, int b) { return std::to_string(a) + ".." + std::to_string(b); };
  if (q.ProfileShift() && !simple) return "--profile-shift applies to the simple kind only";
  if (q.maxShiftMillis > 2000) return "--profile-shift accepts the largest shift of a gear, 0 to 2 (1 when given alone)";
  const ShiftReach reach = SimpleShiftReach(q.maxShiftMillis);
  if (simple && (hi[kRing] < lo[kSun] + 2 * lo[kPlanet] - reach.shorter || lo[kRing] > hi[kSun] + 2 * hi[kPlanet] + reach.longer))
    return "--ring " + range(lo[kRing], hi[kRing]) + " cannot be coaxial: sun + 2 planet teeth lie within " +
           range(lo[kSun] + 2 * lo[kPlanet], hi[kSun] + 2 * hi[kPlanet]) +
           (q.ProfileShift() ? ", and profile shift bridges at most " + std::to_string(reach.shorter) + " teeth fewer or " +
                                   std::to_string(reach.longer) + " more"
                             : "") +
           "; change --ring, --sun or --planet";
  if (q.kind == PlanetaryKind::Stepped) {
    const int low = lo[kSun] + lo[kPlanet] + lo[kPlanet2], high = hi[kSun] + hi[kPlanet] + hi[kPlanet2];
    if (q.oneModule ? (hi[kRing] < low || lo[kRing] > high) : hi[kRing] <= lo[kPlanet2])
      return "--ring " + range(lo[kRing], hi[kRing]) + " cannot be coaxial: it needs " +
             (q.oneModule ? "sun + both planet steps' teeth, " + range(low, high) : "more teeth than the second planet step") +
             "; change --ring or --planet";
  }
  if (wolfrom) {
    const int p2lo = hi[kPlanet2] == 0 ? lo[kPlanet] : lo[kPlanet2];
    const bool carrierDrives = std::find(q.input.begin(), q.input.end(), Member::Carrier) != q.input.end();
    const bool firstOk = (carrierDrives && hi[kRing] > lo[kPlanet]) ||
                         (sunDrives && !(hi[kRing] < lo[kSun] + 2 * lo[kPlanet] || lo[kRing] > hi[kSun] + 2 * hi[kPlanet]));
    if (!firstOk)
      return "--ring " + range(lo[kRing], hi[kRing]) + " cannot be coaxial: the first ring needs " +
             (carrierDrives ? "more teeth than the planet" : "sun + 2 planet teeth, " + range(lo[kSun] + 2 * lo[kPlanet], hi[kSun] + 2 * hi[kPlanet])) +
             "; change --ring, --sun or --planet";
    if (hi[kRing2] <= p2lo)
      return "--ring " + range(lo[kRing2], hi[kRing2]) + " (the second ring) cannot be coaxial: it needs more teeth "
             "than the planet meshing it; change --ring or --planet";
  }
  return std::nullopt;
}

std::string KindName(PlanetaryKind kind) {
  switch (kind) {
    case PlanetaryKind::Simple: return "simple";
    case PlanetaryKind::Stepped: return "stepped";
    case PlanetaryKind::Wolfrom: return "wolfrom";
  }
  return "simple";
}

std::string MemberName(Member member) {
  switch (member) {
    case Member::Sun: return "sun";
    case Member::Ring: return "ring";
    case Member::Carrier: return "carrier";
  }
  return "sun";
}

std::string OutputName(const PlanetarySet& set) {
  return set.kind == PlanetaryKind::Wolfrom ? "ring2" : MemberName(set.output);
}

std::string PhaseName(MeshPhase phase) {
  switch (phase) {
    case MeshPhase::InPhase: return "in phase";
    case MeshPhase::CounterPhase: return "counter-phase";
    case MeshPhase::Sequential: return "sequential";
  }
  return "in phase";
}

std::string SpacingText(const PlanetaryLayout& layout) {
  if (layout.even) return "even";
  std::string text;
  for (const std::int64_t p : layout.at) {
    if (!text.empty()) text += ' ';
    text::AppendGeneral(text, std::round(360.0 * static_cast<double>(p) / static_cast<double>(layout.positions) * 100) / 100, 15);
  }
  return text;
}

}  // namespace quenmar::design
