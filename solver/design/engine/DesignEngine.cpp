#include "DesignEngine.h"

#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/info.h>
#include <oneapi/tbb/parallel_invoke.h>
#include <oneapi/tbb/task_arena.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <functional>
#include <thread>
#include <unordered_set>

#include "Collectors.h"
#include "Loops.h"
#include "Parts.h"
#include "PlanetaryRules.h"
#include "ProductSweep.h"
#include "Results.h"
#include "TailTable.h"
#include "TrainRules.h"

namespace quenmar::design::detail {

namespace {

using Clock = std::chrono::steady_clock;

// Runs keeping more trains than this take no snapshots while they run.
constexpr std::size_t kLargestSnapshot = 1 << 16;
// The most trains one call of Listed hands on.
constexpr std::size_t kBatch = 1 << 14;
// A part hands its closest trains to the run's collector whenever it holds this many,
// so that parts under way never hold much.
constexpr std::size_t kPartHolds = 1 << 12;
// Work units of the cost model per second on one core of a desktop like ours.
constexpr double kUnitsPerSecond = 2.5e8;
// The least the loops of a listing run before they give way to the sweep: a listing
// within a moment's work keeps its trains coming in loop order from the start.
constexpr double kMomentOfLoops = kUnitsPerSecond / 100;

int ThreadsFor(int requested) {
  return requested > 0 ? requested : std::max(1, tbb::info::default_concurrency());
}

// The most trains a run can keep within the memory budget.
constexpr auto kMostAffordable = static_cast<std::int64_t>((kMemoryBudget - kEngineBytes) / kBytesPerKeptTrain) - 1;

// A run given no cap lists as many trains as memory allows.
std::int64_t CapOf(const DesignQuery& query) {
  return query.maxSolutions.value_or(std::min(kMostTrains, kMostAffordable));
}

// How many trains the run's collectors keep: a listing its cap and one more, the best K
// their K (or the cap and one more where that is smaller).
std::int64_t KeptOf(const DesignQuery& query) {
  if (query.best == 0) return CapOf(query) + 1;
  return query.maxSolutions && *query.maxSolutions < query.best ? *query.maxSolutions + 1 : query.best;
}

template <typename Rules>
double Span(const Rules& rules, int g) {
  return rules.Tie(g) >= 0 ? 1.0 : static_cast<double>(rules.Values(g).size());
}

// How the loops end, and what the choices cost in work units.
struct Strategy {
  int tableStages = 0;  // 0: no table
  bool lastGear = false;
  double loopsWork = 0;
  std::optional<double> sweepWork;
  bool sweep = false;       // the product sweep, from the start
  bool budgeted = false;    // a listing: the loops first, the sweep once they take longer
};

Strategy ChooseProducts(const CompoundRules& rules, const DesignQuery& query, const EngineTuning& tuning,
                        Strategy best, bool tied, bool lastIsSource);

template <typename Rules>
Strategy Choose(const Rules& rules, const DesignQuery& query, const EngineTuning& tuning) {
  Strategy best;
  const int gears = rules.Gears(), last = gears - 1;
  double all = 1;
  for (int g = 0; g < gears; ++g) all *= Span(rules, g);
  best.loopsWork = all;
  if (!tuning.shortcuts) return best;
  bool tied = false, lastIsSource = false;
  for (int g = 0; g < gears; ++g) {
    tied = tied || rules.Tie(g) >= 0;
    lastIsSource = lastIsSource || rules.Tie(g) == last;
  }
  if (rules.Tie(last) < 0 && !lastIsSource && rules.SolvesLastGear()) {
    best.lastGear = true;
    best.loopsWork = all / std::max(1.0, Span(rules, last)) * 4;
  }
  if constexpr (!Rules::kProductForm) {
    return best;
  } else {
    return ChooseProducts(rules, query, tuning, best, tied, lastIsSource);
  }
}

// The choices only a product-form kind has: a table of the last stages, the sweep.
Strategy ChooseProducts(const CompoundRules& rules, const DesignQuery& query, const EngineTuning& tuning,
                        Strategy best, bool tied, bool lastIsSource) {
  const int gears = rules.Gears(), last = gears - 1;
  double all = 1;
  for (int g = 0; g < gears; ++g) all *= Span(rules, g);
  if (!tied) {
    for (int h = 1; h <= rules.Stages(); ++h) {
      if (tuning.tableStages >= 0 && h != tuning.tableStages) continue;
      const double tail = TailTable::Entries(rules, h);
      if (tail > static_cast<double>(tuning.maxTableEntries)) break;
      const double head = all / std::max(1.0, tail), lookup = std::log2(tail + 2);
      const double work = head * (lookup + 2) + tail * (lookup + 1);
      if (work < best.loopsWork || tuning.tableStages == h) {
        best.loopsWork = work;
        best.tableStages = h;
        best.lastGear = false;
      }
    }
  }
  if (tuning.products != 0) best.sweepWork = SweepWork(rules, query.best > 0);
  // A listing's sweep of hours finds nothing until it has come far; the loops hand on
  // trains in loop order from the start, which is worth more where neither would end. The
  // closest trains come from the sweep's first narrow window, so a search for them sweeps
  // however long it takes, where the loops would take longer.
  constexpr double kHopeless = 1e12;
  if (best.sweepWork && *best.sweepWork > kHopeless && tuning.products != 1 && query.best == 0)
    best.sweepWork.reset();
  if (best.sweepWork) {
    const bool cheaper = *best.sweepWork < best.loopsWork;
    if (tuning.products == 1) best.sweep = true;
    else if (query.best > 0) best.sweep = cheaper;
    // A listing stops at its cap in loop order, which the loops may reach long before
    // their end: they go first, and give way to the sweep once they have done its work.
    else best.budgeted = std::max(*best.sweepWork, kMomentOfLoops) * 4 < best.loopsWork;
  }
  // Loops on a budget start at once: no table that takes longer to build than the budget.
  if (best.budgeted && best.tableStages > 0 &&
      TailTable::Entries(rules, best.tableStages) > std::max(*best.sweepWork, kMomentOfLoops) / 2) {
    best.tableStages = 0;
    best.lastGear = rules.Tie(last) < 0 && !lastIsSource;
  }
  return best;
}

// The prefixes that split the loops into parts: the first `depth` gears, every value
// the rules admit, in loop order.
struct Prefixes {
  int depth = 0;
  std::vector<std::array<std::int16_t, kMaxGears>> list;
};

template <typename Rules>
void Enumerate(const Rules& rules, int depth, int g, std::array<int, kMaxGears>& teeth, Usage& used,
               Prefixes& out) {
  if (g == depth) {
    std::array<std::int16_t, kMaxGears> p{};
    for (int i = 0; i < depth; ++i) p[i] = static_cast<std::int16_t>(teeth[i]);
    out.list.push_back(p);
    return;
  }
  const auto place = [&](int v) {
    if (!rules.Admits(g, v, teeth.data(), 0, used)) return;
    teeth[g] = v;
    ++used[v];
    Enumerate(rules, depth, g + 1, teeth, used, out);
    --used[v];
  };
  if (rules.Tie(g) >= 0) {
    const int v = teeth[rules.Tie(g)];
    if (v >= rules.Lo(g) && v <= rules.Hi(g)) place(v);
    return;
  }
  for (const int v : rules.Values(g)) place(v);
}

template <typename Rules>
Prefixes MakePrefixes(const Rules& rules, int looped, int threads, double work, int forced) {
  Prefixes prefixes;
  // Enough parts to keep every thread busy, the progress fine-grained and a part short
  // (so that a listing's first trains come early), few enough that a part's own work
  // outweighs its handling.
  const double wanted = std::max(64.0 * threads, work / 1e6);
  double count = 1;
  int depth = 0;
  if (forced >= 0) {
    depth = std::min(forced, looped);
  } else {
    while (depth < looped && count < wanted && count * Span(rules, depth) <= 1 << 18) count *= Span(rules, depth++);
  }
  prefixes.depth = depth;
  std::array<int, kMaxGears> teeth{};
  Usage used{};
  Enumerate(rules, depth, 0, teeth, used, prefixes);
  return prefixes;
}

// A listing's part: the trains within the tolerance, in loop order, up to the room the
// merged list still has.
// How many trains the parts under way may still hold between them: a listing keeps only
// its first trains, so a part needs no more than the room the merged list has left less
// what the parts before it hold. The total stays within the listing's own size however
// many parts run at once.
struct ListingRoom {
  std::int64_t limit = 0;
  std::atomic<std::int64_t> merged{0}, firstUnmerged{0};
  std::vector<std::atomic<std::int64_t>> held;  // per part

