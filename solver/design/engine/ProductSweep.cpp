#include "ProductSweep.h"

#include <oneapi/tbb/parallel_invoke.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <mutex>
#include <random>

namespace quenmar::design::detail {

namespace {

// Combinations one side's two blocks may spell out: at 8 bytes a product, and a sort buffer
// as large as a block on each of the two threads that build the sides, the blocks stay
// within the engine's share of the memory budget.
constexpr double kMostBlockTuples = 1.2e7;
constexpr std::size_t kPartHolds = 1 << 12;

// Sorts values that all lie in [lo, hi] and drops repeats: a bitset where they lie dense,
// else a radix sort of their offsets from lo, eleven bits a pass.
void SortUnique(std::vector<std::uint64_t>& values, std::uint64_t lo, std::uint64_t hi) {
  if (values.size() < 4096) {
    std::sort(values.begin(), values.end());
  } else if ((hi - lo) / 64 <= values.size()) {
    // Dense: a bit a number, marked and read back in order.
    thread_local std::vector<std::uint64_t> bits;
    bits.assign(static_cast<std::size_t>((hi - lo) / 64 + 1), 0);
    for (const std::uint64_t v : values) bits[(v - lo) / 64] |= std::uint64_t{1} << ((v - lo) % 64);
    values.clear();
    for (std::size_t w = 0; w < bits.size(); ++w)
      for (std::uint64_t b = bits[w]; b != 0; b &= b - 1)
        values.push_back(lo + w * 64 + static_cast<std::uint64_t>(std::countr_zero(b)));
    return;
  } else {
    thread_local std::vector<std::uint64_t> buffer;
    buffer.resize(values.size());
    const int bits = std::max(1, static_cast<int>(std::bit_width(hi - lo)));
    for (int shift = 0; shift < bits; shift += 11) {
      std::array<std::size_t, 2049> counts{};
      for (const std::uint64_t v : values) ++counts[((v - lo) >> shift & 2047) + 1];
      for (std::size_t i = 1; i < counts.size(); ++i) counts[i] += counts[i - 1];
      for (const std::uint64_t v : values) buffer[counts[(v - lo) >> shift & 2047]++] = v;
      values.swap(buffer);
    }
  }
  values.erase(std::unique(values.begin(), values.end()), values.end());
}

// The gears of one side that a block holds: positions first..last-1 of the side.
struct BlockGears {
  const CompoundRules& rules;
  int side, first, last;
  int Gear(int position) const { return 2 * position + side; }
  // Equal ranges and no ties: the block's products are those of its multisets.
  bool Interchangeable() const {
    for (int i = first; i < last; ++i)
      if (rules.Tie(Gear(i)) >= 0 || rules.Values(Gear(i)) != rules.Values(Gear(first))) return false;
    return true;
  }
  double Tuples() const {
    double count = 1;
    if (Interchangeable()) {  // multisets of (last - first) out of n values
      const double n = static_cast<double>(rules.Values(Gear(first)).size());
      for (int k = 1; k <= last - first; ++k) count = count * (n + k - 1) / k;
      return count;
    }
    for (int i = first; i < last; ++i)
      if (rules.Tie(Gear(i)) < 0) count *= static_cast<double>(rules.Values(Gear(i)).size());
    return count;
  }
};

// False once the run is cancelled (checked every 65536 products, as blocks of millions
// take a while to spell).
bool SpellBlock(const BlockGears& block, int position, std::uint64_t product, int floor, Usage& used,
                std::array<int, kMaxStages>& teeth, bool multisets, std::vector<std::uint64_t>& out, RunState& run) {
  if (position == block.last) {
    out.push_back(product);
    return (out.size() & 65535) != 0 || !run.Cancelled();
  }
  const int g = block.Gear(position);
  const int tie = block.rules.Tie(g);
  for (const int v : block.rules.Values(g)) {
    if (multisets && v < floor) continue;
    if (tie >= 0 && v != teeth[(tie - block.side) / 2]) continue;
    if (block.rules.Owned() && used[v] >= block.rules.OwnedCount(v)) continue;
    ++used[v];
    teeth[position] = v;
    const bool more =
        SpellBlock(block, position + 1, product * static_cast<std::uint64_t>(v), v, used, teeth, multisets, out, run);
    --used[v];
    if (!more) return false;
  }
  return true;
}

// The block's distinct products, ascending; none when the run is cancelled meanwhile.
std::vector<std::uint64_t> BlockProducts(const BlockGears& block, RunState& run) {
  std::vector<std::uint64_t> out;
  if (block.first == block.last) return {1};
  Usage used{};
  std::array<int, kMaxStages> teeth{};
  if (!SpellBlock(block, block.first, 1, 0, used, teeth, block.Interchangeable(), out, run)) return {};
  if (!out.empty()) SortUnique(out, *std::min_element(out.begin(), out.end()), *std::max_element(out.begin(), out.end()));
  return out;
}

int Split(const CompoundRules& rules) {
  const int positions = rules.Stages();
  return positions <= 3 ? positions : (positions + 1) / 2;
}

}  // namespace

SideProducts::SideProducts(const CompoundRules& rules, int side, RunState& run) {
  const int positions = rules.Stages(), split = Split(rules);
  a_ = BlockProducts(BlockGears{rules, side, 0, split}, run);
  b_ = BlockProducts(BlockGears{rules, side, split, positions}, run);
  if (!Empty()) {
    lo_ = a_.front() * b_.front();
    hi_ = a_.back() * b_.back();
  }
}

double SideProducts::BlockWork(const CompoundRules& rules, int side) {
  const int positions = rules.Stages(), split = Split(rules);
  return BlockGears{rules, side, 0, split}.Tuples() + BlockGears{rules, side, split, positions}.Tuples();
}

std::uint64_t SideProducts::Count(std::uint64_t lo, std::uint64_t hi) const {
  if (b_.size() == 1 && b_.front() == 1)  // one block: the products are its own
    return static_cast<std::uint64_t>(std::upper_bound(a_.begin(), a_.end(), hi) - std::lower_bound(a_.begin(), a_.end(), lo));
  std::uint64_t count = 0;
  for (const std::uint64_t x : a_) {
    if (x > hi / b_.front()) break;
    const auto from = std::lower_bound(b_.begin(), b_.end(), (lo + x - 1) / x);
    const auto to = std::upper_bound(from, b_.end(), hi / x);
    count += static_cast<std::uint64_t>(to - from);
  }
  return count;
}

void SegmentProducts::Build(const SideProducts& side, std::uint64_t lo, std::uint64_t hi) {
  lo_ = lo;
  hi_ = hi;
  const std::uint64_t count = side.Count(lo, hi);
  // A bit a number where at least one in 64 is a product: no more memory than a list,
  // and marking and walking it beats sorting.
  dense_ = (hi - lo) / 64 <= count;
  if (dense_) {
    bits_.assign(static_cast<std::size_t>((hi - lo) / 64 + 1), 0);
    side.ForEachPair(lo, hi, [&](std::uint64_t v) { bits_[(v - lo) / 64] |= std::uint64_t{1} << ((v - lo) % 64); });
    return;
  }
  list_.clear();
  list_.reserve(static_cast<std::size_t>(count));
  side.ForEachPair(lo, hi, [&](std::uint64_t v) { list_.push_back(v); });
  SortUnique(list_, lo, hi);
}

std::uint64_t SegmentProducts::Next(std::uint64_t x) const {
  if (x < lo_) x = lo_;
  if (x > hi_) return 0;
  if (!dense_) {
    const auto at = std::lower_bound(list_.begin(), list_.end(), x);
    return at == list_.end() ? 0 : *at;
  }
  std::size_t word = static_cast<std::size_t>((x - lo_) / 64);
  std::uint64_t bits = bits_[word] & (~std::uint64_t{0} << ((x - lo_) % 64));
  while (bits == 0) {
    if (++word == bits_.size()) return 0;
    bits = bits_[word];
  }
  return lo_ + word * 64 + static_cast<std::uint64_t>(std::countr_zero(bits));
}

std::pair<std::uint64_t, std::uint64_t> SideProducts::Nearest(long double x) const {
  std::uint64_t below = 0, above = 0;
  for (const std::uint64_t a : a_) {
    const long double want = x / static_cast<long double>(a);
    auto at = std::lower_bound(b_.begin(), b_.end(), want, [](std::uint64_t v, long double w) {
      return static_cast<long double>(v) < w;
    });
    if (at != b_.end() && (above == 0 || a * *at < above)) above = a * *at;
    if (at != b_.begin() && (below == 0 || a * *std::prev(at) > below)) below = a * *std::prev(at);
  }
  return {below, above};
}

std::optional<double> SweepWork(const CompoundRules& rules, bool closest) {
  double work = 0;
  for (int side : {0, 1}) {
    const double blocks = SideProducts::BlockWork(rules, side);
    if (blocks > kMostBlockTuples) return std::nullopt;
    const int positions = rules.Stages(), split = Split(rules);
    const double a = BlockGears{rules, side, 0, split}.Tuples(), b = BlockGears{rules, side, split, positions}.Tuples();
    // Distinct block products are fewer than the tuples; a third is typical of wide ranges.
    const double distinctA = std::max(1.0, a / 3), distinctB = positions > 3 ? std::max(1.0, b / 3) : 1.0;
    const double pairs = distinctA * distinctB;
    // Each segment walks the first block once, looking its partners up in the second, and
    // the first guess at the window of the closest trains walks it for each of its samples.
    const double segments = pairs / static_cast<double>(std::uint64_t{1} << 22) + 1;
    work += blocks + pairs * 3 + (segments + (closest ? 64 : 0)) * distinctA * std::log2(distinctB + 2);
  }
  return work;
}

namespace {

class Sweep {
 public:
  Sweep(const CompoundRules& rules, const Judge& judge, RankedCollector& merged, RunState& run,
        const SweepOptions& options)
      : rules_(rules), judge_(judge), merged_(merged), run_(run), options_(options),
        gearSets_(rules.DistinctKind() == Distinct::Gears) {
    tbb::parallel_invoke([&] { drivers_.emplace(rules, 0, run); }, [&] { driven_.emplace(rules, 1, run); });
    // A train's reduction is fixedDriven * q / (fixedDriver * p): q = R * p * rho.
    rho_ = static_cast<long double>(rules.FixedDriver()) / static_cast<long double>(rules.FixedDriven());
  }

