#pragma once
// Planetary trains: a sun, planets on a carrier and a ring, in three kinds.
// - Simple: one planet gear meshing sun and ring; coaxial when Zr = Zs + 2 Zp.
// - Stepped: a planet of two gears on one shaft, Zp1 meshing the sun, Zp2 the ring; the
//   two meshes share the carrier's centre distance, each at its own module unless one
//   module is asked for (then Zs + Zp1 = Zr - Zp2).
// - Wolfrom (split ring): a planet Zp1 meshing a held ring Zr1 (and the sun, when the
//   sun drives) and a planet step Zp2 meshing the output ring Zr2; driven by the sun or
//   by the carrier. One planet gear meshing both rings is the case Zp1 = Zp2.
//
// A train of such a kind is a row of whole numbers in the design search, in loop order:
// the arrangement (which member is held and which drives), the number of planets, then
// the teeth of the members the kind has (PlanetarySlots). DecodePlanetary reads a row.
//
// Reductions come from Willis' equation, exactly: with the carrier held, the sun turns
// -k times as fast as the ring, k = Zr/Zs (simple), Zr Zp1 / (Zs Zp2) (stepped); a
// Wolfrom train's second ring turns (Zp1 Zr2 - Zr1 Zp2) / (Zp1 Zr2) times the carrier.
// A reduction is the input's speed over the output's, as a magnitude: whether the output
// turns the other way is not part of it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quenmar::design {

struct Fraction;

enum class PlanetaryKind { Simple, Stepped, Wolfrom };
enum class Member { Sun = 0, Ring = 1, Carrier = 2 };

// The members whose teeth a planetary query bounds, in this order.
enum PlanetaryMember { kSun, kPlanet, kPlanet2, kRing, kRing2, kPlanetaryMembers };

constexpr int kMinPlanets = 2, kMaxPlanets = 12;

struct PlanetaryQuery {
  PlanetaryKind kind = PlanetaryKind::Simple;
  // Teeth ranges per member (0..0 where the kind has no such member). A Wolfrom train
  // with planet2 at 0..0 has one planet gear meshing both rings.
  std::array<int, kPlanetaryMembers> minTeeth{}, maxTeeth{};
  int minPlanets = 3, maxPlanets = 3;
  // The members that may be held and that may drive; every pair of two different ones is
  // searched (a Wolfrom train's first ring is always held: held is Ring, input Sun and/or
  // Carrier, and its output is the second ring).
  std::vector<Member> held{Member::Ring}, input{Member::Sun};
  // Planets evenly spaced, or anywhere every mesh engages (nearest to even spacing).
  bool anySpacing = false;
  // Stepped and Wolfrom: every mesh at the first mesh's module (else the second mesh's
  // module is whatever gives it the carrier's centre distance).
  bool oneModule = false;
  std::int64_t moduleMicrons = 1000;    // the first mesh's module, in thousandths of a mm
  std::int64_t clearanceMicrons = 500;  // between the tip circles of adjacent planets
  // Simple sets: the largest profile shift of a gear, in thousandths of a module, with
  // which a ring other than Zs + 2 Zp may be bridged (SimpleShift); -1: no profile shift.
  int maxShiftMillis = -1;
  bool ProfileShift() const { return maxShiftMillis >= 0; }
};

// Profile shift of a simple set whose ring is Zr = Zs + 2 Zp + d. The planet-ring mesh
// keeps its standard centre distance a = m (Zr - Zp) / 2 with the ring shifted as the
// planet (xr = xp), so that its tip clearance stays standard; the sun-planet pair is
// shifted to run at that same distance as any external pair of the geometry is
// (geometry::ShiftedMesh at pressure angle 20 degrees: the shift sum from the working
// pressure angle, split in proportion to the teeth, the tips shortened to keep the tip
// clearance), and the set is refused where a gear's shift would exceed the largest
// allowed, leave a pointed tip or undercut it. d = 0 needs no shift: such a set is
// admitted unshifted, as without profile shift.
// Which sets are admitted is decided by that one function of (Zs, Zp, Zr, the largest
// shift), in modules, so it depends neither on the module nor on who asks.
constexpr double kPlanetaryPressureAngle = 20;  // degrees
struct PlanetaryShift {
  bool reachable = false;
  double sun = 0, planet = 0, ring = 0;  // x, in modules
  double tipShortening = 0;              // of the sun's and the planet's tips, in modules
};
PlanetaryShift SimpleShift(int sun, int planet, int ring, int maxShiftMillis);
// The rings that shifts of at most maxShiftMillis can bridge lie within Zs + 2 Zp - shorter
// .. Zs + 2 Zp + longer (a necessary condition, exact): the sun-planet pair's shift sum
// is at most twice the largest shift, and it grows with the centre distance at the rate
// sin a' / sin a (a' the working pressure angle), at least 1 when the pair is drawn apart
// (so d/2 <= 2 x), and when pushed together at least 0.679 on average down to the
// nearest reachable distance (the shift sum is convex in it), so |d| < 6 x.
struct ShiftReach {
  int shorter = 0, longer = 0;
};
ShiftReach SimpleShiftReach(int maxShiftMillis);