  std::int64_t For(std::int64_t part) const {
    std::int64_t used = merged.load(std::memory_order_relaxed);
    for (std::int64_t k = firstUnmerged.load(std::memory_order_relaxed); k < part; ++k)
      used += held[static_cast<std::size_t>(k)].load(std::memory_order_relaxed);
    return limit - used;
  }
};

class ListSink : public PartSink {
 public:
  // room: shared by the parts of a listing that is not distinct (a distinct part may
  // repeat earlier parts' classes, so it needs the whole list's room); null otherwise.
  // stream: hands this part's trains to the merged listing while the part runs, once every
  // part before it is merged (false when the listing is full).
  ListSink(const Judge& judge, std::int64_t limit, ListingRoom* room, std::int64_t part,
           std::function<bool(ListCollector&)> stream)
      : judge_(judge), room_(room), part_(part), stream_(std::move(stream)), list(judge, limit),
        window_(judge.WindowFor({})) {}
  bool Offer(const int* teeth, std::uint64_t num, std::uint64_t den) override {
    if (!judge_.Within(num, den)) return true;
    if (list.Entries().size() >= 1024 && !Tick()) return false;
    if (room_ != nullptr && (offered_++ & 255) == 0) {
      const std::int64_t left = room_->For(part_);
      if (static_cast<std::int64_t>(list.Entries().size()) >= left) {
        // The parts before this one hold the rest of the listing: this one is done.
        list.Truncate(static_cast<std::size_t>(std::max<std::int64_t>(left, 0)));
        done = true;
        return false;
      }
    }
    const bool more = list.Add(MakeEntry(teeth, judge_.Rules().Gears(), num, den));
    if (room_ != nullptr)
      room_->held[static_cast<std::size_t>(part_)].store(static_cast<std::int64_t>(list.Entries().size()),
                                                         std::memory_order_relaxed);
    return more;
  }
  Judge::Window Window() override { return window_; }
  // Hands the trains held to the listing when this part is next in loop order, at most
  // every 50 ms (and at once once many are held).
  bool Tick() override {
    if (list.Entries().empty()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (list.Entries().size() < 1024 && now - streamed_ < std::chrono::milliseconds(50)) return true;
    streamed_ = now;
    if (stream_(list)) return true;
    done = true;
    return false;
  }

 private:
  const Judge& judge_;
  std::chrono::steady_clock::time_point streamed_{};
  ListingRoom* room_;
  std::int64_t part_;
  std::function<bool(ListCollector&)> stream_;
  std::uint64_t offered_ = 0;

 public:
  ListCollector list;
  bool done = false;  // ended because earlier parts fill the listing

 private:
  Judge::Window window_;
};

// A part of a best-K run: the closest trains of the part, pruned by the closest the run
// has merged so far.
class RankedSink : public PartSink {
 public:
  RankedSink(const Judge& judge, RankedCollector& merged, RunState& run)
      : judge_(judge), merged_(merged), run_(run), local(judge, merged.Ordering(), merged.Limit()) {
    Refresh();
  }
  bool Offer(const int* teeth, std::uint64_t num, std::uint64_t den) override {
    if (!judge_.Within(num, den)) return true;
    if (bound_ && judge_.Target().CompareDifferences(Fraction{num, den}, bound_->Reduction()) > 0) return true;
    local.Add(MakeEntry(teeth, judge_.Rules().Gears(), num, den));
    if (local.Size() >= kPartHolds) {
      std::lock_guard lock(run_.mutex);
      merged_.Merge(std::move(local));
    }
    if (local.Worst() && (!bound_ || judge_.Closer(*local.Worst(), *bound_))) {
      bound_ = local.Worst();
      window_ = judge_.WindowFor(bound_);
    }
    return true;
  }
  Judge::Window Window() override {
    if ((++asked_ & 255) == 0) Refresh();
    return window_;
  }
  // The part's closest so far join the run's every tenth of a second, so that a long part
  // shows them while it runs.
  bool Tick() override {
    const auto now = std::chrono::steady_clock::now();
    if (local.Size() == 0 || now - flushed_ < std::chrono::milliseconds(100)) return true;
    flushed_ = now;
    {
      std::lock_guard lock(run_.mutex);
      merged_.Merge(std::move(local));
    }
    Refresh();
    return true;
  }

