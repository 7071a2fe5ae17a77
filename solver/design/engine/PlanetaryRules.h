#pragma once
// Planetary trains as a kind the engine runs: a train is the row of Planetary.h
// (arrangement, planets, then the members' teeth), looped over in that order. Each
// condition is applied as soon as the row holds what it reads: the sun's presence with
// the arrangement, the sun mesh's hunting tooth with the planet, coaxiality and the ring
// mesh's with the ring, and everything (the reduction, assembly, neighbours, owned
// gears) once the row is whole. The last member is found rather than looped over: the
// ring a coaxial train needs (with profile shift, those shifts can bridge whose reduction
// lies within the window), a stepped train's rings within the window (its reduction
// is monotonic in them), or for a Wolfrom train the second rings whose reductions can
// reach the window (the reduction grows without bound where the two ring meshes nearly
// cancel).

#include <array>
#include <cstdint>
#include <vector>

#include "Planetary.h"
#include "TrainRules.h"

namespace quenmar::design::detail {

class PlanetaryRules : public KindRules {
 public:
  static constexpr bool kProductForm = false;
  explicit PlanetaryRules(const DesignQuery& query);

  int Gears() const override { return gears_; }
  int Lo(int g) const { return lo_[g]; }
  int Hi(int g) const { return hi_[g]; }
  const std::vector<int>& Values(int g) const { return values_[g]; }
  int Tie(int g) const { return tie_[g]; }
  bool Admits(int g, int v, const int* teeth, int from, const Usage& used) const;
  bool Passes(const int* teeth) const;

  void Start(std::uint64_t& num, std::uint64_t& den) const {
    num = 0;
    den = 1;
  }
  void Extend(int /*g*/, int /*v*/, std::uint64_t& /*num*/, std::uint64_t& /*den*/) const {}
  void Finish(const int* teeth, std::uint64_t& num, std::uint64_t& den) const;

  struct Range {
    long double first, last;
  };
  bool SolvesLastGear() const { return true; }
  Range LastGearRange(const int* teeth, std::uint64_t num, std::uint64_t den, double low, double high) const;

  // Trains differing only in their number of planets are one class (they share their
  // reduction); a class's variants are the planet numbers that pass.
  ClassKey ClassOf(const int* teeth) const override;
  std::int64_t Variants(const int* teeth) const override;

 private:
  bool Whole(const int* row) const;
  Range MonotonicRing(int code, long double c, int lo, int hi, double low, double high) const;

  PlanetaryQuery q_;
  std::vector<int> owned_;
  bool hunting_ = false;
  Distinct distinct_ = Distinct::None;
  int gears_ = 0;
  std::array<int, kMaxGears> lo_{}, hi_{}, tie_{};
  std::array<std::vector<int>, kMaxGears> values_;
};

}  // namespace quenmar::design::detail
