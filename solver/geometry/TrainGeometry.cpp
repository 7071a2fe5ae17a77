#include "TrainGeometry.h"

#include <gmpxx.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>

namespace quenmar::geometry {

namespace {

constexpr double kNanometre = 1e-6;  // mm
constexpr Exact kDefaultModule{1, 1};
constexpr double kDefaultAngle = 20, kDefaultShaft = 3;
constexpr long kLargestSum = 2 * 500;  // teeth sums of a stage never exceed it

template <typename T>
T PerStage(const std::vector<T>& values, int index, T fallback) {
  if (values.empty()) return fallback;
  return values.size() == 1 ? values[0] : values[static_cast<std::size_t>(index)];
}

mpq_class Q(const Exact& e) {
  mpq_class q{mpz_class(static_cast<long>(e.num)), mpz_class(static_cast<long>(e.den))};
  q.canonicalize();
  return q;
}

int ClampedSum(const mpz_class& z) {
  if (z < -1) return -1;
  if (z > kLargestSum + 1) return static_cast<int>(kLargestSum + 1);
  return static_cast<int>(z.get_si());
}

double Radians(double degrees) { return degrees * std::numbers::pi / 180; }

std::string Mm(double value) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6).ptr;
  return std::string(buffer, end);
}

// The centre distance every stage takes when they are equal: the one value given.
std::optional<CentreDistance> CommonValue(const GeometryOptions& o) {
  for (const auto& asked : o.centreDistances)
    if (asked) return asked;
  return std::nullopt;
}

}  // namespace

struct TrainRules::Work {
  std::array<Mesh, kMostStages> mesh;
  std::array<double, kMostStages + 1> shaftX{};
  std::array<int, kMostStages> plane{};
  double worst = std::numeric_limits<double>::infinity();
};

TrainRules::TrainRules(const GeometryOptions& options, int stages, bool coaxial)
    : options_(options), stages_(std::clamp(stages, 1, kMostStages)) {
  const Exact firstModule = PerStage(options.modules, 0, kDefaultModule);
  const std::optional<CentreDistance> common = CommonValue(options);
  bool sameModules = true;
  rules_.resize(static_cast<std::size_t>(stages_));
  for (int s = 0; s < stages_; ++s) {
    StageRule& r = rules_[static_cast<std::size_t>(s)];
    const Exact module = PerStage(options.modules, s, kDefaultModule);
    sameModules = sameModules && module == firstModule;
    r.module = module.ToDouble();
    r.angle = Radians(PerStage(options.pressureAngles, s, kDefaultAngle));
    std::optional<CentreDistance> asked;
    if (options.equalCentreDistances) asked = common;
    else if (static_cast<std::size_t>(s) < options.centreDistances.size()) asked = options.centreDistances[static_cast<std::size_t>(s)];
    if (asked) {
      // m S / 2 within value ± tolerance  <=>  S within 2 (value ± tolerance) / m.
      r.kind = StageRule::Kind::Fixed;
      r.value = asked->value.ToDouble();
      const mpq_class lo = 2 * (Q(asked->value) - Q(asked->tolerance)) / Q(module);
      const mpq_class hi = 2 * (Q(asked->value) + Q(asked->tolerance)) / Q(module);
      mpz_class first, last;
      mpz_cdiv_q(first.get_mpz_t(), lo.get_num_mpz_t(), lo.get_den_mpz_t());
      mpz_fdiv_q(last.get_mpz_t(), hi.get_num_mpz_t(), hi.get_den_mpz_t());
      r.sumLo = ClampedSum(first);
      r.sumHi = ClampedSum(last);
    } else if (options.equalCentreDistances && s > 0) {
      // m0 S0 = m S  <=>  S (n d0) = S0 (n0 d), the two factors in lowest terms.
      r.kind = StageRule::Kind::SameAsFirst;
      mpz_class own = mpz_class(static_cast<long>(module.num)) * static_cast<long>(firstModule.den);
      mpz_class first = mpz_class(static_cast<long>(firstModule.num)) * static_cast<long>(module.den);
      const mpz_class common = gcd(own, first);
      own /= common;
      first /= common;
      // Both sums are at most kLargestSum, and own must divide S0, first must divide S.
      r.never = own > kLargestSum || first > kLargestSum;
      if (!r.never) {
        r.own = own.get_si();
        r.first = first.get_si();
      }
    }
    filters_ = filters_ || r.kind != StageRule::Kind::Free;
  }
  filters_ = filters_ || options.maxDiameter.has_value() || options.fits;
  const bool anyAsked = std::any_of(options.centreDistances.begin(), options.centreDistances.end(),
                                    [](const auto& asked) { return asked.has_value(); });
  folded_ = stages_ > 1 && (options.equalCentreDistances || (coaxial && sameModules && !anyAsked));
  for (int j = 0; j <= stages_; ++j) shaftDiameter_.push_back(PerStage(options.shafts, j, kDefaultShaft));
}