  void Run() {
    if (drivers_->Empty() || driven_->Empty()) return;
    const bool best = merged_.Ordering() == RankedCollector::Order::Closeness;
    const double t = judge_.Target().ValueDouble();
    const double rMin = static_cast<double>(driven_->Lo() / rho_ / static_cast<long double>(drivers_->Hi()));
    const double rMax = static_cast<double>(driven_->Hi() / rho_ / static_cast<long double>(drivers_->Lo()));
    if (!best) return Pass(std::numeric_limits<double>::infinity());
    // The K closest: sweep a window about the target that holds them, widening it until it
    // does; each pass starts afresh, so no train is kept twice.
    double width = FirstWidth(t, rMin, rMax);
    for (;;) {
      Pass(width);
      if (run_.Cancelled()) return;
      std::lock_guard lock(run_.mutex);
      const bool all = t - width <= rMin * (1 - 1e-9) && t + width >= rMax * (1 + 1e-9);
      const Judge::Window accepted = judge_.WindowFor(std::nullopt);
      const bool tolerance = t - width < accepted.low * (1 - 1e-9) && t + width > accepted.high * (1 + 1e-9);
      if (all || tolerance) return;
      if (merged_.Worst() && judge_.Target().Difference(merged_.Worst()->Reduction()) <= width * (1 - 1e-9)) return;
      merged_.Clear();
      width *= 16;
    }
  }