// How many numbers a row of the kind has: arrangement, planets, then sun, planet
// [, planet2], ring [, ring2].
int PlanetarySlots(PlanetaryKind kind);
// The row's arrangement number for a held member and an input.
int ArrangementCode(Member held, Member input);

// One planetary train, read from its row.
struct PlanetarySet {
  PlanetaryKind kind = PlanetaryKind::Simple;
  Member held = Member::Ring, input = Member::Sun, output = Member::Carrier;
  int planets = 0;
  std::array<int, kPlanetaryMembers> teeth{};  // 0 where the kind (or a carrier-driven Wolfrom) has none
  bool HasSun() const { return teeth[kSun] > 0; }
};
PlanetarySet DecodePlanetary(PlanetaryKind kind, const int* row);
std::vector<int> EncodePlanetary(const PlanetarySet& set);

// The reduction |input speed / output speed|, in lowest terms; none where the output
// cannot turn (a Wolfrom train whose two rings' meshes cancel) or a member has no teeth.
std::optional<Fraction> PlanetaryReduction(const PlanetarySet& set);

// The planets' meshing phase: all planets engage the first mesh at once, in two
// alternating groups, or one after another.
enum class MeshPhase { InPhase, CounterPhase, Sequential };

// Everything a set must meet, and what is reported about it.
struct PlanetaryLayout {
  bool coaxial = false;             // the meshes' centre distances can be one
  std::int64_t positions = 0;       // carrier positions in a turn where a planet meshes everywhere
  std::vector<std::int64_t> at;     // each planet's position (of `positions` in a turn)
  bool assembles = false;           // the planets fit at those positions (even, or any when asked)
  bool even = false;                // evenly spaced
  bool neighboursClear = false;     // adjacent planets' tip circles stay `clearance` apart
  bool huntingTooth = false;        // every mesh's teeth counts are coprime
  MeshPhase phase = MeshPhase::InPhase;
  // The second mesh's module over the first's (1 for a simple train); 0/1 when none fits.
  std::uint64_t secondModuleNum = 1, secondModuleDen = 1;
  // Simple sets with profile shift: the shifts, and the carrier's centre distance in
  // half-thousandths of a mm (m (Zr - Zp) / 2, exact).
  PlanetaryShift shift;
  std::int64_t centreHalfMicrons = 0;
};
PlanetaryLayout LayoutOf(const PlanetarySet& set, const PlanetaryQuery& query);

// Every condition of the query on a set but the owned gears and the tolerance: within
// the ranges, coaxial, reduction defined, assembling, neighbours clear, and hunting
// tooth when asked.
bool PlanetaryFits(const PlanetarySet& set, const PlanetaryQuery& query, bool huntingTooth);
// The owned multiset covers the set's gears: the sun, the ring(s), and each planet gear
// (each step of a stepped planet; a Wolfrom planet meshing both rings is one gear) once
// per planet.
bool PlanetaryOwned(const PlanetarySet& set, const PlanetaryQuery& query, const std::vector<int>& owned);

// A planetary query's own problems (kind without its teeth ranges, planets outside
// 2..12, held member also the input, ranges that can never be coaxial), as one line
// naming the option to change; nothing when it may run.
std::optional<std::string> CheckPlanetaryQuery(const PlanetaryQuery& query);

// Names as the command line and the outputs spell them.
std::string KindName(PlanetaryKind kind);            // simple, stepped, wolfrom
std::string MemberName(Member member);               // sun, ring, carrier
std::string OutputName(const PlanetarySet& set);     // sun, ring, carrier, ring2
std::string PhaseName(MeshPhase phase);              // in phase, counter-phase, sequential
// "even", or the planets' angles in degrees ("0 118.8 241.2").
std::string SpacingText(const PlanetaryLayout& layout);

}  // namespace quenmar::design