bool TrainRules::GearFits(int gear, int teeth) const {
  if (options_.maxShift) return true;
  const StageRule& r = rules_[static_cast<std::size_t>(gear / 2)];
  const GearCut cut{teeth, r.module, r.angle};
  if (options_.maxDiameter && 2 * cut.TipRadius() > *options_.maxDiameter + kNanometre) return false;
  return !options_.fits || cut.RootRadius() > shaftDiameter_[static_cast<std::size_t>(gear / 2 + gear % 2)] / 2;
}

bool TrainRules::MeshFits(int stage, int driver, int driven) const {
  if (rules_[static_cast<std::size_t>(stage)].kind == StageRule::Kind::SameAsFirst) return true;
  std::array<int, 2 * kMostStages> teeth{};
  teeth[2 * stage] = driver;
  teeth[2 * stage + 1] = driven;
  Work w;
  return MeshStage(stage, teeth.data(), w, false);
}

bool TrainRules::MeshStage(int s, const int* teeth, Work& w, bool evaluating) const {
  const StageRule& r = rules_[static_cast<std::size_t>(s)];
  const int driver = teeth[2 * s], driven = teeth[2 * s + 1], sum = driver + driven;
  bool standard = true;
  double centre = 0;
  if (r.kind == StageRule::Kind::Fixed) {
    standard = sum >= r.sumLo && sum <= r.sumHi;
    centre = r.value;
  } else if (r.kind == StageRule::Kind::SameAsFirst) {
    const int firstSum = teeth[0] + teeth[1];
    standard = !r.never && static_cast<long long>(sum) * r.own == static_cast<long long>(firstSum) * r.first;
    centre = rules_[0].module * firstSum / 2;
  }
  Mesh& mesh = w.mesh[static_cast<std::size_t>(s)];
  if (!standard) {
    if (options_.maxShift) mesh = ShiftedMesh(driver, driven, r.module, r.angle, centre, *options_.maxShift);
    if (!options_.maxShift || mesh.problem != MeshProblem::None) {
      if (evaluating) mesh = StandardMesh(driver, driven, r.module, r.angle);
      return false;
    }
  } else {
    mesh = StandardMesh(driver, driven, r.module, r.angle);
  }
  bool ok = true;
  for (int i = 0; i < 2; ++i) {
    const GearCut& gear = mesh.gear[i];
    if (options_.maxDiameter && 2 * gear.TipRadius() > *options_.maxDiameter + kNanometre) ok = false;
    if (options_.fits && !(gear.RootRadius() > shaftDiameter_[static_cast<std::size_t>(s + i)] / 2)) ok = false;
  }
  if (options_.fits && !(mesh.contactRatio >= 1)) ok = false;
  return ok;
}