 private:
  void Refresh() {
    std::optional<Entry> merged;
    {
      std::lock_guard lock(run_.mutex);
      merged = merged_.Worst();
    }
    if (merged && (!bound_ || judge_.Closer(*merged, *bound_))) bound_ = merged;
    window_ = judge_.WindowFor(bound_);
  }

  const Judge& judge_;
  RankedCollector& merged_;
  RunState& run_;
  std::optional<Entry> bound_;
  Judge::Window window_;
  std::uint64_t asked_ = 0;
  std::chrono::steady_clock::time_point flushed_ = std::chrono::steady_clock::now();

 public:
  RankedCollector local;
};

// Runs work on the run's threads (a thread of its own joins the arena), while the calling
// thread reports every tenth of a second, at once when `urgent` is raised (with wake
// notified), and passes on the user's stop.
void Watch(RunState& run, const std::atomic<bool>* stop, const std::function<void()>& work,
           const std::function<void()>& report, std::atomic<bool>& urgent, std::mutex& waiting,
           std::condition_variable& wake) {
  bool finished = false;
  std::thread worker([&] {
    tbb::task_arena arena(run.threads);
    arena.execute(work);
    std::lock_guard lock(waiting);
    finished = true;
    wake.notify_all();
  });
  const auto passStop = [&] {
    if (stop != nullptr && stop->load()) {
      run.stopped.store(true);
      run.cancel.store(true);
    }
  };
  {
    std::unique_lock lock(waiting);
    auto last = Clock::now();
    while (!finished) {
      wake.wait_for(lock, std::chrono::milliseconds(20));
      passStop();
      if (!finished && (Clock::now() - last >= std::chrono::milliseconds(100) || urgent.exchange(false))) {
        lock.unlock();
        report();
        lock.lock();
        last = Clock::now();
        passStop();  // a stop asked for from within a report is obeyed at once
      }
    }
  }
  worker.join();
}

// More threads than cores, where asked for, rather than TBB's default limit.
std::optional<tbb::global_control> AllowThreads(int threads) {
  std::optional<tbb::global_control> allow;
  if (threads > tbb::info::default_concurrency())
    allow.emplace(tbb::global_control::max_allowed_parallelism, static_cast<std::size_t>(threads));
  return allow;
}

template <typename Rules>
class Engine {
 public:
  Engine(const DesignQuery& query, DesignOperations& operations, const std::atomic<bool>* stop, int threads,
         const EngineTuning& tuning)
      : query_(query), operations_(operations), stop_(stop), tuning_(tuning), rules_(query), judge_(query, rules_),
        strategy_(Choose(rules_, query, tuning)) {
    run_.threads = ThreadsFor(threads);
    run_.stop = stop;
  }

  DesignResult Run() {
    start_ = Clock::now();
    const auto allow = AllowThreads(run_.threads);
    if (stop_ != nullptr && stop_->load()) {
      run_.stopped.store(true);
      run_.cancel.store(true);
    }
    if (query_.best > 0 || strategy_.sweep) {
      ranked_.emplace(judge_, query_.best > 0 ? RankedCollector::Order::Closeness : RankedCollector::Order::Loops,
                      KeptOf(query_));
      ranked_->ReserveAll();
    } else
      list_.emplace(judge_, KeptOf(query_));
    Report();
    if (Small()) {
      // A search of a few milliseconds runs on the calling thread, without a thread to
      // watch it.
      tbb::task_arena arena(1);
      arena.execute([&] { Work(); });
      return Conclude();
    }
    Watch(run_, stop_, [&] { Work(); }, [&] { Report(); }, firstTrains_, waiting_, wake_);
    return Conclude();
  }

 private:
  bool Small() const {
    const double work = strategy_.sweep ? *strategy_.sweepWork : strategy_.loopsWork;
    return work < 1e6 && (strategy_.tableStages == 0 || strategy_.sweep);
  }

  // The final reports and the result, once the enumeration has ended.
  DesignResult Conclude() {
    // The listing's trains in loop order, or the closest in their order.
    const std::int64_t cap = CapOf(query_);
    std::vector<DesignTrain> trains;
    if (ranked_ && (switched_ || !list_)) {
      const std::vector<Entry> entries = ranked_->TakeSorted();
      trains = TrainsOf(entries, judge_, 0, static_cast<std::size_t>(cap) + 1);
    } else if (list_) {
      trains = TrainsOf(list_->TakeEntries(), judge_, 0, static_cast<std::size_t>(cap) + 1);
    }
    const bool capCut = static_cast<std::int64_t>(trains.size()) > cap;
    if (capCut) trains.pop_back();
    if (query_.best == 0 && listed_ < trains.size()) operations_.Listed(std::span(trains).subspan(listed_));
    DesignResult result = MakeResult(query_, judge_, std::move(trains), capCut, run_.stopped.load());
    if (query_.best > 0) operations_.Snapshot(result.trains);
    if (!result.stopped) percent_ = 100;
    found_ = static_cast<std::int64_t>(result.trains.size());
    Progress();
    return result;
  }

  // --- The enumeration, on the arena's threads ---
  void Work() {
    if (ranked_) {
      if (strategy_.sweep) Sweep();
      else RunLoops(false);
      return;
    }
    RunLoops(true);
    if (!overBudget_.load()) return;
    // The loops have done the sweep's work without finding the listing: the sweep finds it.
    run_.cancel.store(false);
    if (run_.stopped.load()) {
      run_.cancel.store(true);
      return;
    }
    {
      std::lock_guard lock(run_.mutex);
      switched_ = true;
      ranked_.emplace(judge_, RankedCollector::Order::Loops, KeptOf(query_));
      ranked_->ReserveAll();
      // The trains the loops found first in loop order stay first: the sweep finds them
      // again, and the collector keeps each train once.
      for (const Entry& e : list_->Entries()) ranked_->Add(e);
    }
    Sweep();
  }

  void Sweep() {
    if constexpr (Rules::kProductForm) RunProductSweep(rules_, judge_, *ranked_, run_, {tuning_.segmentProducts});
  }

