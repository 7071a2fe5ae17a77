#include "DesignReference.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

#include "SolutionRow.h"

namespace quenmar::reference {

using namespace design;

namespace {

using u128 = unsigned __int128;

mpq_class Q(const mpz_class& num, const mpz_class& den) {
  mpq_class q{num, den};
  q.canonicalize();
  return q;
}

// The double nearest to q >= 0, halves to even: q * 2^k cut to 53 bits, then rounded by
// its remainder.
double Nearest(const mpq_class& q) {
  if (sgn(q) == 0) return 0.0;
  const long bits = static_cast<long>(mpz_sizeinbase(q.get_num_mpz_t(), 2)) -
                    static_cast<long>(mpz_sizeinbase(q.get_den_mpz_t(), 2));
  for (long k = 53 - bits;; --k) {  // q * 2^k lies within 2^52..2^54: at most two turns
    mpz_class num = q.get_num(), den = q.get_den(), m, r;
    if (k >= 0) num <<= static_cast<mp_bitcnt_t>(k);
    else den <<= static_cast<mp_bitcnt_t>(-k);
    mpz_fdiv_qr(m.get_mpz_t(), r.get_mpz_t(), num.get_mpz_t(), den.get_mpz_t());
    if (m >= mpz_class(1) << 53) continue;
    const int half = cmp(mpz_class(r * 2), den);
    if (half > 0 || (half == 0 && mpz_odd_p(m.get_mpz_t()))) ++m;
    return std::ldexp(m.get_d(), static_cast<int>(-k));
  }
}

Rational ToRational(const mpq_class& q) {
  return *Rational::FromDigits(q.get_num().get_str(), q.get_den().get_str());
}

// A fixed bound b >= 0 against which reductions num/den are placed exactly: against b's
// neighbours on a grid of 2^-shift with 128-bit integers, and with GMP only when the
// reduction lies between them.
class Edge {
 public:
  explicit Edge(const mpq_class& b) : b_(b) {
    mpz_class whole, scaled = b.get_num(), below, above;
    mpz_cdiv_q(whole.get_mpz_t(), b.get_num_mpz_t(), b.get_den_mpz_t());
    shift_ = std::min(70, 61 - static_cast<int>(mpz_sizeinbase(whole.get_mpz_t(), 2)));
    if (shift_ < 0) return;  // b * 2^shift must fit 64 bits
    scaled <<= static_cast<mp_bitcnt_t>(shift_);
    mpz_fdiv_q(below.get_mpz_t(), scaled.get_mpz_t(), b.get_den_mpz_t());
    mpz_cdiv_q(above.get_mpz_t(), scaled.get_mpz_t(), b.get_den_mpz_t());
    below_ = mpz_get_ui(below.get_mpz_t());
    above_ = mpz_get_ui(above.get_mpz_t());
    fast_ = true;
  }

  // The sign of num/den - b.
  int Compare(std::uint64_t num, std::uint64_t den) const {
    constexpr std::uint64_t kFits = std::uint64_t{1} << 56;  // so that num << 70 fits 128 bits
    if (fast_ && num < kFits && den < kFits) {
      const u128 scaled = u128{num} << shift_;
      if (scaled < u128{below_} * den) return -1;
      if (scaled > u128{above_} * den) return 1;
    }
    const int c = cmp(mpz_class(num) * b_.get_den(), b_.get_num() * mpz_class(den));
    return (c > 0) - (c < 0);
  }

 private:
  mpq_class b_;
  int shift_ = 0;
  std::uint64_t below_ = 0, above_ = 0;
  bool fast_ = false;
};

// The reductions a train may have: target - r ..target + r, both ends included, for the
// smallest radius given so far (none: every reduction).
class Band {
 public:
  explicit Band(const mpq_class& target) : target_(target) {}
  void Narrow(const mpq_class& radius) {
    if (radius_ && *radius_ <= radius) return;
    radius_ = radius;
    hi_.emplace(target_ + radius);
    if (target_ > radius) lo_.emplace(target_ - radius);
  }
  bool Admits(std::uint64_t num, std::uint64_t den) const {
    return !hi_ || (hi_->Compare(num, den) <= 0 && (!lo_ || lo_->Compare(num, den) >= 0));
  }