 private:
  // A first guess at the half-width that holds the K closest: the distances of sampled
  // drivers' products to their nearest driven ones, scaled to all of them.
  double FirstWidth(double t, double rMin, double rMax) const {
    std::mt19937_64 rng(12345);
    std::vector<double> distances;
    for (int i = 0; i < 64; ++i) {
      const long double p = static_cast<long double>(drivers_->Lo()) +
                            std::uniform_real_distribution<long double>(0, 1)(rng) *
                                static_cast<long double>(drivers_->Hi() - drivers_->Lo());
      const auto [below, above] = driven_->Nearest(p * rho_ * t);
      double d = std::numeric_limits<double>::infinity();
      for (const std::uint64_t q : {below, above})
        if (q != 0) d = std::min(d, std::fabs(static_cast<double>(q / rho_ / p) - t));
      distances.push_back(d);
    }
    std::nth_element(distances.begin(), distances.begin() + 32, distances.end());
    const double median = std::isfinite(distances[32]) ? distances[32] : t;
    const double pairs = drivers_->Pairs();
    double width = 16.0 * static_cast<double>(merged_.Limit()) * median / std::max(pairs, 1.0);
    // No train lies nearer than the reductions' ends allow.
    if (t > rMax) width = std::max(width, (t - rMax) * (1 + 1e-6));
    if (t < rMin) width = std::max(width, (rMin - t) * (1 + 1e-6));
    return std::max(width, t * 1e-15 + 1e-300);
  }

