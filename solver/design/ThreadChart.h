#pragma once
// Charts of many targets for one set of gears (the threads a lathe's change gears cut, the
// hands of a clock): the best K trains of each target from one enumeration, which targets
// the set reaches within their tolerances, the gears to buy to reach more, and the fewest
// gears that reach them all. Written as text, CSV and JSON from the same rows.

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DesignSearch.h"
#include "ThreadUnits.h"

namespace quenmar::design {

struct ChartTarget {
  std::string name;                    // may be empty
  ThreadTarget target;
  std::optional<Tolerance> tolerance;  // none: reached only when cut exactly
};

// A file of targets, one a line: an optional name, the target, an optional tolerance,
// separated by blanks, '#' starting a comment; or CSV whose header names the columns
// "target" and optionally "name" and "tolerance". A line's own tolerance wins over
// `tolerance`. Messages say "line N: ..." (the caller adds the file). Module and DP targets
// need a tolerance above 0, since no train cuts them exactly.
Parsed<std::vector<ChartTarget>> ParseTargetFile(std::string_view text, const std::optional<LeadScrew>& lead,
                                                 const std::optional<Tolerance>& tolerance);
// The same check for one target given on its own; a message or nothing.
std::optional<std::string> CheckChartTarget(const ChartTarget& target);

struct ChartRow {
  std::size_t target = 0;             // index into the chart's targets
  int rank = 0;                       // 1..K; 0 when no train exists at all
  std::optional<DesignTrain> train;
  bool reached = false;               // the train lies within the target's tolerance
  PitchCut cut;                       // zero for a ratio target
};

struct Chart {
  std::vector<ChartTarget> targets;
  std::optional<LeadScrew> lead;
  std::int64_t best = 1;
  std::vector<ChartRow> rows;         // by target, then rank
  bool stopped = false;
  // Targets with a train within tolerance.
  std::size_t ReachedCount() const;
  bool Reached(std::size_t target) const;
};

// The best `best` trains of `query` (its kind, gears and filters) for every target, in one
// enumeration. The tolerance does not bound the search: the closest trains are listed even
// where none is within it, and marked reached or not. A stop keeps what was found.
std::optional<std::string> CheckChart(const DesignQuery& query, const std::vector<ChartTarget>& targets,
                                      std::int64_t best);
Chart RunChart(const DesignQuery& query, std::vector<ChartTarget> targets, const std::optional<LeadScrew>& lead,
               std::int64_t best, DesignOperations& operations, const std::atomic<bool>* stop = nullptr,
               int threads = 0);

// The gears to buy: for every multiset of `count` candidates (every choice judged), the
// owned gears plus those; the choice reaching the most targets wins, ties going to the
// smaller sum of relative errors of every target's closest train, then to the smaller
// gears. `chart` is then the chart with the gears bought.
struct Purchase {
  std::vector<int> gears;               // ascending
  std::vector<std::size_t> gained;      // targets reached only with them
  double relativeSum = 0;               // sum over targets of |R - T| / T of the closest train
  Chart chart;
  std::int64_t judged = 0, choices = 0; // fewer judged than choices when stopped
  bool stopped = false;
};
// The candidates of the gears to buy and of the fewest gears: teeth counts and ranges A..B
// separated by commas, each 1..500 (ascending within a range, repeats kept).
Parsed<std::vector<int>> ParseCandidates(std::string_view text);

std::optional<std::string> CheckPurchase(const DesignQuery& query, int count, const std::vector<int>& candidates);
Purchase BestPurchase(const DesignQuery& query, const std::vector<ChartTarget>& targets,
                      const std::optional<LeadScrew>& lead, std::int64_t best, int count,
                      const std::vector<int>& candidates, DesignOperations& operations,
                      const std::atomic<bool>* stop = nullptr, int threads = 0);

// The fewest gears: the smallest multiset of the candidates (at most `maxCopies` of a
// count, holding the required gears) such that every target has a train within its
// tolerance, and among the smallest the one whose worst target lies closest (the largest
// relative error of each target's closest train). Solved as an integer programme by COIN-OR
// CBC: a variable per count (how many the set holds) and per target and gear multiset whose
// trains reach it (the one the target uses); the status says whether the solver proved it.
struct CoverOptions {
  std::vector<int> candidates, required;
  int maxCopies = 1;      // 1..kMostCopies
  double timeLimit = 0;   // seconds; 0: none
};
constexpr int kMostCopies = 4;
struct Cover {
  enum class Status { Optimal, TimeLimit, Stopped, Infeasible };
  Status status = Status::Optimal;
  std::vector<int> gears;                // ascending; empty when no set was found
  int lowerBound = 0;                    // the fewest gears any covering set can have
  std::vector<std::size_t> unreachable;  // Infeasible: targets no set of the candidates reaches
  Chart chart;                           // with the set found
};
std::optional<std::string> CheckCover(const DesignQuery& query, const CoverOptions& options);
// A message (one line) when the programme would be too large to solve in memory.
Parsed<Cover> FewestGears(const DesignQuery& query, const std::vector<ChartTarget>& targets,
                          const std::optional<LeadScrew>& lead, std::int64_t best, const CoverOptions& options,
                          DesignOperations& operations, const std::atomic<bool>* stop = nullptr, int threads = 0);

// The outputs. Text: a block per target (its name, target, reduction and tolerance, then a
// line per train: rank, reached, pitch cut and error, difference, reduction, teeth). CSV
// (CRLF lines): "name,target,unit,reached,rank,pitch_cut,pitch_error_percent,difference,
// relative_ppm,reduction,numerator,denominator,variants,N1,...,Nk", a row per target and
// train; the pitch columns empty for ratios, the train's empty where none exists. JSON:
// {"lead_screw", "best", "targets", "reached", "rows": [the CSV fields, teeth as an
// array], "stopped"}; `extra` (a JSON object's members, already written) goes first.
std::string ChartText(const DesignQuery& query, const Chart& chart);
std::string ChartCsv(const DesignQuery& query, const Chart& chart);
std::string ChartJson(const DesignQuery& query, const Chart& chart, std::string_view extra = {});

}  // namespace quenmar::design
