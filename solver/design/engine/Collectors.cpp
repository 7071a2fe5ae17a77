#include "Collectors.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quenmar::design::detail {

Entry MakeEntry(const int* teeth, int gears, std::uint64_t num, std::uint64_t den) {
  Entry e;
  for (int g = 0; g < gears; ++g) e.teeth[g] = static_cast<std::int16_t>(teeth[g]);
  e.num = num;
  e.den = den;
  return e;
}

Judge::Judge(const DesignQuery& query, const KindRules& rules)
    : rules_(rules), target_(query.target), acceptance_(query.target, query.tolerance),
      distinct_(query.distinct != Distinct::None) {}

ClassKey Judge::ClassOf(const Entry& e) const {
  int teeth[kMaxGears];
  for (int g = 0; g < rules_.Gears(); ++g) teeth[g] = e.teeth[g];
  return rules_.ClassOf(teeth);
}

Judge::Window Judge::WindowFor(const std::optional<Entry>& worst) const {
  Window w{acceptance_.Low(), acceptance_.High()};
  if (worst) {
    // [T - d, T + d], each end off by at most a few ulps of T + d: widened by far more.
    const double t = target_.ValueDouble(), d = target_.Difference(worst->Reduction());
    const double margin = (t + d) * 1e-12;
    w.low = std::max(w.low, t - d - margin);
    w.high = std::min(w.high, t + d + margin);
  }
  w.low = std::max(w.low, 0.0);
  return w;
}

bool ListCollector::Add(const Entry& e) {
  if (Full()) return false;
  if (judge_.Distinct() && !classes_.insert(judge_.ClassOf(e)).second) return true;
  entries_.push_back(e);
  return !Full();
}

bool ListCollector::Merge(const ListCollector& later) {
  for (const Entry& e : later.entries_)
    if (!Add(e)) return false;
  return !Full();
}

RankedCollector::RankedCollector(const Judge& judge, Order order, std::int64_t limit)
    : judge_(judge), order_(order), limit_(limit), compactAt_(static_cast<std::size_t>(limit) + 1) {}

void RankedCollector::Add(const Entry& e) {
  if (limit_ == 0 || (worst_ && Before(*worst_, e))) return;  // after the last that can be kept
  entries_.push_back(e);
  if (entries_.size() >= compactAt_) Compact();
}

void RankedCollector::ReserveAll() {
  entries_.reserve(static_cast<std::size_t>(limit_) + static_cast<std::size_t>(limit_) / 2 + 65);
}

void RankedCollector::Merge(RankedCollector&& other) {
  ++version_;
  // The other's last kept train bounds this one too once its trains are here.
  if (other.worst_ && (!worst_ || Before(*other.worst_, *worst_))) worst_ = other.worst_;
  for (const Entry& e : other.entries_) Add(e);
  other.entries_.clear();
}

void RankedCollector::Compact() {
  const auto before = [this](const Entry& a, const Entry& b) { return Before(a, b); };
  const auto keep = static_cast<std::size_t>(limit_);
  if (order_ == Order::Loops && !judge_.Distinct()) {
    // Trains found twice (by the loops and again by the sweep) are kept once.
    std::sort(entries_.begin(), entries_.end(), before);
    entries_.erase(std::unique(entries_.begin(), entries_.end(),
                               [](const Entry& a, const Entry& b) { return a.teeth == b.teeth; }),
                   entries_.end());
    if (entries_.size() > keep) entries_.resize(keep);
  } else if (!judge_.Distinct()) {
    if (entries_.size() > keep) {
      std::nth_element(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(keep - 1),
                       entries_.end(), before);
      entries_.resize(keep);
    }
  } else {
    // A class's trains share their reduction, so in either order its first train comes
    // first: keep that one.
    std::sort(entries_.begin(), entries_.end(), before);
    std::unordered_set<ClassKey, ClassKeyHash> seen;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries_.size() && kept < keep; ++i)
      if (seen.insert(judge_.ClassOf(entries_[i])).second) entries_[kept++] = entries_[i];
    entries_.resize(kept);
  }
  if (static_cast<std::int64_t>(entries_.size()) == limit_ && limit_ > 0)
    worst_ = *std::max_element(entries_.begin(), entries_.end(), before);
  // Compacting again once the kept trains have grown by half costs a constant per train.
  compactAt_ = std::max(keep + 1, entries_.size() + entries_.size() / 2) + 64;
}

std::vector<Entry> RankedCollector::Sorted() const {
  RankedCollector copy = *this;
  return copy.TakeSorted();
}

std::vector<Entry> RankedCollector::TakeSorted() {
  Compact();
  std::sort(entries_.begin(), entries_.end(), [this](const Entry& a, const Entry& b) { return Before(a, b); });
  entries_.shrink_to_fit();
  worst_.reset();
  return std::move(entries_);
}

}  // namespace quenmar::design::detail