  void RunLoops(bool ordered) {
    std::optional<TailTable> table;
    if constexpr (Rules::kProductForm) {
      if (strategy_.tableStages > 0) {
        table.emplace(rules_, strategy_.tableStages, run_);
        if (run_.Cancelled()) return;
      }
    }
    const TailTable* tail = table ? &*table : nullptr;
    const int looped = Loops<Rules>::LoopedGears(rules_, tail, strategy_.lastGear);
    const Prefixes prefixes = MakePrefixes(rules_, looped, run_.threads, strategy_.loopsWork, tuning_.partDepth);
    const auto count = static_cast<std::int64_t>(prefixes.list.size());
    // The loops of a listing give way to the sweep once they have done its work, but not
    // before a moment's work: a short search keeps its trains coming in loop order.
    const double budget = strategy_.budgeted ? std::max(*strategy_.sweepWork, kMomentOfLoops)
                                             : std::numeric_limits<double>::infinity();
    std::atomic<double> work{0};
    const auto loopsOf = [&](PartSink& sink, std::int64_t i, bool& complete) {
      int prefix[kMaxGears];
      for (int g = 0; g < prefixes.depth; ++g) prefix[g] = prefixes.list[static_cast<std::size_t>(i)][g];
      Loops<Rules> loops(rules_, tail, strategy_.lastGear, sink, run_);
      complete = loops.Run(prefix, prefixes.depth);
      const double done = work.fetch_add(static_cast<double>(loops.Work())) + static_cast<double>(loops.Work());
      if (done > budget && !overBudget_.exchange(true)) run_.cancel.store(true);
    };
    if (ordered) {
      struct Part {
        std::optional<ListSink> sink;
        bool complete = true;
      };
      ListingRoom room;
      room.limit = KeptOf(query_);
      room.held = std::vector<std::atomic<std::int64_t>>(static_cast<std::size_t>(count));
      RunParts<Part>(
          count, run_,
          [&](std::int64_t i) {
            Part part;
            // The first part not merged is next in loop order: its trains join the listing
            // as they are found, so that a long part shows them at once.
            const auto stream = [&, i](ListCollector& found) {
              if (room.firstUnmerged.load() != i) return true;
              std::lock_guard lock(run_.mutex);
              if (prefixEnded_) return false;
              const bool more = list_->Merge(found);
              found.Clear();
              room.merged.store(static_cast<std::int64_t>(list_->Entries().size()));
              Announce();
              return more;
            };
            part.sink.emplace(judge_, KeptOf(query_), judge_.Distinct() ? nullptr : &room, i, stream);
            loopsOf(*part.sink, i, part.complete);
            part.complete = part.complete || part.sink->list.Full() || part.sink->done;
            return part;
          },
          [&](std::int64_t i, Part&& part) {
            if (prefixEnded_) return false;
            const bool more = list_->Merge(part.sink->list);
            room.merged.store(static_cast<std::int64_t>(list_->Entries().size()));
            room.firstUnmerged.store(i + 1);
            Announce();
            // A part cut short ends the loops' order here: what follows it is not kept.
            if (!part.complete) prefixEnded_ = true;
            return more && part.complete;
          });
    } else {
      RunParts<std::optional<RankedSink>>(
          count, run_,
          [&](std::int64_t i) {
            std::optional<RankedSink> sink(std::in_place, judge_, *ranked_, run_);
            bool complete = true;
            loopsOf(*sink, i, complete);
            return sink;
          },
          [&](std::int64_t, std::optional<RankedSink>&& sink) {
            ranked_->Merge(std::move(sink->local));
            return true;
          });
    }
  }

  // The first trains of a listing are reported at once (under run_.mutex).
  void Announce() {
    if (list_->Entries().empty() || announced_) return;
    announced_ = true;
    firstTrains_.store(true);
    wake_.notify_all();
  }

  // --- Reports, on the calling thread ---
  // Never waits for the enumeration: where the merged collectors are busy, the trains wait
  // for the next report.
  void Report() {
    const double fraction = static_cast<double>(run_.partsDone.load()) / static_cast<double>(run_.partsTotal.load());
    percent_ = std::max(percent_, std::clamp(static_cast<int>(fraction * 100), 0, 99));
    // The listing's new trains in loop order, in batches of bounded size (so that what a
    // batch costs stays small beside the listing), up to the cap: one more is kept only
    // to know whether the cap left one out.
    for (bool more = true; more;) {
      std::vector<Entry> fresh;
      more = false;
      if (!run_.mutex.try_lock()) break;
      {
        std::lock_guard lock(run_.mutex, std::adopt_lock);
        if (!list_ || switched_) break;
        const auto& entries = list_->Entries();
        const std::size_t end = std::min(entries.size(), static_cast<std::size_t>(CapOf(query_)));
        const std::size_t take = std::min<std::size_t>(end - std::min(end, listed_), kBatch);
        fresh.assign(entries.begin() + static_cast<std::ptrdiff_t>(listed_),
                     entries.begin() + static_cast<std::ptrdiff_t>(listed_ + take));
        found_ = static_cast<std::int64_t>(end);
        more = listed_ + take < end;
      }
      if (fresh.empty()) break;
      listed_ += fresh.size();
      operations_.Listed(TrainsOf(fresh, judge_));
    }
    SnapshotNow();
    Progress();
  }

  // Where trains are found out of loop order: what the result would hold now.
  void SnapshotNow() {
    const auto now = Clock::now();
    std::vector<Entry> snapshot;
    if (!run_.mutex.try_lock()) return;
    {
      std::lock_guard lock(run_.mutex, std::adopt_lock);
      if (!ranked_ || (list_ && !switched_)) return;
      const std::int64_t cap = CapOf(query_);
      found_ = std::min<std::int64_t>(static_cast<std::int64_t>(ranked_->Size()), std::min(ranked_->Limit(), cap));
      // A snapshot copies what is kept: not where that is millions of trains.
      if (now < nextSnapshot_ || ranked_->Version() == snapshotVersion_ || ranked_->Size() > kLargestSnapshot) return;
      snapshotVersion_ = ranked_->Version();
      snapshot = ranked_->Sorted();
      if (static_cast<std::int64_t>(snapshot.size()) > cap) snapshot.resize(static_cast<std::size_t>(cap));
    }
    operations_.Snapshot(TrainsOf(snapshot, judge_));
    // A large snapshot is taken seldom, so that it never costs much of the run.
    nextSnapshot_ = Clock::now() + std::max<Clock::duration>(std::chrono::milliseconds(200), 10 * (Clock::now() - now));
  }

