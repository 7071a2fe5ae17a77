#pragma once
// The rules of a kind of train, in one place: which gears a train has and in what order
// the loops place them, the values each may take, how the reduction is formed exactly,
// every filter (configuration ties and exclusion, owned gears, hunting teeth, coaxial
// stages), when each can be decided, and what makes two trains one class for the
// distinct listings. The enumeration paths (the loops, the stage tables, the product
// sweep) ask these rules and never spell a rule out themselves.
//
// A kind of train is a class with this interface; the loops need only the first part
// (gears, values, Admits, the reduction and the classes). A kind whose reduction is a
// product of its teeth (drivers over driven) also answers the product questions at the
// end, which the stage tables and the product sweep need.

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "DesignSearch.h"
#include "TrainGeometry.h"

namespace quenmar::design::detail {

// Teeth counts of the owned gears already placed, to test a new gear against the set.
using Usage = std::array<std::int32_t, kMaxTeeth + 1>;

// A class of trains for the distinct listings: two trains are one class when their keys
// are equal.
struct ClassKey {
  std::uint64_t a = 0, b = 0;
  friend bool operator==(const ClassKey&, const ClassKey&) = default;
};
struct ClassKeyHash {
  std::size_t operator()(const ClassKey& k) const {
    return static_cast<std::size_t>(k.a * 0x9E3779B97F4A7C15ull ^ (k.b + 0x632BE59BD9B4E019ull));
  }
};

// What the collectors and the result need of any kind of train: how many numbers a
// train has, and its class for the distinct listings with the trains the class holds.
class KindRules {
 public:
  virtual ~KindRules() = default;
  virtual int Gears() const = 0;
  virtual ClassKey ClassOf(const int* teeth) const = 0;
  virtual std::int64_t Variants(const int* teeth) const = 0;
};

// What the loops (Loops<Rules>) ask of a kind, besides KindRules: Values(g), Lo(g), Hi(g),
// Tie(g), Admits(g, v, teeth, from, used), Passes(teeth), Start(num, den),
// Extend(g, v, num, den), Finish(teeth, num, den), and, where SolvesLastGear(),
// LastGearRange(teeth, num, den, low, high). A kind whose reduction is the product of its
// driven teeth over its drivers' (kProductForm) also answers what the stage tables and
// the product sweep ask; CompoundRules is that kind.

// Compound trains: the seven configurations and free trains of 1..6 stages, with the
// geometric conditions of the query (modules, centre distances, profile shift,
// clearance: geometry::TrainRules) as one more test on each gear and each stage. Gear g is a
// driver when g is even (N1, N3, ...) and driven when odd; stage s meshes gears 2s and
// 2s+1; the reduction is fixedDriven * (driven teeth) / (fixedDriver * (driver teeth)).
class CompoundRules : public KindRules {
 public:
  static constexpr bool kProductForm = true;
  explicit CompoundRules(const DesignQuery& query);

  // --- What every enumeration needs ---
  int Gears() const override { return gears_; }
  int Stages() const { return gears_ / 2; }
  int Lo(int g) const { return lo_[g]; }
  int Hi(int g) const { return hi_[g]; }
  // The values gear g may take at all, ascending (its range, and the owned counts).
  const std::vector<int>& Values(int g) const { return values_[g]; }
  // The earlier gear whose teeth gear g takes (a configuration's tie), or -1.
  int Tie(int g) const { return tie_[g]; }

  // Whether gear g may take v, given gears from..g-1 already in teeth[] (and counted in
  // used when gears are owned): the tie, the owned set, the exclusion, and, when v
  // completes a stage whose gears all lie in from..g, that stage's own tests (hunting
  // tooth; coaxial against the first stage at or after from). Called with from = 0
  // while the loops place gears one by one, and with a later `from` for a table of the
  // last stages.
  bool Admits(int g, int v, const int* teeth, int from, const Usage& used) const;
  // Every filter on a whole train (the tests that span the parts of a train placed
  // separately, and everything else again).
  bool Passes(const int* teeth) const;

  // The reduction num/den, unreduced, formed gear by gear from Start(): Extend once per
  // placed gear, then Finish with the whole train (a product needs nothing more).
  void Start(std::uint64_t& num, std::uint64_t& den) const {
    num = fixedDriven_;
    den = fixedDriver_;
  }
  void Extend(int g, int v, std::uint64_t& num, std::uint64_t& den) const {
    (g % 2 == 1 ? num : den) *= static_cast<std::uint64_t>(v);
  }
  void Finish(const int* /*teeth*/, std::uint64_t& /*num*/, std::uint64_t& /*den*/) const {}
  // For the last gear: with everything else placed (num/den so far), the values whose
  // reduction lies within [low, high] are those of the returned range (possibly empty),
  // found without trying each; they are still confirmed exactly. Empty ranges have
  // first > last.
  struct Range {
    long double first, last;
  };
  bool SolvesLastGear() const { return true; }
  Range LastGearRange(const int* teeth, std::uint64_t num, std::uint64_t den, double low, double high) const;

