// The fewest gears that reach every target, as an integer programme solved by COIN-OR CBC.
//
// Variables: x_c, how many gears of c teeth the set holds (required..copies), and w_tq, 1
// when target t is reached by a train of the gear multiset q (a multiset whose trains come
// within t's tolerance, found by one enumeration over every candidate). Rows: each target
// uses one multiset (sum_q w_tq = 1) whose gears the set holds (sum_q m_c(q) w_tq <= x_c for
// each target and count, m_c(q) being how often c is in q). Phase 1 minimises sum x_c;
// phase 2 holds sum x_c at that minimum and minimises z >= sum_q e_tq w_tq for every t, the
// worst relative error (e_tq the smallest of the multiset's trains for t).

#include <coin/CbcEventHandler.hpp>
#include <coin/CbcModel.hpp>
#include <coin/CbcSolver.hpp>
#include <coin/CoinPackedMatrix.hpp>
#include <coin/OsiClpSolverInterface.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>

#include "ThreadChart.h"

namespace quenmar::design {

namespace {

using Clock = std::chrono::steady_clock;
// The most multisets the programme may hold over all targets: each is a column with a
// few entries; beyond this the solver's tables outgrow a desktop's memory.
constexpr std::size_t kMostColumns = 3'000'000;

class Quiet : public DesignOperations {};

// Ends CBC's search when the stop flag is set.
class StopHandler : public CbcEventHandler {
 public:
  explicit StopHandler(const std::atomic<bool>* stop) : stop_(stop) {}
  CbcAction event(CbcEvent) override {
    return stop_ && stop_->load(std::memory_order_relaxed) ? stop : noAction;
  }
  CbcEventHandler* clone() const override { return new StopHandler(*this); }

