// The fewest gears that reach every target, as an integer programme solved by COIN-OR CBC.
//
// Variables: x_c, how many gears of c teeth the set holds (required..copies), and w_tq, 1
// when target t is reached by a train of the gear multiset q (a multiset whose trains come
// within t's tolerance, found by one enumeration over every candidate). Rows: each target
// uses one multiset (sum_q w_tq = 1) whose gears the set holds (sum_q m_c(q) w_tq <= x_c for
// each target and count, m_c(q) being how often c is in q). Phase 1 minimises sum x_c;
// phase 2 holds sum x_c at that minimum and minimises z >= sum_q e_tq w_tq for every t, the
// worst relative error (e_tq the smallest of the multiset's trains for t).
//
// What makes it solve in reasonable time:
// - w_tq of a multiset without a repeated count may be continuous: once x is whole, a
//   positive w_tq forces every x_c of q to at least 1, so q is held. CBC then branches on the
//   few x_c alone. (A multiset needing two gears of a count keeps a whole w_tq: half of it
//   would pass with one gear.)
// - A greedy cover (add the count that brings most targets within reach, then drop the
//   redundant ones) gives the first set at once; CBC is asked only for a smaller one (its
//   cutoff), so proving the greedy set optimal is proving that no smaller one exists.
// - A local search then shrinks that set (drop a gear; drop two, add one; drop three, add
//   two; when none helps, swap one gear for another and try again), every set judged
//   exactly on the multisets above, within a tenth of the time limit. On wide candidate
//   ranges the greedy set is a gear or two above what CBC finds in minutes, and a smaller
//   first set is a smaller cutoff for every programme below.
// - Each programme of phase 1 also holds sum x_c below the best set known as a row, so
//   that its relaxation, not only its cutoff, knows a smaller set is sought.
// - A counting row: a set of n gears holds at most C(n, j) sub-multisets of j gears, and a
//   multiset serves at most as many targets as it reaches, so sum x_c is at least the least
//   n whose C(n, j) best multisets of each size j serve every target between them. This
//   holds whatever the kind of train, the copies and the required gears.
// The time limit runs from the start: the enumeration, the greedy set and both phases.

#include <coin/CbcEventHandler.hpp>
#include <coin/CbcModel.hpp>
#include <coin/CbcSolver.hpp>
#include <coin/CoinPackedMatrix.hpp>
#include <coin/CoinPackedVector.hpp>
#include <coin/OsiClpSolverInterface.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <set>

#include "ThreadChart.h"

namespace quenmar::design {

namespace {

using Clock = std::chrono::steady_clock;
// The most multisets the programme may hold over all targets: each is a column with a
// few entries; beyond this the solver's tables outgrow a desktop's memory.
constexpr std::size_t kMostColumns = 3'000'000;
// Phase 1 starts with the targets reached by the fewest multisets and adds those its sets
// miss, a few at a time.
constexpr std::size_t kFirstTargets = 4, kTargetsAdded = 3;
// The multiset checks the local search may spend on a set (a few seconds).
constexpr std::int64_t kShrinkWork = 2'000'000'000;
// A swap's worth: the ways each target is reached, up to this many.
constexpr int kWaysCounted = 3;

class Quiet : public DesignOperations {};

// The run's clock: the caller's stop flag, or the time limit spent.
class Deadline {
 public:
  Deadline(double seconds, const std::atomic<bool>* stop) : start_(Clock::now()), seconds_(seconds), stop_(stop) {}
  bool Stopped() const { return stop_ && stop_->load(std::memory_order_relaxed); }
  bool Passed() const { return seconds_ > 0 && Elapsed() >= seconds_; }
  double Elapsed() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }
  // Seconds left for the solver (0: no limit).
  double Left() const { return seconds_ > 0 ? std::max(0.0, seconds_ - Elapsed()) : 0.0; }

