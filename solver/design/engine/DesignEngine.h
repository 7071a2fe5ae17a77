#pragma once
// The design engine's entry: it chooses how to enumerate a query (the loops with the last
// gear solved or the last stages looked up in a table, or the product sweep), splits the
// enumeration into parts that run on oneTBB's threads, merges their collectors, and
// reports progress from the calling thread. Not part of the public surface; tests and
// benchmarks use the tuning knobs to drive every path on small inputs.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "DesignSearch.h"

namespace quenmar::design::detail {

struct EngineTuning {
  std::int64_t maxTableEntries = std::int64_t{1} << 24;  // stage tables larger are not built
  bool shortcuts = true;    // false: the plain loops (with the filters pruning) only
  int tableStages = -1;     // -1: chosen by cost; h >= 1: a table of the last h stages where it fits
  int products = -1;        // the product sweep: -1 chosen by cost, 0 never, 1 wherever it applies
  int partDepth = -1;       // gears fixed per part of the loops; -1: chosen for the threads
  std::uint64_t segmentProducts = std::uint64_t{1} << 22;  // products per segment of the sweep
};

// What a run keeps per listed or kept train at most, in bytes: its collectors' entries,
// their compaction, the result's trains and the keys that sort them. Measured with the
// allocator by the memory test, which holds the engine to it (165 was the most seen).
// The memory check refuses runs whose trains would not fit within the budget beside the
// engine's own tables and buffers.
constexpr double kBytesPerKeptTrain = 176;
constexpr double kMemoryBudget = 2.0 * 1024 * 1024 * 1024;
constexpr double kEngineBytes = 512.0 * 1024 * 1024;  // stage tables, sweep segments, parts
std::optional<std::string> CheckMemory(const DesignQuery& query);
std::int64_t MostAffordable();

DesignEstimate Estimate(const DesignQuery& query, int threads, const EngineTuning& tuning = {});

DesignResult RunEngine(const DesignQuery& query, DesignOperations& operations, const std::atomic<bool>* stop,
                       int threads, const EngineTuning& tuning = {});
std::vector<DesignResult> RunEngineForTargets(const DesignQuery& query, std::span<const DesignTarget> targets,
                                              DesignOperations& operations, const std::atomic<bool>* stop,
                                              int threads, const EngineTuning& tuning = {});

}  // namespace quenmar::design::detail