 private:
  mpq_class target_;
  std::optional<mpq_class> radius_;
  std::optional<Edge> lo_, hi_;
};

std::optional<mpq_class> ToleranceRadius(const DesignQuery& q, const mpq_class& target) {
  if (!q.tolerance) return std::nullopt;
  const mpq_class amount = Exact(q.tolerance->amount);
  switch (q.tolerance->unit) {
    case Tolerance::Unit::Absolute: return amount;
    case Tolerance::Unit::Ppm: return mpq_class(amount * target / 1'000'000);
    case Tolerance::Unit::Percent: return mpq_class(amount * target / 100);
  }
  return amount;
}

bool LoopOrder(const DesignTrain& a, const DesignTrain& b) { return a.teeth < b.teeth; }

}  // namespace

namespace detail {

Fixed::Fixed(const DesignQuery& query) {
  if (query.stages == 0 && Configuration(query.configuration).family == Family::Double) {
    driver = static_cast<std::uint64_t>(query.minTeeth[4]);
    driven = static_cast<std::uint64_t>(query.minTeeth[5]);
  }
}

LoopGears::LoopGears(const DesignQuery& query, bool ownedOnly) : gears(GearCount(query)), fixed(query) {
  const auto& owned = query.ownedGears;
  for (int g = 0; g < gears; ++g)
    for (int t = query.minTeeth[g]; t <= query.maxTeeth[g]; ++t)
      if (!ownedOnly || owned.empty() || std::find(owned.begin(), owned.end(), t) != owned.end())
        values[g].push_back(t);
}

}  // namespace detail

namespace {

// The filters of a query, worked out once for the loops.
class Filters {
 public:
  explicit Filters(const DesignQuery& query)
      : query_(query), gears_(GearCount(query)), stages_(StageCount(query)) {
    for (int t : query.ownedGears) ++owned_[static_cast<std::size_t>(t)];
  }

  bool Pass(const int* teeth) const {
    if (query_.planetary) return PlanetaryPasses(query_, teeth);
    if (query_.stages == 0) {
      Teeth six{};
      std::copy(teeth, teeth + gears_, six.begin());
      if (!PassesFilter(Configuration(query_.configuration), six)) return false;
    }
    if (!query_.ownedGears.empty()) {
      for (int g = 0; g < gears_; ++g)
        if (std::count(teeth, teeth + gears_, teeth[g]) > owned_[static_cast<std::size_t>(teeth[g])]) return false;
    }
    for (int s = 0; s < stages_; ++s) {
      if (query_.huntingTooth && std::gcd(teeth[2 * s], teeth[2 * s + 1]) != 1) return false;
      if (query_.coaxial && teeth[2 * s] + teeth[2 * s + 1] != teeth[0] + teeth[1]) return false;
    }
    return true;
  }

