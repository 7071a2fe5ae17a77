// The design search against its reference, the plain loops over exact rationals: the
// input is read as a small query (the reference's RandomQuery: every configuration and
// free trains of 1..6 stages, targets near, on, far above and far below the trains,
// tolerances ending exactly on a train, filters, owned gears with repeats, best K, caps,
// distinct kinds and sort orders), a thread count of 1..7 and a moment to stop. The whole
// run must equal the reference's result and list its trains in loop order; the stopped
// run must keep the stop's contract (a listing the first trains of the whole in loop
// order, the best K real trains of the query in order).
//
// Each draw takes the input's next bytes, as many as its range needs, little-endian,
// modulo the range; an exhausted input draws the lowest value. fuzz/design-seeds.py
// writes the seed cases this way.

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "DesignReference.h"

using namespace quenmar;
using namespace quenmar::design;

namespace {

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::int64_t operator()(std::int64_t lo, std::int64_t hi) {
    const std::uint64_t span = static_cast<std::uint64_t>(hi - lo) + 1;
    std::uint64_t value = 0;
    for (int b = 0; b < 8 && (span - 1) >> (8 * b) != 0; ++b)
      value |= std::uint64_t{at_ < size_ ? data_[at_++] : std::uint8_t{0}} << (8 * b);
    return lo + static_cast<std::int64_t>(value % span);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_, at_ = 0;
};

// Records what is listed, and raises the stop flag at its n-th report (0: never).
class Operations : public DesignOperations {
 public:
  Operations(std::atomic<bool>* stop, int stopAt) : stop_(stop), stopAt_(stopAt) {}
  void Progress(const DesignProgress&) override { Report(); }
  void Listed(std::span<const DesignTrain> batch) override {
    listed.insert(listed.end(), batch.begin(), batch.end());
    Report();
  }
  void Snapshot(std::span<const DesignTrain>) override { Report(); }
  std::vector<DesignTrain> listed;

 private:
  void Report() {
    if (++reports_ == stopAt_) stop_->store(true);
  }
  std::atomic<bool>* stop_;
  int stopAt_, reports_ = 0;
};

[[noreturn]] void Fail(const DesignQuery& q, int threads, const std::string& what) {
  std::fprintf(stderr, "design search and reference disagree (%d threads): %s\n  %s\n", threads, what.c_str(),
               reference::Describe(q).c_str());
  std::abort();
}

// The listed trains must be the first ones of the whole listing, in loop order.
void ExpectListedPrefix(const DesignQuery& q, int threads, const Operations& ops, const reference::Expected& e) {
  if (ops.listed.size() > e.loopOrder.size()) Fail(q, threads, "more trains listed than the whole run has");
  for (std::size_t i = 0; i < ops.listed.size(); ++i)
    if (ops.listed[i].teeth != e.loopOrder[i].teeth) Fail(q, threads, "a listed train out of loop order");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader read(data, size);
  const DesignQuery q = reference::RandomQuery(std::ref(read));
  const int threads = static_cast<int>(read(1, 7));
  const int stopAt = static_cast<int>(read(0, 6));  // 0: no stopped run; 1: stopped before it starts
  if (const auto refused = CheckDesignQuery(q)) Fail(q, threads, "refused: " + *refused);
  const reference::Expected expected = reference::ReferenceSearch(q);

  std::atomic<bool> never{false};
  Operations whole(&never, 0);
  const DesignResult result = RunDesignSearch(q, whole, nullptr, threads);
  if (const std::string m = reference::Mismatch(result, expected); !m.empty()) Fail(q, threads, m);
  if (whole.listed.size() != expected.loopOrder.size()) Fail(q, threads, "not every train listed");
  ExpectListedPrefix(q, threads, whole, expected);

  if (stopAt > 0) {
    std::atomic<bool> stop{stopAt == 1};
    Operations stopping(&stop, stopAt - 1);
    const DesignResult stopped = RunDesignSearch(q, stopping, &stop, threads);
    if (const std::string m = reference::StoppedMismatch(q, stopped, expected); !m.empty()) Fail(q, threads, m);
    ExpectListedPrefix(q, threads, stopping, expected);
  }
  return 0;
}