 private:
  Clock::time_point start_;
  double seconds_;
  const std::atomic<bool>* stop_;
};

// Passes the enumeration's progress on and halts it at the stop or the time limit: the
// engine obeys one flag, and its progress comes at least four times a second.
class Watch : public DesignOperations {
 public:
  Watch(DesignOperations& inner, const Deadline& deadline) : inner_(inner), deadline_(deadline) {}
  void Progress(const DesignProgress& progress) override {
    if (deadline_.Stopped() || deadline_.Passed()) halt.store(true);
    inner_.Progress(progress);
  }
  std::atomic<bool> halt{false};

 private:
  DesignOperations& inner_;
  const Deadline& deadline_;
};

// Ends CBC's search at the stop flag or the time limit (CBC's own limit is looked at less
// often, and not at all while the root's cuts are made).
class StopHandler : public CbcEventHandler {
 public:
  explicit StopHandler(const Deadline& deadline) : deadline_(deadline) {}
  CbcAction event(CbcEvent) override { return deadline_.Stopped() || deadline_.Passed() ? stop : noAction; }
  CbcEventHandler* clone() const override { return new StopHandler(*this); }

 private:
  const Deadline& deadline_;
};

int NoCallback(CbcModel*, int) { return 0; }

struct Outcome {
  std::vector<double> solution;  // empty when none was found (below the cutoff)
  double bound = 0;
  bool finished = false;  // the search ended: optimal, or nothing below the cutoff exists
};

// Solves the programme with CBC's full default strategy (preprocessing, cuts, heuristics),
// quietly, without CBC's own signal handler (quenmar-solve has its own). Only solutions
// below `cutoff` are sought.
Outcome Solve(OsiClpSolverInterface& solver, const Deadline& deadline, double cutoff) {
  CbcModel model(solver);
  StopHandler handler(deadline);
  model.passInEventHandler(&handler);
  CbcSolverUsefulData data;
  CbcMain0(model, data);
  data.useSignalHandler_ = false;
  data.noPrinting_ = true;
  const std::string limit = std::to_string(std::max(1.0, deadline.Left()));
  const std::string below = std::to_string(cutoff);
  std::vector<const char*> argv{"quenmar", "-log", "0", "-slog", "0", "-timeMode", "elapsed"};
  if (deadline.Left() > 0) argv.insert(argv.end(), {"-sec", limit.c_str()});
  if (std::isfinite(cutoff)) argv.insert(argv.end(), {"-cutoff", below.c_str()});
  argv.insert(argv.end(), {"-solve", "-quit"});
  CbcMain1(static_cast<int>(argv.size()), argv.data(), model, NoCallback, data);
  Outcome out;
  const bool halted = deadline.Stopped() || deadline.Passed() || model.isSecondsLimitReached() || model.status() == 1;
  // A search that ran to its end (status 0) proved its best optimal, or that nothing below
  // the cutoff exists.
  out.finished = !halted && model.status() == 0;
  out.bound = model.getBestPossibleObjValue();
  if (const double* best = model.bestSolution()) out.solution.assign(best, best + model.getNumCols());
  return out;
}

// A multiset of counts (indices into the candidates) with how often each is in it.
using Multiset = std::vector<std::pair<int, int>>;

bool Holds(const std::vector<int>& held, const Multiset& q) {
  return std::all_of(q.begin(), q.end(), [&](const auto& e) { return held[e.first] >= e.second; });
}

// A set reaching every target, from `held` (the required gears) up: each step adds the
// count that brings the most targets within reach, ties going to the one that brings the
// unreached targets' best multisets closest to held; then every gear whose removal keeps
// every target reached goes, the last added first.
std::vector<int> GreedyCover(const std::vector<std::vector<Multiset>>& columns, std::vector<int> held,
                             const std::vector<int>& most) {
  const std::size_t n = held.size();
  const auto reached = [&](const std::vector<int>& h, std::size_t t) {
    return std::any_of(columns[t].begin(), columns[t].end(), [&](const Multiset& q) { return Holds(h, q); });
  };
  std::vector<int> added;
  std::vector<double> score(n);
  while (true) {
    std::fill(score.begin(), score.end(), 0.0);
    bool all = true;
    for (std::size_t t = 0; t < columns.size(); ++t) {
      if (reached(held, t)) continue;
      all = false;
      // For each count: the most of a multiset's gears held once one more of it is added.
      std::vector<double> gain(n, 0.0);
      double now = 0;
      for (const Multiset& q : columns[t]) {
        int size = 0, have = 0;
        for (const auto& [c, m] : q) size += m, have += std::min(m, held[c]);
        now = std::max(now, static_cast<double>(have) / size);
        for (const auto& [c, m] : q)
          if (held[c] < m && held[c] < most[c]) gain[c] = std::max(gain[c], static_cast<double>(have + 1) / size);
      }
      for (std::size_t c = 0; c < n; ++c)
        if (gain[c] > now) score[c] += gain[c] >= 1 ? 1e6 : gain[c] * gain[c] - now * now;
    }
    if (all) break;
    const std::size_t pick = static_cast<std::size_t>(std::max_element(score.begin(), score.end()) - score.begin());
    if (score[pick] <= 0) return most;  // not expected: every target has a multiset within the copies
    ++held[pick];
    added.push_back(static_cast<int>(pick));
  }
  for (auto c = added.rbegin(); c != added.rend(); ++c) {
    --held[*c];
    for (std::size_t t = 0; t < columns.size(); ++t)
      if (!reached(held, t)) {
        ++held[*c];
        break;
      }
  }
  return held;
}

// Shrinks a set that reaches every target by exact moves, each keeping every target
// reached: drop one gear; drop two and add one; drop three and add two (not right after a
// swap); when none helps, a swap of one gear for another to a set not seen. The first move that
// helps, in a fixed order, is taken, until none helps, `over` says so or about `work`
// multiset checks are spent. Each round sorts every target's multisets by what they need
// beyond the set (nothing, one gear more of one count, or of two counts), so a move is
// judged on those few multisets alone.
std::vector<int> ShrinkCover(const std::vector<std::vector<Multiset>>& lists, std::vector<int> held,
                             const std::vector<int>& least, const std::vector<int>& most,
                             const std::function<bool()>& over, std::int64_t work) {
  const int n = static_cast<int>(held.size());
  const std::size_t targets = lists.size();
  std::vector<std::vector<const Multiset*>> inside(targets);
  std::vector<std::map<int, std::vector<const Multiset*>>> one(targets);
  std::vector<std::map<std::pair<int, int>, std::vector<const Multiset*>>> two(targets);
  std::vector<int> trial;
  std::size_t first = 0;  // the target that failed last is judged first
  std::int64_t checks = 0, judged = 0;
  // Whether `trial` (held with some gears dropped and a1, a2 added, -1 for none) reaches
  // every target.
  const auto reachesAll = [&](int a1, int a2) {
    const auto any = [&](const std::vector<const Multiset*>& list) {
      for (const Multiset* q : list) {
        ++checks;
        if (Holds(trial, *q)) return true;
      }
      return false;
    };
    ++judged;
    for (std::size_t i = 0; i < targets; ++i) {
      const std::size_t t = (first + i) % targets;
      if (any(inside[t])) continue;
      if (a1 >= 0)
        if (const auto at = one[t].find(a1); at != one[t].end() && any(at->second)) continue;
      if (a2 >= 0) {
        if (const auto at = one[t].find(a2); at != one[t].end() && any(at->second)) continue;
        if (const auto at = two[t].find({std::min(a1, a2), std::max(a1, a2)}); at != two[t].end() && any(at->second))
          continue;
      }
      first = t;
      return false;
    }
    return true;
  };
  const auto spent = [&] { return checks > work || ((judged & 255) == 0 && over()); };
  const auto size = [](const std::vector<int>& h) {
    int k = 0;
    for (int m : h) k += m;
    return k;
  };
  std::set<std::vector<int>> seen;
  std::vector<int> best = held;
  bool shrunk = true, swapped = false;
  while (shrunk && !spent()) {
    shrunk = false;
    if (size(held) < size(best)) best = held;
    for (std::size_t t = 0; t < targets; ++t) {
      checks += static_cast<std::int64_t>(lists[t].size());  // the sorting is work too
      inside[t].clear();
      one[t].clear();
      two[t].clear();
      for (const Multiset& q : lists[t]) {
        int e1 = -1, e2 = -1;
        bool near = true;
        for (const auto& [c, m] : q)
          if (m > held[c]) {
            if (m > held[c] + 1 || held[c] + 1 > most[c] || e2 >= 0) near = false;
            (e1 < 0 ? e1 : e2) = c;
          }
        if (!near) continue;
        if (e1 < 0) inside[t].push_back(&q);
        else if (e2 < 0) one[t][e1].push_back(&q);
        else two[t][{std::min(e1, e2), std::max(e1, e2)}].push_back(&q);
      }
    }
    // Gears that may go (one entry per copy above the required ones) and counts that may come.
    std::vector<int> drop, add;
    for (int c = 0; c < n; ++c) {
      for (int k = least[c]; k < held[c]; ++k) drop.push_back(c);
      if (held[c] < most[c]) add.push_back(c);
    }
    trial = held;
    const int d = static_cast<int>(drop.size()), a = static_cast<int>(add.size());
    const auto take = [&] {
      held = trial;
      shrunk = true;
      swapped = false;
    };
    for (int i = 0; i < d && !shrunk; ++i) {
      --trial[drop[i]];
      if (reachesAll(-1, -1)) take();
      else ++trial[drop[i]];
    }
    for (int i = 0; i < d && !shrunk && !spent(); ++i)
      for (int j = i + 1; j < d && !shrunk && !spent(); ++j) {
        --trial[drop[i]], --trial[drop[j]];
        for (int h = 0; h < a && !shrunk; ++h) {
          ++trial[add[h]];
          if (reachesAll(add[h], -1)) take();
          else --trial[add[h]];
        }
        if (!shrunk) ++trial[drop[i]], ++trial[drop[j]];
      }
    for (int i = 0; i < d && !shrunk && !swapped && !spent(); ++i)
      for (int j = i + 1; j < d && !shrunk && !spent(); ++j)
        for (int k = j + 1; k < d && !shrunk && !spent(); ++k) {
          --trial[drop[i]], --trial[drop[j]], --trial[drop[k]];
          for (int h = 0; h < a && !shrunk; ++h) {
            ++trial[add[h]];
            for (int g = h + 1; g < a && !shrunk; ++g) {
              ++trial[add[g]];
              if (reachesAll(add[h], add[g])) take();
              else --trial[add[g]];
            }
            if (!shrunk) --trial[add[h]];
          }
          if (!shrunk) ++trial[drop[i]], ++trial[drop[j]], ++trial[drop[k]];
        }
    if (shrunk || spent()) continue;
    // None helps: a swap of one gear for another that keeps every target reached, to a set
    // not seen before, the one with the most ways to reach the targets (capped per target,
    // so that one well served target does not outweigh the rest); then the moves again.
    seen.insert(held);
    int bestScore = -1;
    std::vector<int> next;
    for (int i = 0; i < d; ++i) {
      --trial[drop[i]];
      for (int h = 0; h < a; ++h) {
        ++trial[add[h]];
        if (!seen.count(trial) && reachesAll(add[h], -1)) {
          int score = 0;
          for (std::size_t t = 0; t < targets; ++t) {
            int ways = 0;
            for (const Multiset* q : inside[t]) ways += Holds(trial, *q);
            if (const auto at = one[t].find(add[h]); at != one[t].end())
              for (const Multiset* q : at->second) ways += Holds(trial, *q);
            score += std::min(ways, kWaysCounted);
          }
          if (score > bestScore) bestScore = score, next = trial;
        }
        --trial[add[h]];
      }
      ++trial[drop[i]];
    }
    if (next.empty()) break;
    held = next;
    shrunk = true;
    swapped = true;
  }
  return size(held) < size(best) ? held : best;
}

// The least number of gears that can serve every target, by counting (see the head).
int CountingBound(const std::vector<std::vector<Multiset>>& columns, int most) {
  // How many targets each multiset reaches, by the multiset's size.
  std::map<Multiset, int> serves;
  for (const auto& list : columns)
    for (const Multiset& q : list) ++serves[q];
  std::map<int, std::vector<int>> bySize;
  for (const auto& [q, s] : serves) {
    int size = 0;
    for (const auto& e : q) size += e.second;
    bySize[size].push_back(s);
  }
  for (auto& [size, s] : bySize) std::sort(s.rbegin(), s.rend());
  const auto choose = [](int n, int k) {
    double c = 1;
    for (int i = 0; i < k; ++i) c = c * (n - i) / (i + 1);
    return k > n ? 0.0 : c;
  };
  for (int n = 1; n < most; ++n) {
    double capacity = 0;
    for (const auto& [size, s] : bySize) {
      const double subsets = choose(n, size);
      for (std::size_t i = 0; i < s.size() && static_cast<double>(i) < subsets; ++i) capacity += s[i];
    }
    if (capacity >= static_cast<double>(columns.size())) return n;
  }
  return most;
}


// The programme for some of the targets: columns x_c, then z, then w_tq; rows: one per
// target (sum w = 1), one per target and count (gears held), the size (fewest..most), and
// with errors one per target (z at least its error), z then being the objective.
struct Programme {
  Programme(const std::vector<std::map<Multiset, double>>& multisets, const std::vector<std::size_t>& targets,
            const std::vector<int>& least, const std::vector<int>& most, int fewest, int sizeMost = -1,
            bool errors = false) {
    const int nx = static_cast<int>(least.size()), zColumn = nx;
    std::vector<double> lower, upper, cost;
    std::vector<bool> whole;
    for (int i = 0; i < nx; ++i) {
      lower.push_back(least[i]);
      upper.push_back(most[i]);
      cost.push_back(errors ? 0 : 1);
      whole.push_back(true);
    }
    lower.push_back(0);
    upper.push_back(COIN_DBL_MAX);
    cost.push_back(errors ? 1 : 0);
    whole.push_back(false);
    std::vector<int> rowOf, columnOf;
    std::vector<double> elements, rowLower, rowUpper;
    const auto add = [&](int column, double value) {
      rowOf.push_back(static_cast<int>(rowLower.size()));
      columnOf.push_back(column);
      elements.push_back(value);
    };
    const auto endRow = [&](double lo, double hi) {
      rowLower.push_back(lo);
      rowUpper.push_back(hi);
    };
    for (std::size_t t : targets) {
      const int first = static_cast<int>(lower.size());
      std::map<int, std::vector<std::pair<int, int>>> held;  // count: (column, copies)
      for (const auto& [q, ppm] : multisets[t]) {
        const int w = static_cast<int>(lower.size());
        lower.push_back(0);
        upper.push_back(1);
        cost.push_back(0);
        whole.push_back(std::any_of(q.begin(), q.end(), [](const auto& e) { return e.second > 1; }));
        add(w, 1);
        for (const auto& [c, m] : q) held[c].push_back({w, m});
      }
      endRow(1, 1);
      for (const auto& [c, uses] : held) {
        for (const auto& [w, m] : uses) add(w, m);
        add(c, -1);
        endRow(-COIN_DBL_MAX, 0);
      }
      if (errors) {
        int w = first;
        for (const auto& [q, ppm] : multisets[t]) add(w++, -ppm);
        add(zColumn, 1);
        endRow(0, COIN_DBL_MAX);
      }
    }
    for (int i = 0; i < nx; ++i) add(i, 1);
    endRow(fewest, sizeMost < 0 ? COIN_DBL_MAX : sizeMost);
    // From triplets in one go (appending row by row copies the matrix at every row); the
    // last column and row have entries, so the matrix spans them all.
    const CoinPackedMatrix matrix(true, rowOf.data(), columnOf.data(), elements.data(),
                                  static_cast<CoinBigIndex>(elements.size()));
    solver.messageHandler()->setLogLevel(0);
    solver.loadProblem(matrix, lower.data(), upper.data(), cost.data(), rowLower.data(), rowUpper.data());
    for (int i = 0; i < static_cast<int>(lower.size()); ++i)
      if (whole[i]) solver.setInteger(i);
  }
  OsiClpSolverInterface solver;
};

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
  const Deadline deadline(options.timeLimit, stop);
  // The counts the set may hold, each with its least and most copies.
  std::map<int, std::pair<int, int>> bounds;
  for (int c : options.candidates) bounds[c] = {0, options.maxCopies};
  for (int c : options.required) {
    auto& b = bounds.try_emplace(c, std::pair{0, options.maxCopies}).first->second;
    ++b.first;
  }
  std::vector<int> counts, least, most;
  DesignQuery pool = query;
  for (const auto& [c, b] : bounds) {
    counts.push_back(c);
    least.push_back(b.first);
    most.push_back(b.second);
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
  Watch watch(operations, deadline);
  const std::vector<DesignResult> found = RunDesignSearches(pool, search, watch, &watch.halt, threads);
  Cover cover;
  const auto halted = [&] { return deadline.Stopped() ? Cover::Status::Stopped : Cover::Status::TimeLimit; };
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
    cover.status = halted();
    return finish({});
  }

