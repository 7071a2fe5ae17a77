// What a design search keeps per train, measured with the allocator (every operator new
// of this program counted) against the figure the memory check refuses runs by: runs
// that keep 70,000 and then 150,000 trains, whose difference in peak memory is the cost
// of 80,000 kept trains, for each way of keeping them.

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
// This operator new takes its blocks from malloc, so free is the matching release (GCC
// cannot see that and warns).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  live.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(p)));
  std::free(p);
}
#pragma GCC diagnostic pop
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
// Every other form goes through the two above, so that no block is taken by one allocator
// and given back to another (AddressSanitizer replaces whichever forms are left out).
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { operator delete(p); }

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
    int stages, hi;
    const char* target;
    const char* range;  // a tolerance of 0 counts as none
    bool best;
    SortOrder sort;
    Distinct distinct;
    int products;
  };
  const Way ways[] = {
      {"listing in loop order, sorted as text", 3, 60, "1", "1/2", false, SortOrder::Text, Distinct::None, 0},
      {"listing found by products, by difference", 3, 60, "314159265358979/100000000000000", "1/10000", false,
       SortOrder::Difference, Distinct::None, 1},
      {"best K of gear sets", 2, 200, "314159265358979/100000000000000", "0", true, SortOrder::Difference,
       Distinct::Gears, -1},
      {"best K by products", 3, 60, "314159265358979/100000000000000", "0", true, SortOrder::Difference,
       Distinct::None, 1},
  };
  for (const Way& w : ways) {
    SCOPED_TRACE(w.name);
    std::int64_t peaks[2];
    const std::int64_t kept[2] = {70'000, 150'000};  // both above the largest snapshot
    for (int i = 0; i < 2; ++i) {
      DesignQuery q;
      q.stages = w.stages;
      q.minTeeth.assign(2 * w.stages, 10);
      q.maxTeeth.assign(2 * w.stages, w.hi);
      const std::string target = w.target, range = w.range;
      const auto slash = target.find('/');
      q.target = slash == std::string::npos ? *Rational::FromDigits(target, "1")
                                            : *Rational::FromDigits(target.substr(0, slash), target.substr(slash + 1));
      if (range != "0")
        q.tolerance = Tolerance{Tolerance::Unit::Absolute,
                                *Rational::FromDigits(range.substr(0, range.find('/')), range.substr(range.find('/') + 1)),
                                range};
      q.sort = w.sort;
      q.distinct = w.distinct;
      if (w.best) q.best = kept[i];
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