  struct Segment {
    std::uint64_t lo, hi;
  };

  // The driven products a segment of drivers' products can meet within the window.
  std::pair<std::uint64_t, std::uint64_t> DrivenRange(const Segment& s, const Judge::Window& w) const {
    const long double lo = std::ceil(static_cast<long double>(s.lo) * rho_ * w.low * (1 - 1e-12L));
    const long double hi = std::floor(static_cast<long double>(s.hi) * rho_ * w.high * (1 + 1e-12L));
    const long double qlo = std::max<long double>(lo, driven_->Lo());
    const long double qhi = std::min<long double>(hi, driven_->Hi());
    if (qlo > qhi) return {1, 0};
    return {static_cast<std::uint64_t>(qlo), static_cast<std::uint64_t>(qhi)};
  }

  void Plan(const Segment& s, const Judge::Window& w, std::vector<Segment>& out) const {
    if (run_.Cancelled()) return;
    const auto [qlo, qhi] = DrivenRange(s, w);
    if (qlo > qhi) return;
    const std::uint64_t drivers = drivers_->Count(s.lo, s.hi);
    if (drivers == 0) return;
    if (s.lo == s.hi || (drivers <= segmentLimit_ && driven_->Count(qlo, qhi) <= segmentLimit_)) {
      out.push_back(s);
      return;
    }
    // Halve in proportion, so that each half spans the same factor.
    auto mid = static_cast<std::uint64_t>(std::sqrt(static_cast<long double>(s.lo) * static_cast<long double>(s.hi)));
    mid = std::clamp(mid, s.lo, s.hi - 1);
    std::vector<Segment> left, right;
    tbb::parallel_invoke([&] { Plan({s.lo, mid}, w, left); }, [&] { Plan({mid + 1, s.hi}, w, right); });
    out.insert(out.end(), left.begin(), left.end());
    out.insert(out.end(), right.begin(), right.end());
  }

  // One sweep of the drivers' products with the reductions within `width` of the target
  // (and the tolerance).
  void Pass(double width) {
    Judge::Window start;
    {
      std::lock_guard lock(run_.mutex);
      start = Narrowed(judge_.WindowFor(Bound(merged_)), width);
    }
    // Segments small enough for memory, and enough of them to share among the threads.
    const std::uint64_t total = drivers_->Count(drivers_->Lo(), drivers_->Hi());
    // A thread holds three segments' worth of products (two sides and a sorting buffer):
    // all threads together within a quarter of a GiB.
    const std::uint64_t threads = static_cast<std::uint64_t>(run_.threads);
    segmentLimit_ = std::min({options_.segmentProducts, (std::uint64_t{256} << 20) / (24 * threads),
                              std::max<std::uint64_t>(1 << 16, total / (16 * threads))});
    std::vector<Segment> segments;
    Plan({drivers_->Lo(), drivers_->Hi()}, start, segments);
    if (run_.Cancelled()) return;
    run_.partsDone.store(0);
    RunParts<std::optional<RankedCollector>>(
        static_cast<std::int64_t>(segments.size()), run_,
        [&](std::int64_t i) {
          std::optional<RankedCollector> part(std::in_place, judge_, merged_.Ordering(), merged_.Limit());
          SweepSegment(segments[static_cast<std::size_t>(i)], width, *part);
          return part;
        },
        [&](std::int64_t, std::optional<RankedCollector>&& part) {
          merged_.Merge(std::move(*part));
          return true;
        });
  }

  Judge::Window Narrowed(Judge::Window w, double width) const {
    if (std::isinf(width)) return w;
    const double t = judge_.Target().ValueDouble(), margin = (t + width) * 1e-12;
    w.low = std::max(w.low, t - width - margin);
    w.high = std::min(w.high, t + width + margin);
    w.low = std::max(w.low, 0.0);
    return w;
  }

  // The farthest train the closest kept so far allow (the best K only: a listing keeps
  // the first trains in loop order, wherever they lie within the tolerance).
  std::optional<Entry> Bound(const RankedCollector& collector) const {
    if (collector.Ordering() != RankedCollector::Order::Closeness) return std::nullopt;
    return collector.Worst();
  }

