#pragma once
// Where the engine's trains go: the exact acceptance test, one train per class for
// the distinct kinds (with the count of trains each stands for), the K closest, the
// cap, the batches handed to the operations, and the result in the query's order.
// Also the pacer that polls the stop flag and reports progress.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <vector>

#include "DesignEngine.h"
#include "TrainGeometry.h"

namespace quenmar::design::detail {

class Collector {
 public:
  // What one kept train costs at most (entry, heap slot, class index): for the up-front
  // memory check.
  static constexpr double kBytesPerKeptTrain = 160;

  Collector(const DesignQuery& query, const Plan& plan, DesignOperations& operations);

  const Fraction& Target() const { return target_; }

  // A train of the loops: teeth N1..Nk, its unreduced reduction num/den and the
  // numerator of |R - T| over den * T.den. Trains must come in loop order, or, for a
  // distinct kind, each class's trains in loop order and never split across calls
  // that another class's better train separates. Returns false when nothing the
  // loops could still find would change the result (the cap was reached).
  bool Add(const int* teeth, std::uint64_t num, std::uint64_t den, u128 diff);

  // For an engine that finds a listing's trains out of loop order, in groups of equal
  // reduction that each hold whole classes, every group's trains in loop order, each
  // group closed by EndGroup. The listed trains are then the first M of the loops,
  // kept in a bounded heap, and handed to the operations in one batch at the end.
  void ListOutOfOrder();
  void EndGroup();

  // Whether a train of this reduction could be kept now (within the tolerance and not
  // farther than the K closest so far); a cheap test before its gears are worked out.
  bool Admits(std::uint64_t den, u128 diff) const;

  // The largest |R - T| a train may have and still be kept, rounded up; infinity
  // when any train would be. Shrinks as the K closest improve.
  double Radius() const;

  // Hands the trains listed since the last call to the operations (listing only).
  void Flush();

  DesignResult Finish(bool stopped);

  // The trains the result would hold now, in its order (best K and out-of-order lists).
  std::vector<DesignTrain> Current() const;
  bool SnapshotKind() const { return query_.best > 0 || unordered_; }
  std::int64_t Found() const { return static_cast<std::int64_t>(entries_.size()); }

 private:
  struct Key {
    std::uint64_t a = 0, b = 0;
    friend bool operator==(const Key&, const Key&) = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const {
      return static_cast<std::size_t>(k.a * 0x9E3779B97F4A7C15ull ^ (k.b + 0x632BE59BD9B4E019ull));
    }
  };
  struct Entry {
    std::array<std::int16_t, kMaxGears> teeth{};
    std::uint64_t num = 0, den = 1;
    u128 diff = 0;
    std::int64_t variants = 1;
    Key key;
  };

  bool Within(u128 diff, std::uint64_t den) const;
  Key ClassOf(const int* teeth) const;
  Entry MakeEntry(const int* teeth, std::uint64_t num, std::uint64_t den, u128 diff) const;
  // Strictly closer, or as close and earlier in loop order.
  bool Before(const Entry& a, const Entry& b) const;
  DesignTrain TrainOf(const Entry& e) const;
  bool AddListed(const int* teeth, std::uint64_t num, std::uint64_t den, u128 diff);
  void AddUnordered(const Entry& e);
  bool AddBest(const int* teeth, std::uint64_t num, std::uint64_t den, u128 diff);
  void UpdateRadius();

  const DesignQuery& query_;
  const Plan& plan_;
  std::optional<geometry::TrainRules> geometry_;  // the geometric conditions, where any is asked
  DesignOperations& operations_;
  Fraction target_;
  // Acceptance: diff / (den * (perTargetDen_ ? T.den : 1)) <= boundNum_ / boundDen_.
  bool bounded_ = false;
  bool perTargetDen_ = true;
  u128 boundNum_ = 0, boundDen_ = 1;
  double toleranceRadius_ = std::numeric_limits<double>::infinity();
  double radius_ = std::numeric_limits<double>::infinity();

  std::int64_t cap_ = -1;  // listed trains allowed; -1: no cap
  bool capCut_ = false;
  std::vector<Entry> entries_;
  std::unordered_map<Key, std::size_t, KeyHash> classes_;
  std::size_t flushed_ = 0;

  // The K closest: entries_ is a max-heap by Before, of at most capacity_ entries.
  // Out of order: a max-heap by loop order of at most cap_ + 1 entries.
  std::size_t capacity_ = 0;
  bool unordered_ = false;
  std::vector<Entry> group_;  // the classes of the current group, out of order
};

// Polls the stop flag after bounded work and reports progress at most once per
// percent; each report also hands the batch listed so far to the operations.
class Pacer {
 public:
  static constexpr std::int64_t kPollEvery = std::int64_t{1} << 16;
  Pacer(DesignOperations& operations, const std::atomic<bool>* stop, Collector& sink)
      : operations_(operations), stop_(stop), sink_(sink), start_(std::chrono::steady_clock::now()),
        last_(start_) {
    Report();
    Poll();
  }

  void Work(std::int64_t units) {
    work_ += units;
    if (work_ >= next_) Poll();
  }
  void Position(double fraction);
  bool Stopped() const { return stopped_; }

 private:
  void Poll();
  void Report();

  DesignOperations& operations_;
  const std::atomic<bool>* stop_;
  Collector& sink_;
  std::int64_t work_ = 0, next_ = kPollEvery;
  int percent_ = -1;
  bool stopped_ = false;
  std::chrono::steady_clock::time_point start_, last_;
};

}  // namespace quenmar::design::detail