  void Progress() {
    DesignProgress progress;
    progress.percent = percent_;
    progress.elapsedSeconds = std::chrono::duration<double>(Clock::now() - start_).count();
    if (progress.elapsedSeconds > 3 && percent_ > 0 && percent_ < 100)
      progress.secondsLeft = progress.elapsedSeconds * (100 - percent_) / percent_;
    if (percent_ == 100) progress.secondsLeft = 0;
    progress.found = found_;
    operations_.Progress(progress);
  }

  const DesignQuery& query_;
  DesignOperations& operations_;
  const std::atomic<bool>* stop_;
  EngineTuning tuning_;
  Rules rules_;
  Judge judge_;
  Strategy strategy_;
  RunState run_;
  std::optional<ListCollector> list_;
  std::optional<RankedCollector> ranked_;
  bool prefixEnded_ = false;
  bool announced_ = false;               // the merged listing's first trains were announced
  std::atomic<bool> firstTrains_{false};  // ... and are to be reported at once
  std::mutex waiting_;
  std::condition_variable wake_;
  bool switched_ = false;  // a listing the loops gave up, found by the sweep
  std::atomic<bool> overBudget_{false};
  std::uint64_t snapshotVersion_ = 0;
  // The calling thread's own.
  Clock::time_point start_, nextSnapshot_{};
  int percent_ = 0;
  std::int64_t found_ = 0;
  std::size_t listed_ = 0;
};

// Sides whose blocks spell out more products than this are not shared by the targets of a
// chart: the walk of one target visits every drivers' product once.
constexpr double kMostSharedProducts = 2e6;

// Orderings of one side's gears by their product, for every product of the side
// (SideProducts::All), made once for all the targets of a chart: the side's teeth by
// position, every combination of the gears' values, each product's in loop order. Trains
// of a pair of products are then spelled out from these instead of by dividing.
class SideOrderings {
 public:
  // Sides with more combinations than this spell their trains by dividing.
  static constexpr double kMost = 4e6;
  using Teeth = std::array<std::int16_t, 3>;

  SideOrderings(const CompoundRules& rules, int side, const std::vector<std::uint64_t>& products) {
    const int positions = rules.Stages();
    double count = 1;
    for (int k = 0; k < positions; ++k) count *= static_cast<double>(rules.Values(2 * k + side).size());
    if (positions > 3 || count > kMost) return;
    std::vector<std::pair<std::uint32_t, Teeth>> found;
    Teeth teeth{};
    const std::function<void(int, std::uint64_t)> place = [&](int k, std::uint64_t product) {
      if (k == positions) {
        const auto at = std::lower_bound(products.begin(), products.end(), product);
        if (at != products.end() && *at == product)
          found.emplace_back(static_cast<std::uint32_t>(at - products.begin()), teeth);
        return;
      }
      for (const int v : rules.Values(2 * k + side)) {
        teeth[static_cast<std::size_t>(k)] = static_cast<std::int16_t>(v);
        place(k + 1, product * static_cast<std::uint64_t>(v));
      }
    };
    place(0, 1);
    // Found in loop order: a stable sort by product keeps each product's in it.
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    start_.assign(products.size() + 1, 0);
    for (const auto& f : found) ++start_[f.first + 1];
    for (std::size_t i = 1; i < start_.size(); ++i) start_[i] += start_[i - 1];
    teeth_.reserve(found.size());
    for (const auto& f : found) teeth_.push_back(f.second);
    usable_ = true;
  }
  bool Usable() const { return usable_; }
  // The orderings of product i: indices into Orderings().
  std::pair<std::size_t, std::size_t> Of(std::size_t i) const { return {start_[i], start_[i + 1]}; }
  const std::vector<Teeth>& Orderings() const { return teeth_; }

 private:
  bool usable_ = false;
  std::vector<std::uint32_t> start_;
  std::vector<Teeth> teeth_;
};

// The closest trains of one target from every product of both sides, sorted once for all
// targets: each drivers' product p meets the driven products q in two lanes, upwards from
// the target's q and downwards below it, each ever farther from the target; the lanes of
// every p are merged by their distances, nearest first, and each pair of products is
// spelled out into its trains (in loop order) until the collector's K-th train is nearer
// than any pair left. Distances are doubles only to choose which pairs to spell out: the
// search goes on far beyond where rounding could matter, and the collector ranks exactly.
class ClosestFromProducts {
 public:
  ClosestFromProducts(const CompoundRules& rules, const Judge& judge, const std::vector<std::uint64_t>& drivers,
                      const std::vector<std::uint64_t>& driven, const std::array<const SideOrderings*, 2>& orderings,
                      RankedCollector& out, RunState& run)
      : rules_(rules), judge_(judge), drivers_(drivers), driven_(driven), orderings_(orderings), out_(out), run_(run),
        fixedDriven_(rules.FixedDriven()), fixedDriver_(rules.FixedDriver()), t_(judge.Target().ValueDouble()) {
    const Judge::Window w = judge.WindowFor(std::nullopt);
    low_ = w.low * (1 - 1e-12);
    high_ = w.high * (1 + 1e-12);
  }

  void Run() {
    if (drivers_.empty() || driven_.empty()) return;
    // Where q = T * p * fixedDriver / fixedDriven lies among the driven products, for every
    // p in ascending order: one walk of both lists.
    const long double scale = static_cast<long double>(t_) * fixedDriver_ / fixedDriven_;
    std::vector<Lane> lanes;
    lanes.reserve(2 * drivers_.size());
    // The driven products of the tolerance's window, widened far beyond rounding: a lane
    // starting outside it is left out at once, without its distance.
    const long double ratio = static_cast<long double>(fixedDriver_) / fixedDriven_;
    const long double lowScale = static_cast<long double>(low_) * ratio * (1 - 1e-9L);
    const long double highScale = static_cast<long double>(high_) * ratio * (1 + 1e-9L);
    std::size_t j = 0;
    for (std::uint32_t i = 0; i < drivers_.size(); ++i) {
      const auto p = static_cast<long double>(drivers_[i]);
      const long double want = scale * p;
      while (j < driven_.size() && static_cast<long double>(driven_[j]) < want) ++j;
      if (j < driven_.size() && static_cast<long double>(driven_[j]) <= highScale * p)
        Push(lanes, i, static_cast<std::int64_t>(j), +1);
      if (j > 0 && static_cast<long double>(driven_[j - 1]) >= lowScale * p)
        Push(lanes, i, static_cast<std::int64_t>(j) - 1, -1);
      if ((i & 4095) == 4095 && run_.Cancelled()) return;
    }
    const auto later = [](const Lane& a, const Lane& b) { return a.distance > b.distance; };
    std::make_heap(lanes.begin(), lanes.end(), later);
    std::uint64_t popped = 0;
    while (!lanes.empty()) {
      if ((++popped & 4095) == 0 && run_.Cancelled()) return;
      std::pop_heap(lanes.begin(), lanes.end(), later);
      const Lane next = lanes.back();
      lanes.pop_back();
      if (const auto& worst = out_.Worst()) {
        const double d = std::fabs(static_cast<double>(worst->num) / static_cast<double>(worst->den) - t_);
        if (next.distance > d + 1e-9 * (t_ + d)) return;  // every pair left lies farther
      }
      Spell(next);
      const std::size_t before = lanes.size();
      Push(lanes, next.driver, next.driven + next.step, next.step);
      if (lanes.size() > before) std::push_heap(lanes.begin(), lanes.end(), later);
    }
  }

