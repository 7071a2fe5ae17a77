// What a design search keeps per train, measured with the allocator (every operator new
// of this program counted) against the figure the memory check refuses runs by: runs
// that keep 100,000 and then 300,000 trains, whose difference in peak memory is the cost
// of 200,000 kept trains, for each way of keeping them.

#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "DesignEngine.h"

namespace {

std::atomic<std::int64_t> live{0}, peak{0};

void Count(void* p) {
  const auto now = live.fetch_add(static_cast<std::int64_t>(malloc_usable_size(p))) +
                   static_cast<std::int64_t>(malloc_usable_size(p));
  for (auto seen = peak.load(); now > seen && !peak.compare_exchange_weak(seen, now);) {
  }
}

}  // namespace

void* operator new(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  Count(p);
  return p;
}
void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  live.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(p)));
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace quenmar::design {
namespace {

std::int64_t PeakOf(const DesignQuery& q, const detail::EngineTuning& tuning, std::size_t expected) {
  DesignOperations ops;
  peak.store(live.load());
  const std::int64_t before = live.load();
  const DesignResult r = detail::RunEngine(q, ops, nullptr, 2, tuning);
  EXPECT_EQ(r.trains.size(), expected);
  return peak.load() - before;
}

TEST(DesignMemory, KeptTrainsCostNoMoreThanTheCheckAssumes) {
  struct Way {
    const char* name;
    int stages;
    std::int64_t best;
    SortOrder sort;
    Distinct distinct;
    int products;
  };
  const Way ways[] = {
      {"listing in loop order, sorted as text", 3, 0, SortOrder::Text, Distinct::None, 0},
      {"listing found by products, by difference", 3, 0, SortOrder::Difference, Distinct::None, 1},
      {"best K of gear sets", 3, 1, SortOrder::Difference, Distinct::Gears, 0},
      {"best K by products", 3, 1, SortOrder::Difference, Distinct::None, 1},
  };
  for (const Way& w : ways) {
    SCOPED_TRACE(w.name);
    std::int64_t peaks[2];
    const std::int64_t kept[2] = {100'000, 300'000};
    for (int i = 0; i < 2; ++i) {
      DesignQuery q;
      q.stages = w.stages;
      q.minTeeth.assign(6, 10);
      q.maxTeeth.assign(6, 60);
      q.target = Rational(1);
      q.tolerance = Tolerance{Tolerance::Unit::Percent, Rational(50), "50%"};
      q.sort = w.sort;
      q.distinct = w.distinct;
      if (w.best > 0) q.best = kept[i];
      else q.maxSolutions = kept[i];
      detail::EngineTuning tuning;
      tuning.products = w.products;
      peaks[i] = PeakOf(q, tuning, static_cast<std::size_t>(kept[i]));
    }
    const double perTrain = static_cast<double>(peaks[1] - peaks[0]) / static_cast<double>(kept[1] - kept[0]);
    std::printf("%s: %.0f bytes per kept train\n", w.name, perTrain);
    EXPECT_LE(perTrain, detail::kBytesPerKeptTrain);
  }
}

}  // namespace
}  // namespace quenmar::design