 private:
  const DesignQuery& query_;
  int gears_, stages_;
  std::array<int, kMaxTeeth + 1> owned_{};
};

}  // namespace

bool PassesFilters(const DesignQuery& query, const int* teeth) { return Filters(query).Pass(teeth); }

mpq_class Exact(const Rational& r) {
  return Q(mpz_class(r.Numerator()), mpz_class(r.Denominator()));
}

mpq_class ReductionOf(const DesignQuery& query, const std::vector<int>& teeth) {
  if (query.planetary) return PlanetaryReductionOf(query, teeth).value_or(mpq_class(0));
  const detail::Fixed fixed(query);
  mpz_class num = fixed.driven, den = fixed.driver;
  for (std::size_t g = 0; g < teeth.size(); ++g) (g % 2 == 1 ? num : den) *= teeth[g];
  return Q(num, den);
}

bool Qualifies(const DesignQuery& query, const std::vector<int>& teeth) {
  if (static_cast<int>(teeth.size()) != GearCount(query)) return false;
  for (std::size_t g = 0; g < teeth.size() && !query.planetary; ++g)
    if (teeth[g] < query.minTeeth[g] || teeth[g] > query.maxTeeth[g]) return false;
  if (!PassesFilters(query, teeth.data())) return false;
  const mpq_class target = Exact(query.target);
  const auto radius = ToleranceRadius(query, target);
  return !radius || abs(ReductionOf(query, teeth) - target) <= *radius;
}

DesignTrain MakeTrain(const DesignQuery& query, const std::vector<int>& teeth) {
  const mpq_class target = Exact(query.target), r = ReductionOf(query, teeth);
  const mpq_class difference = abs(r - target);
  DesignTrain t;
  t.teeth = teeth;
  t.reduction = Fraction{r.get_num().get_ui(), r.get_den().get_ui()};
  t.dReduction = Nearest(r);
  t.dDifference = Nearest(difference);
  t.relativePpm = sgn(target) == 0 ? 0.0 : 1e6 * Nearest(difference / target);
  t.side = cmp(r, target) > 0 ? 1 : cmp(r, target) < 0 ? -1 : 0;
  return t;
}

std::vector<int> ClassKey(const DesignQuery& query, const std::vector<int>& teeth) {
  const int stages = StageCount(query);
  std::vector<int> key;
  if (query.planetary && query.distinct != Distinct::None) {  // the row but its planets
    key = teeth;
    key.erase(key.begin() + 1);
    return key;
  }
  if (query.distinct == Distinct::Meshes) {
    std::vector<std::pair<int, int>> meshes;
    for (int s = 0; s < stages; ++s) meshes.emplace_back(teeth[2 * s], teeth[2 * s + 1]);
    std::sort(meshes.begin(), meshes.end());
    for (auto [driver, driven] : meshes) key.insert(key.end(), {driver, driven});
  } else if (query.distinct == Distinct::Gears) {
    std::vector<int> driven;
    for (int s = 0; s < stages; ++s) {
      key.push_back(teeth[2 * s]);
      driven.push_back(teeth[2 * s + 1]);
    }
    std::sort(key.begin(), key.end());
    std::sort(driven.begin(), driven.end());
    key.push_back(0);
    key.insert(key.end(), driven.begin(), driven.end());
  }
  return key;
}

void Arrange(const DesignQuery& query, std::vector<DesignTrain>& trains) {
  std::sort(trains.begin(), trains.end(), LoopOrder);
  if (query.sort == SortOrder::Text && query.best == 0) {
    std::stable_sort(trains.begin(), trains.end(), [&](const DesignTrain& a, const DesignTrain& b) {
      return CompareSolutionRows(FormatDesignRow(a, query.target), FormatDesignRow(b, query.target)) < 0;
    });
  } else if (query.sort == SortOrder::Difference || query.best > 0) {
    const mpq_class target = Exact(query.target);
    std::stable_sort(trains.begin(), trains.end(), [&](const DesignTrain& a, const DesignTrain& b) {
      return abs(Q(a.reduction.num, a.reduction.den) - target) < abs(Q(b.reduction.num, b.reduction.den) - target);
    });
  }
}

Expected ReferenceSearch(const DesignQuery& query) {
  const mpq_class target = Exact(query.target);
  const int gears = GearCount(query);
  Band band(target);
  if (const auto radius = ToleranceRadius(query, target)) band.Narrow(*radius);
  struct Kept {
    std::vector<int> teeth, key;
    mpq_class difference;
    std::int64_t variants = 1;
  };
  // A listing keeps every class in loop order; the best K keep the K closest so far,
  // in order, the band then narrowed to the K-th.
  std::vector<Kept> kept;
  std::map<std::vector<int>, std::size_t> listed;  // class -> its place in kept
  const auto k = static_cast<std::size_t>(query.best);
  const Filters filters(query);
  const auto visit = [&](const int* teeth, std::uint64_t num, std::uint64_t den) {
    if (!band.Admits(num, den) || !filters.Pass(teeth)) return true;
    Kept train{{teeth, teeth + gears}, {}, abs(Q(num, den) - target)};
    train.key = ClassKey(query, train.teeth);
    if (query.best == 0) {
      if (!train.key.empty()) {
        const auto [at, fresh] = listed.emplace(train.key, kept.size());
        if (!fresh) return ++kept[at->second].variants, true;
      }
      kept.push_back(std::move(train));
      return true;
    }
    // A class's later trains count for it while it is kept. Its trains share their
    // reduction, so once its first train has been left out, the later ones, as close
    // and later in loop order, are left out below too.
    if (!train.key.empty())
      for (Kept& other : kept)
        if (other.key == train.key) return ++other.variants, true;
    const auto at = std::upper_bound(kept.begin(), kept.end(), train, [](const Kept& a, const Kept& b) {
      return a.difference < b.difference;
    });
    if (at == kept.end() && kept.size() == k) return true;  // as close as the K-th, and later
    kept.insert(at, std::move(train));
    if (kept.size() > k) kept.pop_back();
    if (kept.size() == k) band.Narrow(kept.back().difference);
    return true;
  };
  if (query.planetary) VisitPlanetaryLoops(query, visit);
  else VisitLiteralLoops(query, visit, true);

  Expected expected;
  for (const Kept& train : kept) {
    expected.trains.push_back(MakeTrain(query, train.teeth));
    expected.trains.back().variants = train.variants;
  }
  const auto cap = static_cast<std::size_t>(query.maxSolutions.value_or(kMostTrains));
  const bool cut = expected.trains.size() > cap;
  if (cut) expected.trains.resize(cap);
  if (query.best == 0) expected.loopOrder = expected.trains;
  Arrange(query, expected.trains);
  expected.outcome = cut                       ? DesignOutcome::MaximumExceeded
                     : expected.trains.empty() ? DesignOutcome::NoConvergence
                                               : DesignOutcome::Solutions;
  return expected;
}

namespace {

std::string Teeth(const std::vector<int>& teeth) {
  std::string s;
  for (int t : teeth) s += (s.empty() ? "" : " ") + std::to_string(t);
  return s;
}

std::string TrainMismatch(const DesignTrain& got, const DesignTrain& want, bool variants) {
  const std::string at = " of " + Teeth(want.teeth);
  if (got.teeth != want.teeth) return "teeth " + Teeth(got.teeth) + " instead of " + Teeth(want.teeth);
  if (got.reduction != want.reduction) return "the reduction" + at;
  if (variants && got.variants != want.variants)
    return "variants " + std::to_string(got.variants) + " instead of " + std::to_string(want.variants) + at;
  if (got.side != want.side) return "the side" + at;
  if (got.dReduction != want.dReduction) return "the rounded reduction" + at;
  if (got.dDifference != want.dDifference) return "the rounded difference" + at;
  return "";
}

}  // namespace

std::string Mismatch(const DesignResult& result, const Expected& expected) {
  if (result.stopped) return "stopped";
  if (result.trains.size() != expected.trains.size())
    return std::to_string(result.trains.size()) + " trains instead of " + std::to_string(expected.trains.size());
  for (std::size_t i = 0; i < result.trains.size(); ++i) {
    const std::string m = TrainMismatch(result.trains[i], expected.trains[i], true);
    if (!m.empty()) return "row " + std::to_string(i + 1) + ": " + m;
  }
  if (result.outcome != expected.outcome) return "the outcome";
  return "";
}

std::string StoppedMismatch(const DesignQuery& query, const DesignResult& result, const Expected& expected) {
  if (!result.stopped) return Mismatch(result, expected);
  const std::size_t n = result.trains.size();
  if (query.best == 0) {
    if (n > expected.loopOrder.size()) return "more trains than the whole run lists";
    std::vector<DesignTrain> prefix(expected.loopOrder.begin(), expected.loopOrder.begin() + static_cast<long>(n));
    Arrange(query, prefix);
    for (std::size_t i = 0; i < n; ++i) {
      const std::string m = TrainMismatch(result.trains[i], prefix[i], false);
      if (!m.empty()) return "stopped, row " + std::to_string(i + 1) + " (not the loops' first trains): " + m;
    }
    return "";
  }
  if (n > static_cast<std::size_t>(std::min(query.best, query.maxSolutions.value_or(kMostTrains))))
    return "stopped with more trains than asked for";
  std::vector<std::vector<int>> classes;
  const mpq_class target = Exact(query.target);
  for (std::size_t i = 0; i < n; ++i) {
    const DesignTrain& t = result.trains[i];
    if (!Qualifies(query, t.teeth)) return "stopped with " + Teeth(t.teeth) + ", not a train of the query";
    const std::string m = TrainMismatch(t, MakeTrain(query, t.teeth), false);
    if (!m.empty()) return "stopped: " + m;
    if (query.distinct != Distinct::None) classes.push_back(ClassKey(query, t.teeth));
    if (i > 0) {
      const DesignTrain& before = result.trains[i - 1];
      const int c = cmp(abs(ReductionOf(query, before.teeth) - target), abs(ReductionOf(query, t.teeth) - target));
      if (c > 0 || (c == 0 && !(before.teeth < t.teeth))) return "stopped: " + Teeth(t.teeth) + " out of order";
    }
  }
  std::sort(classes.begin(), classes.end());
  if (std::adjacent_find(classes.begin(), classes.end()) != classes.end()) return "stopped: a class twice";
  return "";
}

std::string Describe(const DesignQuery& q) {
  std::string s = q.stages > 0 ? "stages " + std::to_string(q.stages)
                               : "configuration " + std::to_string(q.configuration);
  if (const auto& p = q.planetary) {
    s = "planetary " + KindName(p->kind) + " min " + Teeth({p->minTeeth.begin(), p->minTeeth.end()}) + " max " +
        Teeth({p->maxTeeth.begin(), p->maxTeeth.end()}) + " planets " + std::to_string(p->minPlanets) + ".." +
        std::to_string(p->maxPlanets) + " held";
    for (Member m : p->held) s += " " + MemberName(m);
    s += " input";
    for (Member m : p->input) s += " " + MemberName(m);
    s += std::string(p->anySpacing ? " any-spacing" : "") + (p->oneModule ? " one-module" : "") + " module " +
         std::to_string(p->moduleMicrons) + "um clearance " + std::to_string(p->clearanceMicrons) + "um" +
         (p->ProfileShift() ? " profile-shift " + std::to_string(p->maxShiftMillis) + "/1000" : "");
  }
  s += " min " + Teeth(q.minTeeth) + " max " + Teeth(q.maxTeeth) + " target " + q.target.Numerator() + "/" +
       q.target.Denominator();
  if (q.tolerance) {
    const char* unit[] = {"", "ppm", "%"};
    s += " tolerance " + q.tolerance->amount.Numerator() + "/" + q.tolerance->amount.Denominator() +
         unit[static_cast<int>(q.tolerance->unit)];
  }
  const char* sort[] = {"found", "text", "difference"};
  const char* distinct[] = {"none", "meshes", "gears"};
  s += " best " + std::to_string(q.best) + " cap " + (q.maxSolutions ? std::to_string(*q.maxSolutions) : "-") +
       " sort " + sort[static_cast<int>(q.sort)] + " distinct " + distinct[static_cast<int>(q.distinct)];
  if (!q.ownedGears.empty()) s += " owned " + Teeth(q.ownedGears);
  return s + (q.huntingTooth ? " hunting" : "") + (q.coaxial ? " coaxial" : "");
}

// The fuzz seeds (fuzz/design-seeds.py) are these draws in this order: keep the order, or
// write the seeds again.
DesignQuery RandomQuery(const Pick& pick) {
  const auto p = [&](int lo, int hi) { return static_cast<int>(pick(lo, hi)); };
  DesignQuery q;
  const bool free = p(0, 1) == 1;
  q.stages = free ? p(1, kMaxStages) : 0;
  q.configuration = p(0, kConfigurationCount - 1);
  const int gears = free ? 2 * q.stages : kGearCount, used = GearCount(q);
  // Narrower ranges for more gears, so that the loops stay in the tens of thousands.
  const int width = used <= 2 ? 30 : used <= 4 ? 8 : used <= 6 ? 4 : used <= 8 ? 3 : 2;
  // Each gear anywhere in 1..500 now and then: reductions far from 1, far from the target.
  const bool spread = p(0, 3) == 0;
  const int base = p(1, 25);
  for (int g = 0; g < gears; ++g) {
    const int lo = spread ? p(1, kMaxTeeth) : base + p(0, 3);
    q.minTeeth.push_back(lo);
    q.maxTeeth.push_back(std::min(kMaxTeeth, lo + p(0, width - 1)));
  }
  // A train of the ranges, to aim the target and the tolerance at.
  std::vector<int> probe(static_cast<std::size_t>(used)), top(probe.size()), bottom(probe.size());
  for (int g = 0; g < used; ++g) {
    probe[g] = p(q.minTeeth[g], q.maxTeeth[g]);
    top[g] = g % 2 == 1 ? q.maxTeeth[g] : q.minTeeth[g];
    bottom[g] = g % 2 == 1 ? q.minTeeth[g] : q.maxTeeth[g];
  }
  const mpq_class r = ReductionOf(q, probe);
  mpq_class target;
  switch (p(0, 9)) {
    case 0: target = 0; break;
    case 1: target = ReductionOf(q, top) * p(2, 1000); break;  // far above every reduction
    case 2: target = ReductionOf(q, bottom) / p(2, 1000); break;  // far below
    case 3: target = r; break;
    case 4: {  // near the train, with more digits than 64 bits hold
      mpz_class scale;
      mpz_ui_pow_ui(scale.get_mpz_t(), 10, static_cast<unsigned long>(p(15, 30)));
      target = r + Q(p(-3, 3), r.get_den() * scale);
      break;
    }
    case 5: {
      const int num = p(0, 1'000'000);  // drawn in this order, for the fuzz seeds
      target = Q(num, p(1, 10'000));
      break;
    }
    default: {  // near the train, as a fraction of the ranges' size
      const int scale = p(1, 40);
      target = Q(std::max<mpz_class>(r.get_num() * scale + p(-3, 3), 1), r.get_den() * scale);
      break;
    }
  }
  if (target < 0) target = 0;
  q.target = ToRational(target);
  q.targetText = "t";
  const mpq_class edge = abs(r - target);  // a tolerance that ends exactly on the train
  const auto tolerance = [&](Tolerance::Unit unit, const mpq_class& amount) {
    q.tolerance = Tolerance{unit, ToRational(amount), "t"};
  };
  switch (p(0, 9)) {
    case 0: tolerance(Tolerance::Unit::Ppm, p(0, 90000)); break;
    case 1: tolerance(Tolerance::Unit::Percent, Q(p(0, 90), 10)); break;
    case 2: tolerance(Tolerance::Unit::Absolute, 0); break;
    case 3: tolerance(Tolerance::Unit::Absolute, edge); break;
    case 4:
      if (sgn(target) > 0) tolerance(Tolerance::Unit::Ppm, mpq_class(edge * 1'000'000 / target));
      else tolerance(Tolerance::Unit::Absolute, edge);
      break;
    case 5:
      if (sgn(target) > 0) tolerance(Tolerance::Unit::Percent, mpq_class(edge * 100 / target));
      else tolerance(Tolerance::Unit::Absolute, edge);
      break;
    default: tolerance(Tolerance::Unit::Absolute, Q(p(0, 60), 100)); break;
  }
  if (p(0, 2) == 0) {
    q.best = p(0, 3) == 0 ? p(1, 60) : p(1, 9);  // larger K fall among ties more often
    if (p(0, 1) == 0) q.tolerance.reset();
    q.sort = SortOrder::Difference;
  } else {
    q.sort = static_cast<SortOrder>(p(0, 2));
  }
  if (p(0, 2) == 0) q.maxSolutions = p(0, 3) == 0 ? p(0, 60) : p(0, 6);
  q.distinct = static_cast<Distinct>(p(0, 2));
  if (p(0, 3) == 0) {
    // Owned gears drawn from the ranges, some counts twice, so ties and repeats matter.
    for (int i = p(2, used + 3); i > 0; --i) {
      const int g = p(0, used - 1);
      const int teeth = p(q.minTeeth[g], q.maxTeeth[g]);
      q.ownedGears.insert(q.ownedGears.end(), static_cast<std::size_t>(p(1, 2)), teeth);
    }
  }
  q.huntingTooth = p(0, 3) == 0;
  q.coaxial = p(0, 3) == 0;
  return q;
}

}  // namespace quenmar::reference