 private:
  const std::atomic<bool>* stop_;
};

int NoCallback(CbcModel*, int) { return 0; }

struct Outcome {
  std::vector<double> solution;  // empty when none was found
  double bound = 0;
  bool optimal = false, infeasible = false;
};

// Solves the programme with CBC's full default strategy (preprocessing, cuts, heuristics),
// quietly, without CBC's own signal handler (quenmar-solve has its own).
Outcome Solve(OsiClpSolverInterface& solver, double seconds, const std::atomic<bool>* stop) {
  CbcModel model(solver);
  StopHandler handler(stop);
  model.passInEventHandler(&handler);
  CbcSolverUsefulData data;
  CbcMain0(model, data);
  data.useSignalHandler_ = false;
  data.noPrinting_ = true;
  const std::string limit = std::to_string(std::max(1.0, seconds));
  std::vector<const char*> argv{"quenmar", "-log", "0", "-slog", "0"};
  if (seconds > 0) argv.insert(argv.end(), {"-sec", limit.c_str()});
  argv.insert(argv.end(), {"-solve", "-quit"});
  CbcMain1(static_cast<int>(argv.size()), argv.data(), model, NoCallback, data);
  Outcome out;
  out.optimal = model.isProvenOptimal() && !(stop && stop->load());
  out.infeasible = model.isProvenInfeasible();
  out.bound = model.getBestPossibleObjValue();
  if (const double* best = model.bestSolution()) out.solution.assign(best, best + model.getNumCols());
  return out;
}

}  // namespace

std::optional<std::string> CheckCover(const DesignQuery& query, const CoverOptions& options) {
  if (options.candidates.empty()) return "--cover needs --candidates, the teeth counts the set may hold (such as 20..100)";
  if (!query.ownedGears.empty()) return "--cover chooses the whole set: give the gears it must hold with --require, not --gears";
  if (options.maxCopies < 1 || options.maxCopies > kMostCopies)
    return "--max-copies accepts 1 to " + std::to_string(kMostCopies) + " gears of one count";
  std::map<int, int> required;
  for (int g : options.required)
    if (++required[g] > options.maxCopies)
      return "--require holds " + std::to_string(required[g]) + " gears of " + std::to_string(g) +
             " teeth, more than --max-copies allows";
  return {};
}

Parsed<Cover> FewestGears(const DesignQuery& query, const std::vector<ChartTarget>& targets,
                          const std::optional<LeadScrew>& lead, std::int64_t best, const CoverOptions& options,
                          DesignOperations& operations, const std::atomic<bool>* stop, int threads) {
  const Clock::time_point start = Clock::now();
  // The counts the set may hold, each with its least and most copies.
  std::map<int, std::pair<int, int>> bounds;
  for (int c : options.candidates) bounds[c] = {0, options.maxCopies};
  for (int c : options.required) {
    auto& b = bounds.try_emplace(c, std::pair{0, options.maxCopies}).first->second;
    ++b.first;
  }
  std::vector<int> counts;
  DesignQuery pool = query;
  for (const auto& [c, b] : bounds) {
    counts.push_back(c);
    pool.ownedGears.insert(pool.ownedGears.end(), static_cast<std::size_t>(b.second), c);
  }
  pool.distinct = Distinct::Gears;

  // Every train within each target's tolerance, one per drivers-and-driven class.
  std::vector<DesignTarget> search;
  // Each target's listing is capped so that all of them fit the memory check together.
  const std::int64_t cap = std::min<std::int64_t>(static_cast<std::int64_t>(kMostColumns),
                                                  MostKeptTrains() / static_cast<std::int64_t>(targets.size()) - 1);
  for (const ChartTarget& t : targets)
    search.push_back({t.target.reduction, t.target.text,
                      t.tolerance ? *t.tolerance : Tolerance{Tolerance::Unit::Absolute, Rational(0), "0"}, 0, cap});
  if (auto problem = CheckDesignTargets(pool, search)) return *problem;
  const std::vector<DesignResult> found = RunDesignSearches(pool, search, operations, stop, threads);
  Cover cover;
  const auto finish = [&](const std::vector<int>& gears) {
    DesignQuery chosen = query;
    chosen.ownedGears = gears;
    Quiet quiet;
    cover.gears = gears;
    if (gears.empty()) {  // no set found: an empty list of owned gears would mean any gear
      cover.chart.targets = targets;
      cover.chart.lead = lead;
      cover.chart.best = best;
      for (std::size_t t = 0; t < targets.size(); ++t) cover.chart.rows.push_back({t, 0, std::nullopt, false, {}});
    } else {
      cover.chart = RunChart(chosen, targets, lead, best, quiet, nullptr, threads);
    }
    cover.chart.stopped = cover.status == Cover::Status::Stopped;
    return cover;
  };
  if (std::any_of(found.begin(), found.end(), [](const DesignResult& r) { return r.stopped; })) {
    cover.status = Cover::Status::Stopped;
    return finish({});
  }

  // Per target, each multiset's smallest relative error.
  std::vector<std::map<std::vector<int>, double>> multisets(targets.size());
  std::size_t columns = 0;
  for (std::size_t t = 0; t < targets.size(); ++t) {
    if (found[t].outcome == DesignOutcome::MaximumExceeded)
 return "--cover: more than " + std::to_string(cap) + " trains reach \"" + targets[t].target.text +
             "\" within its tolerance, too many for the solver's memory: narrow the tolerance or the candidates";
    for (const DesignTrain& train : found[t].trains) {
      std::vector<int> key = train.teeth;
      std::sort(key.begin(), key.end());
      auto [at, fresh] = multisets[t].try_emplace(std::move(key), train.relativePpm);
      at->second = std::min(at->second, train.relativePpm);
    }
    columns += multisets[t].size();
    if (multisets[t].empty()) cover.unreachable.push_back(t);
  }
  if (columns > kMostColumns)
    return "--cover: " + std::to_string(columns) + " ways to reach the targets, more than the solver's memory allows (" +
           std::to_string(kMostColumns) + "): narrow the tolerances or the candidates";
  if (!cover.unreachable.empty()) {
    cover.status = Cover::Status::Infeasible;
    return finish({});
  }

  // Columns: x_c, then z, then every w_tq. Rows: one per target (sum w = 1), one per
  // target and count (gears held), one per target (z at least its error), and the size.
  const int nx = static_cast<int>(counts.size()), zColumn = nx;
  std::vector<double> lower, upper, cost;
  for (int c : counts) {
    lower.push_back(bounds[c].first);
    upper.push_back(bounds[c].second);
    cost.push_back(1);
  }
  lower.push_back(0);
  upper.push_back(COIN_DBL_MAX);
  cost.push_back(0);
  CoinPackedMatrix matrix(false, 0, 0);
  std::vector<double> rowLower, rowUpper;
  std::vector<std::vector<int>> wColumns(targets.size());
  const auto countIndex = [&counts](int c) {
    return static_cast<int>(std::lower_bound(counts.begin(), counts.end(), c) - counts.begin());
  };
  struct Entry {
    std::vector<int> index;
    std::vector<double> value;
  };
  std::vector<Entry> rows;
  for (std::size_t t = 0; t < targets.size(); ++t) {
    Entry one, error;
    std::map<int, Entry> held;
    for (const auto& [key, ppm] : multisets[t]) {
      const int w = static_cast<int>(lower.size());
      lower.push_back(0);
      upper.push_back(1);
      cost.push_back(0);
      one.index.push_back(w);
      one.value.push_back(1);
      error.index.push_back(w);
      error.value.push_back(-ppm);
      for (std::size_t i = 0; i < key.size();) {
        std::size_t j = i;
        while (j < key.size() && key[j] == key[i]) ++j;
        Entry& e = held[key[i]];
        e.index.push_back(w);
        e.value.push_back(static_cast<double>(j - i));
        i = j;
      }
    }
    rows.push_back(one);
    rowLower.push_back(1);
    rowUpper.push_back(1);
    for (auto& [c, e] : held) {
      e.index.push_back(countIndex(c));
      e.value.push_back(-1);
      rows.push_back(std::move(e));
      rowLower.push_back(-COIN_DBL_MAX);
      rowUpper.push_back(0);
    }
    error.index.push_back(zColumn);
    error.value.push_back(1);
    rows.push_back(std::move(error));
    rowLower.push_back(0);
    rowUpper.push_back(COIN_DBL_MAX);
  }
  Entry size;
  for (int i = 0; i < nx; ++i) size.index.push_back(i), size.value.push_back(1);
  rows.push_back(size);
  rowLower.push_back(0);
  rowUpper.push_back(COIN_DBL_MAX);
  matrix.setDimensions(0, static_cast<int>(lower.size()));
  for (const Entry& e : rows) matrix.appendRow(static_cast<int>(e.index.size()), e.index.data(), e.value.data());

  OsiClpSolverInterface solver;
  solver.messageHandler()->setLogLevel(0);
  solver.loadProblem(matrix, lower.data(), upper.data(), cost.data(), rowLower.data(), rowUpper.data());
  for (int i = 0; i < static_cast<int>(lower.size()); ++i)
    if (i != zColumn) solver.setInteger(i);
  const auto left = [&] {
    if (options.timeLimit <= 0) return 0.0;
    return std::max(1.0, options.timeLimit - std::chrono::duration<double>(Clock::now() - start).count());
  };
  const auto gearsOf = [&](const std::vector<double>& x) {
    std::vector<int> gears;
    for (int i = 0; i < nx; ++i) gears.insert(gears.end(), static_cast<std::size_t>(std::lround(x[i])), counts[i]);
    return gears;
  };
  const Outcome first = Solve(solver, left(), stop);
  const bool stopped = stop && stop->load();
  cover.lowerBound = static_cast<int>(std::ceil(first.bound - 1e-6));
  if (first.solution.empty()) {
    cover.status = stopped ? Cover::Status::Stopped : first.infeasible ? Cover::Status::Infeasible : Cover::Status::TimeLimit;
    return finish({});
  }
  std::vector<int> gears = gearsOf(first.solution);
  cover.status = first.optimal ? Cover::Status::Optimal : stopped ? Cover::Status::Stopped : Cover::Status::TimeLimit;
  if (!first.optimal) return finish(gears);
  cover.lowerBound = static_cast<int>(gears.size());

  // Phase 2: as few gears, the worst target as close as can be.
  solver.setRowUpper(static_cast<int>(rowUpper.size()) - 1, static_cast<double>(gears.size()));
  for (int i = 0; i < nx; ++i) solver.setObjCoeff(i, 0);
  solver.setObjCoeff(zColumn, 1);
  const Outcome second = Solve(solver, left(), stop);
  if (!second.solution.empty()) gears = gearsOf(second.solution);
  if (!second.optimal) cover.status = stop && stop->load() ? Cover::Status::Stopped : Cover::Status::TimeLimit;
  return finish(gears);
}

}  // namespace quenmar::design