  Judge::Window Current(const RankedCollector& part, double width) const {
    std::optional<Entry> worst;
    {
      std::lock_guard lock(run_.mutex);
      worst = Bound(merged_);
    }
    const std::optional<Entry> own = Bound(part);
    if (own && (!worst || judge_.Closer(*own, *worst))) worst = own;
    return Narrowed(judge_.WindowFor(worst), width);
  }

  void SweepSegment(const Segment& s, double width, RankedCollector& part) {
    thread_local SegmentProducts drivers, driven;
    Judge::Window w = Current(part, width);
    // Plain names, not a structured binding: the walk below captures them.
    const auto range = DrivenRange(s, w);
    const std::uint64_t qlo = range.first, qhi = range.second;
    if (qlo > qhi || run_.Cancelled()) return;
    drivers.Build(*drivers_, s.lo, s.hi);
    if (run_.Cancelled()) return;
    driven.Build(*driven_, qlo, qhi);
    const std::uint64_t fixedDriven = rules_.FixedDriven(), fixedDriver = rules_.FixedDriver();
    std::size_t checked = 0;
    bool cancelled = false;
    auto flushed = std::chrono::steady_clock::now();
    drivers.ForEach([&](std::uint64_t p) {
      if (cancelled) return;
      if ((++checked & 4095) == 0) {
        if (run_.Cancelled()) {
          cancelled = true;
          return;
        }
        // What the part has found joins the run's every tenth of a second.
        if (part.Size() > 0 && std::chrono::steady_clock::now() - flushed > std::chrono::milliseconds(100)) {
          flushed = std::chrono::steady_clock::now();
          std::lock_guard lock(run_.mutex);
          merged_.Merge(std::move(part));
        }
        w = Current(part, width);
      }
      const long double lo = std::ceil(static_cast<long double>(p) * rho_ * w.low * (1 - 1e-12L));
      const long double hi = static_cast<long double>(p) * rho_ * w.high * (1 + 1e-12L);
      if (lo > static_cast<long double>(qhi)) return;
      for (std::uint64_t q = driven.Next(lo < 1 ? 1 : static_cast<std::uint64_t>(lo));
           q != 0 && static_cast<long double>(q) <= hi; q = q == qhi ? 0 : driven.Next(q + 1)) {
        const std::uint64_t num = fixedDriven * q, den = fixedDriver * p;
        if (!judge_.Within(num, den)) continue;
        const Entry probe{{}, num, den};
        if (part.Ordering() == RankedCollector::Order::Closeness && part.Worst() &&
            judge_.Target().CompareDifferences(probe.Reduction(), part.Worst()->Reduction()) > 0)
          continue;
        Expand(p, q, num, den, part);
        w = Current(part, width);
      }
    });
  }

  // The trains of a pair of products, in loop order, to the part: no more of them than
  // the collector can keep (the later ones of a group are equally near and later).
  void Expand(std::uint64_t p, std::uint64_t q, std::uint64_t num, std::uint64_t den, RankedCollector& part) {
    if (gearSets_) {
      rules_.GearSetsOfProducts(p, q, [&](const int* teeth) { part.Add(MakeEntry(teeth, rules_.Gears(), num, den)); });
      return;
    }
    const std::int64_t room = part.Limit();
    std::int64_t kept = 0, seen = 0;
    std::unordered_set<ClassKey, ClassKeyHash> classes;
    rules_.TrainsOfProducts(p, q, [&](const int* teeth) {
      if ((++seen & 1023) == 0 && run_.Cancelled()) return false;
      const Entry e = MakeEntry(teeth, rules_.Gears(), num, den);
      if (judge_.Distinct()) {
        if (!classes.insert(judge_.ClassOf(e)).second) return true;
      }
      part.Add(e);
      if (part.Size() >= kPartHolds) {  // parts under way never hold much
        std::lock_guard lock(run_.mutex);
        merged_.Merge(std::move(part));
      }
      return ++kept < room;
    });
  }

  const CompoundRules& rules_;
  const Judge& judge_;
  RankedCollector& merged_;
  RunState& run_;
  SweepOptions options_;
  std::optional<SideProducts> drivers_, driven_;
  long double rho_ = 1;
  std::uint64_t segmentLimit_ = 1;
  bool gearSets_;  // one train per gear set: the sets are spelled out, not every train
};

}  // namespace

void RunProductSweep(const CompoundRules& rules, const Judge& judge, RankedCollector& collector, RunState& run,
                     const SweepOptions& options) {
  Sweep(rules, judge, collector, run, options).Run();
}

}  // namespace quenmar::design::detail
