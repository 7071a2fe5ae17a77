#include "TailTable.h"

#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/parallel_sort.h>

#include <algorithm>

namespace quenmar::design::detail {

int TailTable::Span(int g) const { return std::max(0, rules_.Hi(first_ + g) - rules_.Lo(first_ + g) + 1); }

double TailTable::Entries(const CompoundRules& rules, int stages) {
  double count = 1;
  for (int g = rules.Gears() - 2 * stages; g < rules.Gears(); ++g)
    count *= std::max(0, rules.Hi(g) - rules.Lo(g) + 1);
  return count;
}

TailTable::TailTable(const CompoundRules& rules, int stages, RunState& run)
    : rules_(rules), first_(rules.Gears() - 2 * stages), gears_(2 * stages) {
  std::uint64_t count = 1;
  for (int g = 0; g < gears_; ++g) count *= static_cast<std::uint64_t>(Span(g));
  constexpr std::uint64_t kChunk = 1 << 16;
  const std::uint64_t chunks = (count + kChunk - 1) / kChunk;
  std::vector<std::vector<Entry>> parts(static_cast<std::size_t>(chunks));
  tbb::parallel_for(std::uint64_t{0}, chunks, [&](std::uint64_t chunk) {
    if (run.Cancelled()) return;
    std::vector<Entry>& out = parts[static_cast<std::size_t>(chunk)];
    const std::uint64_t begin = chunk * kChunk, end = std::min(count, begin + kChunk);
    int teeth[kMaxGears] = {};
    Decode(static_cast<std::uint32_t>(begin), teeth);
    for (std::uint64_t index = begin; index < end; ++index) {
      // The rules' tests among the tail's own gears, gear by gear.
      Usage used{};
      bool admitted = true;
      std::uint64_t num = 1, den = 1;
      for (int g = first_; g < rules_.Gears() && admitted; ++g) {
        admitted = rules_.Admits(g, teeth[g], teeth, first_, used);
        ++used[teeth[g]];
        rules_.Extend(g, teeth[g], num, den);
      }
      if (admitted)
        out.push_back(Entry{static_cast<double>(num) / static_cast<double>(den), static_cast<std::uint32_t>(index),
                            rules_.Coaxial() ? static_cast<std::uint32_t>(teeth[first_] + teeth[first_ + 1]) : 0u});
      for (int g = rules_.Gears() - 1; g >= first_; --g) {  // the next combination in loop order
        if (++teeth[g] <= rules_.Hi(g)) break;
        teeth[g] = rules_.Lo(g);
      }
    }
  });
  if (run.Cancelled()) return;
  std::size_t total = 0;
  for (const auto& part : parts) total += part.size();
  entries_.reserve(total);
  for (auto& part : parts) {
    entries_.insert(entries_.end(), part.begin(), part.end());
    std::vector<Entry>().swap(part);
  }
  tbb::parallel_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
    return a.sum != b.sum ? a.sum < b.sum : a.ratio < b.ratio;
  });
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (i == 0 || entries_[i].sum != entries_[i - 1].sum) segments_.push_back(i);
  segments_.push_back(entries_.size());
}

void TailTable::Find(long double low, long double high, std::uint32_t sum, std::vector<std::uint32_t>& hits) const {
  hits.clear();
  for (std::size_t s = 0; s + 1 < segments_.size(); ++s) {
    const auto begin = entries_.begin() + static_cast<std::ptrdiff_t>(segments_[s]);
    const auto end = entries_.begin() + static_cast<std::ptrdiff_t>(segments_[s + 1]);
    if (sum != 0 && begin->sum != sum) continue;
    auto at = std::lower_bound(begin, end, low, [](const Entry& e, long double x) { return e.ratio < x; });
    for (; at != end && at->ratio <= high; ++at) hits.push_back(at->index);
  }
  std::sort(hits.begin(), hits.end());
}

void TailTable::Decode(std::uint32_t index, int* teeth) const {
  for (int g = gears_ - 1; g >= 0; --g) {
    const auto span = static_cast<std::uint32_t>(Span(g));
    teeth[first_ + g] = rules_.Lo(first_ + g) + static_cast<int>(index % span);
    index /= span;
  }
}

}  // namespace quenmar::design::detail
