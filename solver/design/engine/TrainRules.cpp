#include "TrainRules.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace quenmar::design::detail {

CompoundRules::CompoundRules(const DesignQuery& query) {
  gears_ = GearCount(query);
  tie_.fill(-1);
  for (int g = 0; g < gears_; ++g) {
    lo_[g] = query.minTeeth[g];
    hi_[g] = query.maxTeeth[g];
  }
  if (query.stages == 0) {
    const TrainConfiguration& config = Configuration(query.configuration);
    if (config.tieN1N3) tie_[2] = 0;
    if (config.tieN2N4) tie_[3] = 1;
    if (config.tieN3N5) tie_[4] = 2;
    exclusion_ = config.driversDifferFromDriven;
    if (config.family == Family::Double) {
      fixedDriver_ = static_cast<std::uint64_t>(query.minTeeth[4]);
      fixedDriven_ = static_cast<std::uint64_t>(query.minTeeth[5]);
    }
  }
  owned_ = !query.ownedGears.empty();
  for (int teeth : query.ownedGears) ++ownedCount_[teeth];
  hunting_ = query.huntingTooth;
  coaxial_ = query.coaxial;
  distinct_ = query.distinct;
  if (const geometry::TrainRules g(query.geometry, Stages(), coaxial_); g.Filters()) {
    geometry_.emplace(g);
    for (int st = 0; st < Stages(); ++st) {
      const int drivers = std::max(0, hi_[2 * st] - lo_[2 * st] + 1), driven = std::max(0, hi_[2 * st + 1] - lo_[2 * st + 1] + 1);
      meshFits_[st].assign(static_cast<std::size_t>(drivers) * static_cast<std::size_t>(driven), 0);
      for (int d = 0; d < drivers; ++d)
        for (int n = 0; n < driven; ++n)
          meshFits_[st][static_cast<std::size_t>(d * driven + n)] =
              geometry_->MeshFits(st, lo_[2 * st] + d, lo_[2 * st + 1] + n) ? 1 : 0;
    }
  }
  // A gear too large, or too small for its bore, whatever it meshes with, is no value at all.
  for (int g = 0; g < gears_; ++g)
    for (int v = std::max(lo_[g], 1); v <= std::min(hi_[g], kMaxTeeth); ++v)
      if ((!owned_ || ownedCount_[v] > 0) && (!geometry_ || geometry_->GearFits(g, v))) values_[g].push_back(v);
  suffixLo_.fill(1);
  suffixHi_.fill(1);
  for (int g = gears_ - 1; g >= 0; --g) {
    suffixLo_[g] = g + 2 < gears_ ? suffixLo_[g + 2] * static_cast<std::uint64_t>(std::max(lo_[g + 2], 1)) : 1;
    suffixHi_[g] = g + 2 < gears_ ? suffixHi_[g + 2] * static_cast<std::uint64_t>(std::max(hi_[g + 2], 1)) : 1;
  }
}

bool CompoundRules::StageAdmits(int s, const int* teeth, int from) const {
  const int driver = teeth[2 * s], driven = teeth[2 * s + 1];
  if (hunting_ && std::gcd(driver, driven) != 1) return false;
  const int first = from / 2;
  if (coaxial_ && s > first && driver + driven != teeth[2 * first] + teeth[2 * first + 1]) return false;
  // The geometry: this stage's pair alone, and once the last stage is placed, the whole.
  if (geometry_ && (!MeshFits(s, driver, driven) || (from == 0 && s == Stages() - 1 && !geometry_->StageFits(s, teeth))))
    return false;
  return true;
}

bool CompoundRules::Admits(int g, int v, const int* teeth, int from, const Usage& used) const {
  if (tie_[g] >= from && v != teeth[tie_[g]]) return false;
  if (owned_ && used[v] >= ownedCount_[v]) return false;
  if (exclusion_) {  // against the placed gears of the other side
    const int other = 1 - g % 2;
    for (int j = from + ((from - other) % 2 != 0 ? 1 : 0); j < g; j += 2)
      if (teeth[j] == v) return false;
  }
  if (g % 2 == 1 && g - 1 >= from) {
    int placed[kMaxGears];
    std::copy(teeth, teeth + g, placed);
    placed[g] = v;
    return StageAdmits(g / 2, placed, from);
  }
  return true;
}