 private:
  struct Lane {
    double distance;
    std::uint32_t driver;
    std::int64_t driven;
    int step;  // +1: upwards, -1: downwards
  };

  // The lane's next pair, unless it has left the driven products or the tolerance.
  void Push(std::vector<Lane>& lanes, std::uint32_t i, std::int64_t j, int step) const {
    if (j < 0 || j >= static_cast<std::int64_t>(driven_.size())) return;
    const double r = static_cast<double>(fixedDriven_ * driven_[static_cast<std::size_t>(j)]) /
                     static_cast<double>(fixedDriver_ * drivers_[i]);
    if ((step > 0 && r > high_) || (step < 0 && r < low_)) return;
    lanes.push_back({std::fabs(r - t_), i, j, step});
  }

  // The trains of a pair of products, in loop order: no more of them than the collector
  // keeps (the later ones of a pair are equally near and later).
  void Spell(const Lane& pair) {
    const std::uint64_t p = drivers_[pair.driver], q = driven_[static_cast<std::size_t>(pair.driven)];
    const std::uint64_t num = fixedDriven_ * q, den = fixedDriver_ * p;
    if (!judge_.Within(num, den)) return;
    const int beside = out_.Worst() ? judge_.Target().CompareDifferences(Fraction{num, den}, out_.Worst()->Reduction()) : -1;
    if (beside > 0) return;
    const bool ordered = orderings_[0] && orderings_[1];
    std::array<std::pair<std::size_t, std::size_t>, 2> ranges{};
    if (ordered) {
      ranges = {orderings_[0]->Of(pair.driver), orderings_[1]->Of(static_cast<std::size_t>(pair.driven))};
      if (ranges[0].first == ranges[0].second || ranges[1].first == ranges[1].second) return;
      // As near as the last train kept: only a train earlier in loop order enters, and the
      // pair's earliest conceivable train is its sides' first orderings interleaved.
      if (beside == 0) {
        Entry first;
        for (int g = 0; g < rules_.Gears(); ++g)
          first.teeth[static_cast<std::size_t>(g)] =
              orderings_[static_cast<std::size_t>(g % 2)]->Orderings()[ranges[static_cast<std::size_t>(g % 2)].first]
                                                                     [static_cast<std::size_t>(g / 2)];
        if (EarlierInLoops(*out_.Worst(), first)) return;
      }
    }
    if (rules_.DistinctKind() == Distinct::Gears) {
      rules_.GearSetsOfProducts(p, q, [&](const int* teeth) { out_.Add(MakeEntry(teeth, rules_.Gears(), num, den)); });
      return;
    }
    std::int64_t kept = 0;
    std::unordered_set<ClassKey, ClassKeyHash> classes;
    const auto visit = [&](const int* teeth) {
      const Entry e = MakeEntry(teeth, rules_.Gears(), num, den);
      if (judge_.Distinct() && !classes.insert(judge_.ClassOf(e)).second) return true;
      out_.Add(e);
      return ++kept < out_.Limit();
    };
    if (!ordered) return rules_.TrainsOfProducts(p, q, visit);
    std::array<int, kMaxGears> teeth{};
    Usage used{};
    Place(0, ranges, teeth, used, visit);
  }

  // Places gear g and those after it as the loops would (ascending, each admitted by the
  // rules given the gears before it), taking only the values of the orderings left on
  // its side; false once visit has asked to stop.
  template <typename Visit>
  bool Place(int g, std::array<std::pair<std::size_t, std::size_t>, 2>& ranges, std::array<int, kMaxGears>& teeth,
             Usage& used, Visit& visit) const {
    if (g == rules_.Gears()) return visit(teeth.data());
    const int side = g % 2, position = g / 2;
    const auto& orderings = orderings_[static_cast<std::size_t>(side)]->Orderings();
    const auto [from, to] = ranges[static_cast<std::size_t>(side)];
    for (std::size_t i = from; i < to;) {
      const int v = orderings[i][static_cast<std::size_t>(position)];
      std::size_t j = i + 1;
      while (j < to && orderings[j][static_cast<std::size_t>(position)] == v) ++j;
      if (rules_.Admits(g, v, teeth.data(), 0, used)) {
        teeth[static_cast<std::size_t>(g)] = v;
        ++used[static_cast<std::size_t>(v)];
        ranges[static_cast<std::size_t>(side)] = {i, j};
        const bool more = Place(g + 1, ranges, teeth, used, visit);
        --used[static_cast<std::size_t>(v)];
        if (!more) return false;
      }
      i = j;
    }
    ranges[static_cast<std::size_t>(side)] = {from, to};
    return true;
  }

