#pragma once
// Running the parts of an enumeration on many cores: each part runs on its own with a
// collector of its own, and the parts' results are merged one by one in the parts'
// order, so that the merged result never depends on how many threads ran them or when
// each finished. Memory stays bounded: only a few parts are under way at any time.

#include <oneapi/tbb/parallel_pipeline.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

namespace quenmar::design::detail {

// What the threads of one run share: whether to end, how far the work has come.
struct RunState {
  std::atomic<bool> cancel{false};   // end soon: the user stopped the run, or it is decided
  std::atomic<bool> stopped{false};  // the user's stop was seen
  const std::atomic<bool>* stop = nullptr;  // the user's stop flag (may be null)
  std::atomic<std::int64_t> partsDone{0};
  std::atomic<std::int64_t> partsTotal{1};
  std::mutex mutex;                  // guards the merged collectors while parts run
  int threads = 1;

  // Every thread reads the user's flag itself, so that a stop is obeyed at once however
  // busy the machine keeps the thread that reports.
  bool Cancelled() {
    if (cancel.load(std::memory_order_relaxed)) return true;
    if (stop == nullptr || !stop->load(std::memory_order_relaxed)) return false;
    stopped.store(true);
    cancel.store(true);
    return true;
  }
};

// Runs body(i) for the parts 0..count-1, at most a few at a time per thread, and hands
// each result to merge(i, result) in order of i, one call at a time. merge returns false
// when the run needs no more parts (later parts are then not started). A part whose body
// saw the run cancelled is still merged, so that merge can keep what it found; parts not
// started are not.
template <typename Result, typename Body, typename Merge>
void RunParts(std::int64_t count, RunState& run, Body&& body, Merge&& merge) {
  run.partsTotal.store(count > 0 ? count : 1);
  std::int64_t next = 0;
  std::atomic<bool> enough{false};
  struct Done {
    std::int64_t index;
    std::optional<Result> result;  // none for a part not run
  };
  using Item = std::shared_ptr<Done>;
  tbb::parallel_pipeline(
      static_cast<std::size_t>(2 * run.threads + 2),
      tbb::make_filter<void, std::int64_t>(tbb::filter_mode::serial_in_order,
                                           [&](tbb::flow_control& control) -> std::int64_t {
                                             if (next == count || enough.load() || run.Cancelled()) {
                                               control.stop();
                                               return 0;
                                             }
                                             return next++;
                                           }) &
          tbb::make_filter<std::int64_t, Item>(
              tbb::filter_mode::parallel,
              [&](std::int64_t i) {
                auto item = std::make_shared<Done>(Done{i, std::nullopt});
                if (!enough.load(std::memory_order_relaxed)) item->result.emplace(body(i));
                return item;
              }) &
          tbb::make_filter<Item, void>(tbb::filter_mode::serial_in_order, [&](const Item& item) {
            if (enough.load() || !item->result) return;
            std::lock_guard lock(run.mutex);
            if (!merge(item->index, std::move(*item->result))) enough.store(true);
            run.partsDone.fetch_add(1, std::memory_order_relaxed);
          }));
}

}  // namespace quenmar::design::detail