  // Per target, each multiset's smallest relative error.
  const auto countIndex = [&counts](int c) {
    return static_cast<int>(std::lower_bound(counts.begin(), counts.end(), c) - counts.begin());
  };
  std::vector<std::map<Multiset, double>> multisets(targets.size());
  std::size_t columns = 0;
  for (std::size_t t = 0; t < targets.size(); ++t) {
    if (found[t].outcome == DesignOutcome::MaximumExceeded)
      return "--cover: more than " + std::to_string(cap) + " trains reach \"" + targets[t].target.text +
             "\" within its tolerance, too many for the solver's memory: narrow the tolerance or the candidates";
    for (const DesignTrain& train : found[t].trains) {
      std::map<int, int> held;
      for (int g : train.teeth) ++held[countIndex(g)];
      auto [at, fresh] = multisets[t].try_emplace(Multiset(held.begin(), held.end()), train.relativePpm);
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
  std::vector<std::vector<Multiset>> lists(targets.size());
  for (std::size_t t = 0; t < targets.size(); ++t)
    for (const auto& [q, ppm] : multisets[t]) lists[t].push_back(q);
  const int nx = static_cast<int>(counts.size());
  const auto gearsOf = [&](const std::vector<int>& held) {
    std::vector<int> gears;
    for (int i = 0; i < nx; ++i) gears.insert(gears.end(), static_cast<std::size_t>(held[i]), counts[i]);
    return gears;
  };
  const auto heldOf = [&](const std::vector<double>& x) {
    std::vector<int> held;
    for (int i = 0; i < nx; ++i) held.push_back(static_cast<int>(std::lround(x[i])));
    return held;
  };

  // The first set, and the least any set can have.
  // The local search gets a tenth of the time limit at most, and a fixed amount of work so
  // that its set does not hang on the machine's speed where the limit is generous.
  const double shrinkUntil = deadline.Elapsed() + options.timeLimit / 10;
  const auto shrink = [&](std::vector<int> h) {
    return ShrinkCover(
        lists, std::move(h), least, most,
        [&] { return deadline.Stopped() || (options.timeLimit > 0 && deadline.Elapsed() >= shrinkUntil); },
        kShrinkWork);
  };
  std::vector<int> held = shrink(GreedyCover(lists, least, most));
  int total = 0;
  for (int m : most) total += m;
  const int counted = CountingBound(lists, total);
  cover.lowerBound = counted;
  const auto size = [](const std::vector<int>& h) {
    int n = 0;
    for (int m : h) n += m;
    return n;
  };

  // Phase 1 by targets added as needed: the fewest gears for some of the targets bound the
  // fewest for all of them; when that programme's set reaches every target, it is the
  // answer, else the targets it misses join the programme. Every programme seeks only sets
  // smaller than the best known (its cutoff), so one with none proves the best optimal.
  std::vector<std::size_t> order(targets.size());
  for (std::size_t t = 0; t < order.size(); ++t) order[t] = t;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return lists[a].size() < lists[b].size(); });
  std::vector<std::size_t> subset(order.begin(), order.begin() + std::min<std::size_t>(order.size(), kFirstTargets));
  const auto reachedAll = [&](const std::vector<int>& h, std::vector<std::size_t>* missed) {
    bool all = true;
    for (std::size_t t : order)
      if (std::none_of(lists[t].begin(), lists[t].end(), [&](const Multiset& q) { return Holds(h, q); })) {
        all = false;
        if (missed) missed->push_back(t);
      }
    return all;
  };
  const auto over = [&] { return deadline.Stopped() || deadline.Passed(); };
  while (cover.lowerBound < size(held) && !over()) {
    std::sort(subset.begin(), subset.end());
    Programme sub(multisets, subset, least, most, cover.lowerBound, size(held) - 1);
    const Outcome found = Solve(sub.solver, deadline, size(held) - 0.5);
    if (!found.finished) {
      // Its best set, completed for every target, may still beat the best known.
      if (!found.solution.empty())
        if (const std::vector<int> repaired = GreedyCover(lists, heldOf(found.solution), most);
            size(repaired) < size(held))
          held = repaired;
      if (std::isfinite(found.bound)) cover.lowerBound = std::max(cover.lowerBound, static_cast<int>(std::ceil(found.bound - 1e-6)));
      break;
    }
    if (found.solution.empty()) {  // nothing smaller reaches even these targets
      cover.lowerBound = size(held);
      break;
    }
    const std::vector<int> smaller = heldOf(found.solution);
    cover.lowerBound = std::max(cover.lowerBound, size(smaller));
    std::vector<std::size_t> missed;
    if (reachedAll(smaller, &missed)) {
      held = smaller;
      break;
    }
    if (const std::vector<int> repaired = GreedyCover(lists, smaller, most); size(repaired) < size(held)) held = repaired;
    // The missed targets with the fewest multisets join (a few at a time keeps it small).
    std::stable_sort(missed.begin(), missed.end(),
                     [&](std::size_t a, std::size_t b) { return lists[a].size() < lists[b].size(); });
    missed.resize(std::min<std::size_t>(missed.size(), kTargetsAdded));
    subset.insert(subset.end(), missed.begin(), missed.end());
  }
  cover.lowerBound = std::min(cover.lowerBound, size(held));
  if (cover.lowerBound < size(held) || over()) {
    cover.status = halted();
    return finish(gearsOf(held));
  }

  // Phase 2 over every target: as few gears, the worst target as close as can be; the set
  // found so far is the one to beat.
  double worst = 0;
  for (std::size_t t = 0; t < targets.size(); ++t) {
    double closest = COIN_DBL_MAX;
    for (const auto& [q, ppm] : multisets[t])
      if (Holds(held, q)) closest = std::min(closest, ppm);
    worst = std::max(worst, closest);
  }
  Programme whole(multisets, order, least, most, size(held), size(held), true);
  const Outcome second = Solve(whole.solver, deadline, worst * (1 + 1e-9) + 1e-9);
  if (!second.solution.empty()) held = heldOf(second.solution);
  cover.status = second.finished ? Cover::Status::Optimal : halted();
  return finish(gearsOf(held));
}

}  // namespace quenmar::design