  // The class of a train for the query's distinct kind, and how many trains of the
  // loops (within the ranges and passing the filters) the class holds.
  ClassKey ClassOf(const int* teeth) const override;
  std::int64_t Variants(const int* teeth) const override;

  // --- Product form: the stage tables and the product sweep ---
  bool Owned() const { return owned_; }
  int OwnedCount(int v) const { return ownedCount_[v]; }
  bool Coaxial() const { return coaxial_; }
  bool Exclusion() const { return exclusion_; }
  Distinct DistinctKind() const { return distinct_; }
  std::uint64_t FixedDriven() const { return fixedDriven_; }
  std::uint64_t FixedDriver() const { return fixedDriver_; }
  // The trains whose drivers' teeth multiply to p and driven gears' teeth to q, in loop
  // order, each passing every filter; visit(teeth) returns false to stop early.
  template <typename Visit>
  void TrainsOfProducts(std::uint64_t p, std::uint64_t q, Visit&& visit) const;
  // For the gear-set listings: each gear set (the drivers' multiset and the driven
  // gears') whose products are p and q once, by its first train in loop order, passing
  // every filter; in no particular order. Much less work than every train where the
  // sets have many orderings.
  void GearSetsOfProducts(std::uint64_t p, std::uint64_t q, const std::function<void(const int*)>& visit) const;

 private:
  void Multisets(int side, std::uint64_t product, std::vector<std::vector<int>>& out) const;
  bool FirstTrain(int g, std::array<std::vector<int>, 2>& left, std::array<int, kMaxGears>& teeth, Usage& used,
                  const std::function<void(const int*)>& visit) const;
  bool StageAdmits(int s, const int* teeth, int from) const;
  template <typename Visit>
  bool Split(int g, std::array<std::uint64_t, 2>& rest, std::array<int, kMaxGears>& teeth, Usage& used,
             Visit& visit) const;

  int gears_ = 0;
  std::array<int, kMaxGears> lo_{}, hi_{};
  std::array<int, kMaxGears> tie_{};
  std::array<std::vector<int>, kMaxGears> values_;
  // For the product splits: the smallest and largest product of the gears of the same
  // side after gear g.
  std::array<std::uint64_t, kMaxGears + 2> suffixLo_{}, suffixHi_{};
  bool exclusion_ = false;
  std::uint64_t fixedDriven_ = 1, fixedDriver_ = 1;
  bool owned_ = false;
  Usage ownedCount_{};
  bool hunting_ = false, coaxial_ = false;
  Distinct distinct_ = Distinct::None;
  // The geometric conditions (modules, centre distances, clearance), where any is asked;
  // what each stage's pair decides alone is tabled once per stage, the rest (what spans
  // stages, as clearance does) is judged once the last stage is placed.
  std::optional<geometry::TrainRules> geometry_;
  std::array<std::vector<std::uint8_t>, kMaxStages> meshFits_;
  bool MeshFits(int s, int driver, int driven) const {
    const int span = hi_[2 * s + 1] - lo_[2 * s + 1] + 1;
    return meshFits_[s][static_cast<std::size_t>((driver - lo_[2 * s]) * span + driven - lo_[2 * s + 1])] != 0;
  }
};

template <typename Visit>
void CompoundRules::TrainsOfProducts(std::uint64_t p, std::uint64_t q, Visit&& visit) const {
  std::array<std::uint64_t, 2> rest{p, q};
  std::array<int, kMaxGears> teeth{};
  Usage used{};
  Split(0, rest, teeth, used, visit);
}

// Places gear g and those after it, in loop order, so that each side's teeth use up its
// product; false once visit has asked to stop.
template <typename Visit>
bool CompoundRules::Split(int g, std::array<std::uint64_t, 2>& rest, std::array<int, kMaxGears>& teeth,
                          Usage& used, Visit& visit) const {
  if (g == gears_) return rest[0] == 1 && rest[1] == 1 ? visit(teeth.data()) : true;
  const int side = g % 2;
  const std::uint64_t r = rest[side];
  // Only values that leave a rest the later gears of this side can still make.
  const std::uint64_t from = (r + suffixHi_[g] - 1) / suffixHi_[g], to = r / suffixLo_[g];
  const auto& values = values_[g];
  for (auto at = std::lower_bound(values.begin(), values.end(), static_cast<int>(std::min<std::uint64_t>(from, kMaxTeeth + 1)));
       at != values.end(); ++at) {
    const int v = *at;
    const auto value = static_cast<std::uint64_t>(v);
    if (value > to) break;
    if (r % value != 0 || !Admits(g, v, teeth.data(), 0, used)) continue;
    teeth[g] = v;
    ++used[v];
    rest[side] = r / value;
    const bool more = Split(g + 1, rest, teeth, used, visit);
    rest[side] = r;
    --used[v];
    if (!more) return false;
  }
  return true;
}

}  // namespace quenmar::design::detail