bool TrainRules::PlaceStage(int s, Work& w, bool stopEarly) const {
  const double clearance = options_.clearance;
  const double direction = folded_ && s % 2 == 1 ? -1.0 : 1.0;
  w.shaftX[s + 1] = w.shaftX[s] + direction * w.mesh[s].workingCentre;
  const auto tip = [&w](int g) { return w.mesh[g / 2].gear[g % 2].TipRadius(); };
  const auto shaftOf = [](int g) { return g / 2 + g % 2; };
  bool ok = true;
  // A gear's tip circle against a shaft it does not sit on (concentric ones excepted).
  const auto gearAndShaft = [&](int g, int shaft) {
    const double distance = std::abs(w.shaftX[shaft] - w.shaftX[shaftOf(g)]);
    if (shaft == shaftOf(g) || distance < kNanometre) return true;
    const double gap = distance - tip(g) - shaftDiameter_[shaft] / 2;
    w.worst = std::min(w.worst, gap);
    ok = ok && gap >= clearance - kNanometre;
    return ok || !stopEarly;
  };
  for (int g = 2 * s; g <= 2 * s + 1; ++g)
    for (int shaft = 0; shaft <= s + 1; ++shaft)
      if (!gearAndShaft(g, shaft)) return false;
  for (int g = 0; g < 2 * s; ++g)
    if (!gearAndShaft(g, s + 1)) return false;

  // The first plane where both gears keep the clearance from the gears already there.
  for (int plane = 0;; ++plane) {
    if (s > 0 && plane == w.plane[s - 1]) continue;
    double least = std::numeric_limits<double>::infinity();
    for (int t = 0; t < s; ++t) {
      if (w.plane[t] != plane) continue;
      for (int g = 2 * t; g <= 2 * t + 1; ++g)
        for (int h = 2 * s; h <= 2 * s + 1; ++h)
          least = std::min(least, std::abs(w.shaftX[shaftOf(g)] - w.shaftX[shaftOf(h)]) - tip(g) - tip(h));
    }
    if (least >= clearance - kNanometre) {
      w.plane[s] = plane;
      w.worst = std::min(w.worst, least);
      break;
    }
  }
  return ok;
}

bool TrainRules::StageFits(int stage, const int* teeth) const {
  Work w;
  for (int s = 0; s <= stage; ++s) {
    if (!MeshStage(s, teeth, w, false)) return false;
    if (options_.fits && !PlaceStage(s, w, true)) return false;
  }
  return true;
}

TrainGeometry TrainRules::Evaluate(const int* teeth) const {
  Work w;
  TrainGeometry t;
  t.fits = true;
  for (int s = 0; s < stages_; ++s) {
    if (!MeshStage(s, teeth, w, true)) t.fits = false;
    if (!PlaceStage(s, w, false) && options_.fits) t.fits = false;
  }
  t.folded = folded_;
  t.worstClearance = w.worst;
  t.shaftX.assign(w.shaftX.begin(), w.shaftX.begin() + stages_ + 1);
  t.shaftDiameters = shaftDiameter_;
  for (int s = 0; s < stages_; ++s) {
    t.meshes.push_back(w.mesh[s]);
    t.planes = std::max(t.planes, w.plane[s] + 1);
    for (int i = 0; i < 2; ++i) {
      PlacedGear gear;
      gear.cut = w.mesh[s].gear[i];
      gear.shaft = s + i;
      gear.plane = w.plane[s];
      gear.x = w.shaftX[s + i];
      t.gears.push_back(gear);
    }
  }
  return t;
}