  const CompoundRules& rules_;
  const Judge& judge_;
  const std::vector<std::uint64_t>& drivers_;
  const std::vector<std::uint64_t>& driven_;
  std::array<const SideOrderings*, 2> orderings_;  // null: spelled by dividing
  RankedCollector& out_;
  RunState& run_;
  std::uint64_t fixedDriven_, fixedDriver_;
  double t_, low_ = 0, high_ = 0;
};

// Several targets in one enumeration. The K closest trains of compound trains of up to
// three stages come from each side's products, made and sorted once for all targets;
// otherwise the loops (with the last gear solved for each target where the kind allows)
// feed a collector per target.
template <typename Rules>
class ManyTargets {
 public:
  ManyTargets(const DesignQuery& query, std::span<const DesignTarget> targets, DesignOperations& operations,
              const std::atomic<bool>* stop, int threads, const EngineTuning& tuning)
      : operations_(operations), stop_(stop), tuning_(tuning), rules_(query) {
    run_.threads = ThreadsFor(threads);
    run_.stop = stop;
    for (const DesignTarget& t : targets) queries_.push_back(QueryFor(query, t));
    judges_.reserve(queries_.size());
    for (const DesignQuery& q : queries_) {
      judges_.emplace_back(q, rules_);
      merged_.emplace_back(judges_.back(), q.best > 0 ? RankedCollector::Order::Closeness : RankedCollector::Order::Loops,
                           KeptOf(q));
    }
    strategy_ = Choose(rules_, queries_.empty() ? query : queries_.front(), NoShortcuts(tuning));
    shared_ = SharesProducts();
  }

  std::vector<DesignResult> Run() {
    const auto start = Clock::now();
    const auto allow = AllowThreads(run_.threads);
    const auto report = [&] {
      DesignProgress progress;
      progress.percent = std::clamp(static_cast<int>(100.0 * static_cast<double>(run_.partsDone.load()) /
                                                     static_cast<double>(run_.partsTotal.load())),
                                    0, 99);
      progress.elapsedSeconds = std::chrono::duration<double>(Clock::now() - start).count();
      if (progress.elapsedSeconds > 3 && progress.percent > 0)
        progress.secondsLeft = progress.elapsedSeconds * (100 - progress.percent) / progress.percent;
      operations_.Progress(progress);
    };
    report();
    if ((shared_ ? sharedWork_ : strategy_.loopsWork * static_cast<double>(queries_.size())) < 1e6) {
      // A chart of a few milliseconds runs in one part on the calling thread, without a
      // thread to watch it: the parts' collectors would cost more than the search.
      tuning_.partDepth = 0;
      tbb::task_arena arena(1);
      arena.execute([&] { Work(); });
    } else {
      std::atomic<bool> urgent{false};
      std::mutex waiting;
      std::condition_variable wake;
      Watch(run_, stop_, [&] { Work(); }, report, urgent, waiting, wake);
    }
    std::vector<DesignResult> results;
    for (std::size_t t = 0; t < queries_.size(); ++t) {
      const std::int64_t cap = CapOf(queries_[t]);
      const std::vector<Entry> entries = merged_[t].TakeSorted();
      std::vector<DesignTrain> trains = TrainsOf(entries, judges_[t], 0, static_cast<std::size_t>(cap) + 1);
      const bool capCut = static_cast<std::int64_t>(trains.size()) > cap;
      if (capCut) trains.pop_back();
      results.push_back(MakeResult(queries_[t], judges_[t], std::move(trains), capCut, run_.stopped.load()));
    }
    DesignProgress done;
    done.percent = run_.stopped.load() ? 0 : 100;
    done.elapsedSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    done.secondsLeft = 0;
    operations_.Progress(done);
    return results;
  }

 private:
  // Tables and the sweep serve one target; the loops serve many.
  static EngineTuning NoShortcuts(EngineTuning tuning) {
    tuning.tableStages = 0;
    tuning.maxTableEntries = 0;
    tuning.products = 0;
    return tuning;
  }

  // A part's collectors, one per target, each pruned by its own closest so far.
  class Sink : public PartSink {
   public:
    explicit Sink(ManyTargets& run) : run_(run) {
      for (std::size_t t = 0; t < run.judges_.size(); ++t) {
        local.emplace_back(run.judges_[t], run.merged_[t].Ordering(), run.merged_[t].Limit());
        bounds_.emplace_back();
        windows_.push_back(run.judges_[t].WindowFor({}));
      }
    }
    std::size_t Targets() const override { return local.size(); }
    Judge::Window Window() override { return Judge::Window{0, std::numeric_limits<double>::infinity()}; }
    Judge::Window WindowOf(std::size_t t) override { return windows_[t]; }
    bool Offer(const int* teeth, std::uint64_t num, std::uint64_t den) override {
      const double r = static_cast<double>(num) / static_cast<double>(den);
      for (std::size_t t = 0; t < local.size(); ++t)
        if (r >= windows_[t].low * (1 - 1e-12) && r <= windows_[t].high * (1 + 1e-12)) OfferTo(t, teeth, num, den);
      return true;
    }
    bool OfferTo(std::size_t t, const int* teeth, std::uint64_t num, std::uint64_t den) override {
      const Judge& judge = run_.judges_[t];
      if (!judge.Within(num, den)) return true;
      if (bounds_[t] && local[t].Ordering() == RankedCollector::Order::Closeness &&
          judge.Target().CompareDifferences(Fraction{num, den}, bounds_[t]->Reduction()) > 0)
        return true;
      local[t].Add(MakeEntry(teeth, run_.rules_.Gears(), num, den));
      if (local[t].Ordering() == RankedCollector::Order::Closeness && local[t].Worst() &&
          (!bounds_[t] || judge.Closer(*local[t].Worst(), *bounds_[t]))) {
        bounds_[t] = local[t].Worst();
        windows_[t] = judge.WindowFor(bounds_[t]);
      }
      return true;
    }
    std::vector<RankedCollector> local;

   private:
    ManyTargets& run_;
    std::vector<std::optional<Entry>> bounds_;
    std::vector<Judge::Window> windows_;
  };

  // Whether every target wants its closest trains of a compound train whose sides' products
  // are few enough to list: then they are listed once and serve every target.
  bool SharesProducts() {
    if constexpr (!Rules::kProductForm) {
      return false;
    } else {
      if (!tuning_.shortcuts || tuning_.products == 0 || queries_.empty() || rules_.Stages() > 3) return false;
      if (std::any_of(queries_.begin(), queries_.end(), [](const DesignQuery& q) { return q.best == 0; })) return false;
      if (!SweepWork(rules_, true)) return false;
      const double drivers = SideProducts::BlockWork(rules_, 0), driven = SideProducts::BlockWork(rules_, 1);
      if (std::max(drivers, driven) > kMostSharedProducts) return false;
      // Making the sides, then for each target a walk of the drivers' products and a heap of
      // two lanes for each.
      sharedWork_ = drivers + driven + static_cast<double>(queries_.size()) * (drivers + driven) * 8;
      return true;
    }
  }