bool CompoundRules::Passes(const int* teeth) const {
  Usage used{};
  for (int g = 0; g < gears_; ++g) {
    if (teeth[g] < lo_[g] || teeth[g] > hi_[g] || (geometry_ && !geometry_->GearFits(g, teeth[g])) ||
        !Admits(g, teeth[g], teeth, 0, used))
      return false;
    ++used[teeth[g]];
  }
  return true;
}

CompoundRules::Range CompoundRules::LastGearRange(const int* /*teeth*/, std::uint64_t num, std::uint64_t den,
                                                  double low, double high) const {
  // R = num * v / den: v within [low, high] * den / num, widened far beyond the rounding
  // of the two long double operations.
  constexpr long double kMargin = 1e-12L;
  const long double scale = static_cast<long double>(den) / static_cast<long double>(num);
  const int g = gears_ - 1;
  Range range{std::max<long double>(lo_[g], std::ceil(low * scale * (1 - kMargin))),
              std::min<long double>(hi_[g], std::floor(high * scale * (1 + kMargin)))};
  return range;
}

ClassKey CompoundRules::ClassOf(const int* teeth) const {
  ClassKey key;
  const int stages = Stages();
  if (distinct_ == Distinct::Meshes) {
    std::array<std::uint64_t, kMaxStages> meshes{};
    for (int s = 0; s < stages; ++s)
      meshes[s] = static_cast<std::uint64_t>(teeth[2 * s]) << 9 | static_cast<std::uint64_t>(teeth[2 * s + 1]);
    std::sort(meshes.begin(), meshes.begin() + stages);
    for (int s = 0; s < stages; ++s) (s < 3 ? key.a : key.b) |= meshes[s] << (18 * (s % 3));
  } else {
    std::array<std::uint64_t, kMaxStages> drivers{}, driven{};
    for (int s = 0; s < stages; ++s) {
      drivers[s] = static_cast<std::uint64_t>(teeth[2 * s]);
      driven[s] = static_cast<std::uint64_t>(teeth[2 * s + 1]);
    }
    std::sort(drivers.begin(), drivers.begin() + stages);
    std::sort(driven.begin(), driven.begin() + stages);
    for (int s = 0; s < stages; ++s) {
      key.a |= drivers[s] << (9 * s);
      key.b |= driven[s] << (9 * s);
    }
  }
  return key;
}

void CompoundRules::Multisets(int side, std::uint64_t product, std::vector<std::vector<int>>& out) const {
  // Every value some gear of the side may take, ascending; a multiset takes them in
  // ascending order, so each is made once.
  std::vector<int> values;
  for (int g = side; g < gears_; g += 2) values.insert(values.end(), values_[g].begin(), values_[g].end());
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  const int positions = Stages();
  std::vector<int> chosen;
  const std::function<void(std::size_t, std::uint64_t)> choose = [&](std::size_t from, std::uint64_t rest) {
    const int left = positions - static_cast<int>(chosen.size());
    if (left == 0) {
      if (rest == 1) out.push_back(chosen);
      return;
    }
    for (std::size_t i = from; i < values.size(); ++i) {
      const auto v = static_cast<std::uint64_t>(values[i]);
      // The rest is made of `left` values of at least v: v^left may not exceed it.
      std::uint64_t least = 1;
      for (int k = 0; k < left && least <= rest; ++k) least *= v;
      if (least > rest) break;
      if (rest % v != 0) continue;
      chosen.push_back(values[i]);
      choose(i, rest / v);
      chosen.pop_back();
    }
  };
  choose(0, product);
}

