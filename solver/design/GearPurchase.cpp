// The gears to buy: every choice of extra gears judged by a chart of its own.

#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/info.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/task_arena.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "ThreadChart.h"

namespace quenmar::design {

namespace {

using Clock = std::chrono::steady_clock;

class Quiet : public DesignOperations {};

// The multisets of `count` values taken from `values` (ascending), in ascending order.
void NextChoice(std::vector<std::size_t>& at, std::size_t values, bool& done) {
  for (std::size_t i = at.size(); i-- > 0;)
    if (at[i] + 1 < values) {
      ++at[i];
      std::fill(at.begin() + static_cast<std::ptrdiff_t>(i) + 1, at.end(), at[i]);
      return;
    }
  done = true;
}

std::int64_t Multisets(std::int64_t values, int count) {
  // C(values + count - 1, count)
  std::int64_t n = 1;
  for (int i = 1; i <= count; ++i) n = n * (values + i - 1) / i;
  return n;
}

}  // namespace

std::optional<std::string> CheckPurchase(const DesignQuery& query, int count, const std::vector<int>& candidates) {
  if (query.ownedGears.empty()) return "--buy needs --gears, the gears owned, to add the bought ones to";
  if (count < 1 || count > 3) return "--buy accepts 1, 2 or 3 gears to buy";
  if (candidates.empty()) return "--buy needs --candidates, the teeth counts one could buy (such as 20..127)";
  return {};
}

Purchase BestPurchase(const DesignQuery& query, const std::vector<ChartTarget>& targets,
                      const std::optional<LeadScrew>& lead, std::int64_t best, int count,
                      const std::vector<int>& candidates, DesignOperations& operations,
                      const std::atomic<bool>* stop, int threads) {
  std::vector<int> values = candidates;
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());

  Purchase purchase;
  purchase.choices = Multisets(static_cast<std::int64_t>(values.size()), count);
  const Clock::time_point start = Clock::now();
  Clock::time_point told = start;
  const auto tell = [&](bool force) {
    const Clock::time_point now = Clock::now();
    if (!force && now - told < std::chrono::milliseconds(250)) return;
    told = now;
    const double elapsed = std::chrono::duration<double>(now - start).count();
    const double share = static_cast<double>(purchase.judged) / static_cast<double>(purchase.choices);
    operations.Progress({static_cast<int>(100 * share), elapsed,
                         share > 0.02 ? elapsed * (1 - share) / share : -1, purchase.judged});
  };
  tell(true);

  // Each choice is judged by its chart of the closest train per target: how many targets
  // it reaches (never fewer than the owned set alone), then the sum of relative errors.
  // The owned set's closest train stays buildable with any gears added, so each target's
  // search is bounded by its distance: the result is the same, found in a narrow window.
  // A target the owned set cuts exactly keeps its verdict with any gears added (what is
  // judged of the closest train, whether it is reached and its relative error, depends on
  // its distance alone): only the others are searched for each choice.
  Quiet quiet;
  const Chart owned = RunChart(query, targets, lead, 1, quiet, nullptr, threads);
  std::vector<DesignTarget> all;
  for (const ChartTarget& t : targets) all.push_back({t.target.reduction, t.target.text, std::nullopt, 1, {}});
  std::vector<const DesignTrain*> closest(targets.size(), nullptr);
  for (const ChartRow& row : owned.rows)
    if (row.train) {
      closest[row.target] = &*row.train;
      all[row.target].tolerance =
          Tolerance{Tolerance::Unit::Absolute, Distance(row.train->reduction, all[row.target].target), "owned"};
    }
  std::vector<DesignTarget> search;
  std::vector<std::size_t> searched;  // the target of each search
  for (std::size_t t = 0; t < targets.size(); ++t)
    if (!closest[t] || closest[t]->side != 0) {
      search.push_back(all[t]);
      searched.push_back(t);
    }
  // The choices are judged a batch at a time on every core, each by one thread, and the
  // batch's verdicts taken in the order of the choices: the same winner as one by one,
  // and the progress and the stop heard between batches on the calling thread.
  struct Verdict {
    bool stopped = false;
    std::size_t reached = 0;
    double sum = 0;
  };
  const auto judge = [&](const std::vector<int>& gears) {
    DesignQuery trial = query;
    trial.ownedGears.insert(trial.ownedGears.end(), gears.begin(), gears.end());
    // One enumeration for every target: byte for byte what each target searched alone gives.
    Quiet silent;
    const std::vector<DesignResult> results =
        search.empty() ? std::vector<DesignResult>{} : RunDesignSearches(trial, search, silent, stop, 1);
    Verdict verdict;
    for (std::size_t t = 0, next = 0; t < targets.size(); ++t) {
      const DesignTrain* found = closest[t];
      if (next < searched.size() && searched[next] == t) {
        const DesignResult& result = results[next++];
        verdict.stopped = verdict.stopped || result.stopped;
        found = result.trains.empty() ? nullptr : &result.trains.front();
      }
      if (!found) continue;
      const DesignTrain& train = *found;
      verdict.sum += train.relativePpm / 1e6;
      const ChartTarget& target = targets[t];
      verdict.reached += target.tolerance ? WithinTolerance(train.reduction, target.target.reduction, *target.tolerance)
                                          : train.side == 0;
    }
    return verdict;
  };
  const int workers = threads > 0 ? threads : std::max(1, tbb::info::default_concurrency());
  std::optional<tbb::global_control> allow;
  if (workers > tbb::info::default_concurrency())
    allow.emplace(tbb::global_control::max_allowed_parallelism, static_cast<std::size_t>(workers));
  tbb::task_arena arena(workers);
  const std::size_t batchSize = 32 * static_cast<std::size_t>(workers);
  std::size_t bestReached = 0;
  double bestSum = 0;
  std::vector<std::size_t> at(static_cast<std::size_t>(count), 0);
  for (bool done = values.empty(); !done && !purchase.stopped;) {
    if (stop && stop->load(std::memory_order_relaxed)) {
      purchase.stopped = true;
      break;
    }
    std::vector<std::vector<int>> batch;
    for (; !done && batch.size() < batchSize; NextChoice(at, values.size(), done)) {
      batch.emplace_back();
      for (std::size_t i : at) batch.back().push_back(values[i]);
    }
    std::vector<Verdict> verdicts(batch.size());
    arena.execute([&] {
      tbb::parallel_for(std::size_t{0}, batch.size(), [&](std::size_t i) { verdicts[i] = judge(batch[i]); });
    });
    for (std::size_t i = 0; i < batch.size(); ++i) {
      const Verdict& v = verdicts[i];
      if (v.stopped) {
        purchase.stopped = true;
        break;
      }
      if (purchase.gears.empty() || v.reached > bestReached || (v.reached == bestReached && v.sum < bestSum)) {
        purchase.gears = batch[i];
        bestReached = v.reached;
        bestSum = v.sum;
      }
      ++purchase.judged;
    }
    tell(false);
  }
  tell(true);
  purchase.relativeSum = bestSum;

  // The chart with the gears bought, and the targets gained.
  DesignQuery trial = query;
  trial.ownedGears.insert(trial.ownedGears.end(), purchase.gears.begin(), purchase.gears.end());
  purchase.chart = RunChart(trial, targets, lead, best, quiet, nullptr, threads);
  purchase.chart.stopped = purchase.stopped;
  for (std::size_t t = 0; t < targets.size(); ++t)
    if (purchase.chart.Reached(t) && !owned.Reached(t)) purchase.gained.push_back(t);
  return purchase;
}

}  // namespace quenmar::design