std::optional<std::string> CheckGeometry(const GeometryOptions& o, int stages,
                                         const std::vector<int>& minTeeth,
                                         const std::vector<int>& maxTeeth) {
  if (!o.enabled) return std::nullopt;
  const std::string k = std::to_string(stages);
  const auto counted = [&](std::size_t n, std::size_t per) { return n <= 1 || n == per; };
  if (!counted(o.modules.size(), stages))
    return "the modules take one value for every stage or one per stage (" + k + ")";
  if (!counted(o.pressureAngles.size(), stages))
    return "the pressure angles take one value for every stage or one per stage (" + k + ")";
  if (!counted(o.shafts.size(), stages + 1))
    return "the shafts take one diameter for every shaft or one per shaft (" + std::to_string(stages + 1) + ")";
  for (const Exact& m : o.modules)
    if (m.num <= 0 || m.den <= 0) return "a module must be above 0 mm";
  for (double a : o.pressureAngles)
    if (!(a >= 10 && a <= 30)) return "a pressure angle must lie within 10..30 degrees";
  for (double d : o.shafts)
    if (!(d > 0)) return "a shaft's diameter must be above 0 mm";
  if (!(o.clearance >= 0)) return "the clearance must be 0 mm or more";
  if (o.maxShift && !(*o.maxShift >= 0 && *o.maxShift <= 2)) return "the profile shift allowed must lie within 0..2";
  if (o.centreDistances.size() > static_cast<std::size_t>(stages))
    for (std::size_t s = static_cast<std::size_t>(stages); s < o.centreDistances.size(); ++s)
      if (o.centreDistances[s])
        return "a centre distance is given for stage " + std::to_string(s + 1) + ", but the train has " + k +
               (stages == 1 ? " stage" : " stages");
  if (o.equalCentreDistances) {
    const std::optional<CentreDistance> common = CommonValue(o);
    for (const auto& asked : o.centreDistances) {
      if (!asked) continue;
      if (asked->tolerance.num != 0) return "equal centre distances take one value, without a tolerance";
      if (!(asked->value == common->value)) return "equal centre distances take one value, not several";
    }
  }

  const TrainRules rules(o, stages);
  const double shift = o.maxShift.value_or(0);
  for (int s = 0; s < stages; ++s) {
    const double module = PerStage(o.modules, s, kDefaultModule).ToDouble();
    const double angle = Radians(PerStage(o.pressureAngles, s, kDefaultAngle));
    const int fewest = minTeeth[2 * s] + minTeeth[2 * s + 1], most = maxTeeth[2 * s] + maxTeeth[2 * s + 1];
    const std::optional<CentreDistance> asked =
        o.equalCentreDistances ? CommonValue(o)
        : static_cast<std::size_t>(s) < o.centreDistances.size() ? o.centreDistances[static_cast<std::size_t>(s)]
                                                                 : std::nullopt;
    if (asked) {
      // A necessary condition only: each gear's share of the sum is at most the shift allowed.
      const double lo = o.maxShift ? CentreForShiftSum(fewest, module, angle, -2 * shift) : module * fewest / 2;
      const double hi = o.maxShift ? CentreForShiftSum(most, module, angle, 2 * shift) : module * most / 2;
      const double value = asked->value.ToDouble(), tolerance = asked->tolerance.ToDouble();
      if (value + tolerance < lo - kNanometre || value - tolerance > hi + kNanometre)
        return "the centre distance of stage " + std::to_string(s + 1) + ", " + Mm(value) +
               " mm, cannot be reached: its gears give " + Mm(lo) + " to " + Mm(hi) + " mm" +
               (o.maxShift ? " with profile shifts up to " + Mm(shift) : " without profile shift");
    }
    for (int i = 0; i < 2; ++i) {
      const int g = 2 * s + i;
      const double shaft = rules.ShaftDiameter(s + i);
      const double root = module * (maxTeeth[g] - 2 * kDedendum + 2 * shift);
      if (shaft >= root)
        return "the shaft of N" + std::to_string(g + 1) + " (" + Mm(shaft) + " mm) is larger than the gear: its root " +
               "circle is at most " + Mm(std::max(0.0, root)) + " mm (" + std::to_string(maxTeeth[g]) +
               " teeth of module " + Mm(module) + ")";
    }
  }
  return std::nullopt;
}

}  // namespace quenmar::geometry