bool CompoundRules::FirstTrain(int g, std::array<std::vector<int>, 2>& left, std::array<int, kMaxGears>& teeth,
                               Usage& used, const std::function<void(const int*)>& visit) const {
  if (g == gears_) {
    visit(teeth.data());
    return true;
  }
  std::vector<int>& from = left[g % 2];  // ascending; each value tried once
  for (std::size_t i = 0; i < from.size(); ++i) {
    const int v = from[i];
    if ((i > 0 && from[i - 1] == v) || v < lo_[g] || v > hi_[g] || !Admits(g, v, teeth.data(), 0, used)) continue;
    if (geometry_ && !geometry_->GearFits(g, v)) continue;
    teeth[g] = v;
    ++used[v];
    from.erase(from.begin() + static_cast<std::ptrdiff_t>(i));
    const bool found = FirstTrain(g + 1, left, teeth, used, visit);
    from.insert(from.begin() + static_cast<std::ptrdiff_t>(i), v);
    --used[v];
    if (found) return true;
  }
  return false;
}

void CompoundRules::GearSetsOfProducts(std::uint64_t p, std::uint64_t q,
                                       const std::function<void(const int*)>& visit) const {
  std::vector<std::vector<int>> drivers, driven;
  Multisets(0, p, drivers);
  if (drivers.empty()) return;
  Multisets(1, q, driven);
  std::array<int, kMaxGears> teeth{};
  Usage used{};
  for (const auto& d : drivers)
    for (const auto& n : driven) {
      std::array<std::vector<int>, 2> left{d, n};
      FirstTrain(0, left, teeth, used, visit);
    }
}

namespace {

// The trains of one class, counted by placing its parts in every order the gears allow:
// the meshes (a multiset of stages) or the drivers and driven gears (two multisets).
class ClassCounter {
 public:
  ClassCounter(const CompoundRules& rules, const int* teeth, Distinct distinct)
      : rules_(rules), meshes_(distinct == Distinct::Meshes) {
    const int stages = rules.Stages();
    for (int s = 0; s < stages; ++s) {
      if (meshes_) {
        parts_[0].push_back({teeth[2 * s], teeth[2 * s + 1]});
      } else {
        parts_[0].push_back({teeth[2 * s], 0});
        parts_[1].push_back({teeth[2 * s + 1], 0});
      }
    }
    for (auto& p : parts_) std::sort(p.begin(), p.end());
    for (int i = 0; i < 2; ++i) taken_[i].assign(parts_[i].size(), false);
  }

  std::int64_t Count() { return Place(0); }

 private:
  struct Part {
    int first, second;
    friend bool operator<(const Part& a, const Part& b) {
      return a.first != b.first ? a.first < b.first : a.second < b.second;
    }
    friend bool operator==(const Part&, const Part&) = default;
  };

  std::int64_t Place(int g) {
    if (g == rules_.Gears()) return 1;
    const int list = meshes_ ? 0 : g % 2;
    if (meshes_ && g % 2 == 1) {  // the driven gear of the mesh just placed
      const int v = teeth_[g];
      if (!rules_.Admits(g, v, teeth_.data(), 0, used_)) return 0;
      return Descend(g, v);
    }
    std::int64_t count = 0;
    auto& parts = parts_[list];
    for (std::size_t i = 0; i < parts.size(); ++i) {
      // Equal parts are interchangeable: take only the first untaken one of a run.
      if (taken_[list][i] || (i > 0 && parts[i] == parts[i - 1] && !taken_[list][i - 1])) continue;
      const int v = parts[i].first;
      if (v < rules_.Lo(g) || v > rules_.Hi(g) || !rules_.Admits(g, v, teeth_.data(), 0, used_)) continue;
      taken_[list][i] = true;
      if (meshes_) teeth_[g + 1] = parts[i].second;
      count += Descend(g, v);
      taken_[list][i] = false;
    }
    return count;
  }

  std::int64_t Descend(int g, int v) {
    if (v < rules_.Lo(g) || v > rules_.Hi(g)) return 0;
    teeth_[g] = v;
    ++used_[v];
    const std::int64_t count = Place(g + 1);
    --used_[v];
    return count;
  }

  const CompoundRules& rules_;
  bool meshes_;
  std::array<std::vector<Part>, 2> parts_;
  std::array<std::vector<bool>, 2> taken_;
  std::array<int, kMaxGears> teeth_{};
  Usage used_{};
};

}  // namespace

std::int64_t CompoundRules::Variants(const int* teeth) const {
  if (distinct_ == Distinct::None) return 1;
  return ClassCounter(*this, teeth, distinct_).Count();
}

}  // namespace quenmar::design::detail
