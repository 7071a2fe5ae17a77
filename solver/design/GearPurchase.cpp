// The gears to buy: every choice of extra gears judged by a chart of its own.

#include <algorithm>
#include <chrono>

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
  Quiet quiet;
  const Chart owned = RunChart(query, targets, lead, 1, quiet, nullptr, threads);
  std::vector<DesignTarget> search;
  for (const ChartTarget& t : targets) search.push_back({t.target.reduction, t.target.text, std::nullopt, 1, {}});
  for (const ChartRow& row : owned.rows)
    if (row.train)
      search[row.target].tolerance =
          Tolerance{Tolerance::Unit::Absolute, Distance(row.train->reduction, search[row.target].target), "owned"};
  std::size_t bestReached = 0;
  double bestSum = 0;
  DesignQuery trial = query;
  std::vector<std::size_t> at(static_cast<std::size_t>(count), 0);
  for (bool done = values.empty(); !done; NextChoice(at, values.size(), done)) {
    if (stop && stop->load(std::memory_order_relaxed)) {
      purchase.stopped = true;
      break;
    }
    trial.ownedGears = query.ownedGears;
    for (std::size_t i : at) trial.ownedGears.push_back(values[i]);
    // Each target alone: the same result as RunDesignSearches gives (byte for byte), which
    // the engine reaches far sooner today for best-1 runs over owned gears.
    std::vector<DesignResult> results;
    for (const DesignTarget& target : search)
      results.push_back(RunDesignSearch(QueryFor(trial, target), quiet, stop, threads));
    if (std::any_of(results.begin(), results.end(), [](const DesignResult& r) { return r.stopped; })) {
      purchase.stopped = true;
      break;
    }
    std::size_t reached = 0;
    double sum = 0;
    for (std::size_t t = 0; t < targets.size(); ++t) {
      if (results[t].trains.empty()) continue;
      const DesignTrain& train = results[t].trains.front();
      sum += train.relativePpm / 1e6;
      const ChartTarget& target = targets[t];
      reached += target.tolerance ? WithinTolerance(train.reduction, target.target.reduction, *target.tolerance)
                                  : train.side == 0;
    }
    if (purchase.gears.empty() || reached > bestReached || (reached == bestReached && sum < bestSum)) {
      purchase.gears.clear();
      for (std::size_t i : at) purchase.gears.push_back(values[i]);
      bestReached = reached;
      bestSum = sum;
    }
    ++purchase.judged;
    tell(false);
  }
  tell(true);
  purchase.relativeSum = bestSum;

  // The chart with the gears bought, and the targets gained.
  trial.ownedGears = query.ownedGears;
  trial.ownedGears.insert(trial.ownedGears.end(), purchase.gears.begin(), purchase.gears.end());
  purchase.chart = RunChart(trial, targets, lead, best, quiet, nullptr, threads);
  purchase.chart.stopped = purchase.stopped;
  for (std::size_t t = 0; t < targets.size(); ++t)
    if (purchase.chart.Reached(t) && !owned.Reached(t)) purchase.gained.push_back(t);
  return purchase;
}

}  // namespace quenmar::design