  void ShareProducts() {
    if constexpr (Rules::kProductForm) {
      std::optional<SideProducts> drivers, driven;
      tbb::parallel_invoke([&] { drivers.emplace(rules_, 0, run_); }, [&] { driven.emplace(rules_, 1, run_); });
      if (run_.Cancelled()) return;
      const std::vector<std::uint64_t> none;
      const std::vector<std::uint64_t>& p = drivers->Empty() ? none : *drivers->All();
      const std::vector<std::uint64_t>& q = driven->Empty() ? none : *driven->All();
      std::optional<SideOrderings> byDrivers, byDriven;
      tbb::parallel_invoke([&] { byDrivers.emplace(rules_, 0, p); }, [&] { byDriven.emplace(rules_, 1, q); });
      std::array<const SideOrderings*, 2> orderings{};
      if (byDrivers->Usable() && byDriven->Usable()) orderings = {&*byDrivers, &*byDriven};
      // A part per target, each with its own collector: the targets' results never meet.
      RunParts<bool>(
          static_cast<std::int64_t>(queries_.size()), run_,
          [&](std::int64_t t) {
            const auto i = static_cast<std::size_t>(t);
            ClosestFromProducts(rules_, judges_[i], p, q, orderings, merged_[i], run_).Run();
            return true;
          },
          [](std::int64_t, bool) { return true; });
    }
  }

  void Work() {
    if (queries_.empty()) return;  // nothing to look for
    if (shared_) return ShareProducts();
    const int looped = Loops<Rules>::LoopedGears(rules_, nullptr, strategy_.lastGear);
    const Prefixes prefixes = MakePrefixes(rules_, looped, run_.threads, strategy_.loopsWork, tuning_.partDepth);
    RunParts<std::optional<Sink>>(
        static_cast<std::int64_t>(prefixes.list.size()), run_,
        [&](std::int64_t i) {
          std::optional<Sink> sink(std::in_place, *this);
          int prefix[kMaxGears];
          for (int g = 0; g < prefixes.depth; ++g) prefix[g] = prefixes.list[static_cast<std::size_t>(i)][g];
          Loops<Rules>(rules_, nullptr, strategy_.lastGear, *sink, run_).Run(prefix, prefixes.depth);
          return sink;
        },
        [&](std::int64_t, std::optional<Sink>&& sink) {
          for (std::size_t t = 0; t < merged_.size(); ++t) merged_[t].Merge(std::move(sink->local[t]));
          return true;
        });
  }

  DesignOperations& operations_;
  const std::atomic<bool>* stop_;
  EngineTuning tuning_;
  Rules rules_;
  std::vector<DesignQuery> queries_;
  std::vector<Judge> judges_;
  std::vector<RankedCollector> merged_;
  Strategy strategy_;
  bool shared_ = false;     // the targets are answered from the sides' products
  double sharedWork_ = 0;   // ... at about this many work units
  RunState run_;
};

}  // namespace

std::int64_t MostAffordable() { return kMostAffordable; }

std::optional<std::string> CheckMemory(const DesignQuery& query) {
  const auto kept = static_cast<double>(KeptOf(query));
  if (kept * kBytesPerKeptTrain > kMemoryBudget - kEngineBytes) {
    const auto most = kMostAffordable;
    return "keeping " + std::to_string(static_cast<std::int64_t>(kept)) +
           " trains would need more than 2 GiB of memory: ask for at most " + std::to_string(most) +
           (query.best > 0 ? " with --best or --max-solutions" : " with --max-solutions");
  }
  return std::nullopt;
}

namespace {

// A gear as the command line names it: N1.., or a planetary train's member.
std::string SlotName(const DesignQuery& query, int g) {
  if (!query.planetary) return "N" + std::to_string(g + 1);
  static const char* const kNames[3][7] = {
      {"--held/--input", "--planets", "--sun", "--planet", "--ring", "", ""},
      {"--held/--input", "--planets", "--sun", "--planet", "--planet (second step)", "--ring", ""},
      {"--held/--input", "--planets", "--sun", "--planet", "--planet (second step)", "--ring", "--ring (second ring)"}};
  return kNames[static_cast<int>(query.planetary->kind)][g];
}

template <typename Rules>
DesignEstimate EstimateOf(const DesignQuery& query, int threads, const EngineTuning& tuning) {
  const Rules rules(query);
  const Strategy strategy = Choose(rules, query, tuning);
  DesignEstimate estimate;
  estimate.combinations = 1;
  for (int g = 0; g < rules.Gears(); ++g) estimate.combinations *= Span(rules, g);
  double work = strategy.loopsWork;
  if (strategy.sweep || strategy.budgeted) work = *strategy.sweepWork;
  estimate.seconds = work / kUnitsPerSecond / ThreadsFor(threads);
  // The widest ranges, which narrowing shortens most.
  std::vector<int> order;
  for (int g = 0; g < rules.Gears(); ++g)
    if (rules.Tie(g) < 0) order.push_back(g);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Span(rules, a) > Span(rules, b); });
  order.resize(std::min<std::size_t>(order.size(), 3));
  std::sort(order.begin(), order.end());
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i > 0) estimate.narrow += i + 1 == order.size() ? " and " : ", ";
    estimate.narrow += SlotName(query, order[i]);
  }
  return estimate;
}

}  // namespace

DesignEstimate Estimate(const DesignQuery& query, int threads, const EngineTuning& tuning) {
  if (query.planetary) return EstimateOf<PlanetaryRules>(query, threads, tuning);
  return EstimateOf<CompoundRules>(query, threads, tuning);
}

DesignResult RunEngine(const DesignQuery& query, DesignOperations& operations, const std::atomic<bool>* stop,
                       int threads, const EngineTuning& tuning) {
  if (query.planetary) return Engine<PlanetaryRules>(query, operations, stop, threads, tuning).Run();
  return Engine<CompoundRules>(query, operations, stop, threads, tuning).Run();
}

std::vector<DesignResult> RunEngineForTargets(const DesignQuery& query, std::span<const DesignTarget> targets,
                                              DesignOperations& operations, const std::atomic<bool>* stop,
                                              int threads, const EngineTuning& tuning) {
  if (query.planetary) return ManyTargets<PlanetaryRules>(query, targets, operations, stop, threads, tuning).Run();
  return ManyTargets<CompoundRules>(query, targets, operations, stop, threads, tuning).Run();
}

}  // namespace quenmar::design::detail
