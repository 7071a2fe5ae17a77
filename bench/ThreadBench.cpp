// Thread charts: the chart of the ISO metric coarse pitches and 8 to 80 TPI on an 8 TPI lead
// screw, two-stage trains of the change gears in docs/examples, best 3 each, against the same
// targets searched one by one (in the same run, the ratio printed); the two gears to buy from
// 20..127; and the fewest gears from 20..100 reaching every target within 0.1%. With
// --quick, a few targets only, the check that the chart agrees with the searches alone and a
// cover of those from 20..40. A number gives the cover's time limit in seconds (default 600);
// --cover [SECONDS] runs the cover alone; --no-cover ends after the gears to buy. The cover
// prints its time, set, size and status.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ThreadChart.h"

namespace {

using namespace quenmar::design;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string Joined(const std::vector<int>& gears) {
  std::string s;
  for (int g : gears) s += (s.empty() ? "" : ", ") + std::to_string(g);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  const bool noCover = argc > 1 && std::strcmp(argv[1], "--no-cover") == 0;
  const bool coverOnly = argc > 1 && std::strcmp(argv[1], "--cover") == 0;
  const char* limit = argc > 1 && !quick && !coverOnly && !noCover ? argv[1] : coverOnly && argc > 2 ? argv[2] : nullptr;
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const char* metric[] = {"0.25", "0.3", "0.35", "0.4", "0.45", "0.5", "0.6", "0.7", "0.75", "0.8", "1", "1.25",
                          "1.5",  "1.75", "2",   "2.5", "3",    "3.5", "4",   "4.5", "5",    "5.5", "6"};
  const char* inch[] = {"8",  "9",  "10", "11", "11.5", "12", "13", "14", "16", "18", "19", "20", "22", "24", "26",
                        "27", "28", "30", "32", "34",   "36", "38", "40", "42", "44", "48", "56", "64", "72", "80"};
  std::string file;
  for (const char* p : metric) file += std::string(p) + "mm 0.1%\n";
  for (const char* n : inch) file += std::string(n) + "tpi 0.1%\n";
  if (quick) file = "1.5mm 0.1%\n20tpi 0.1%\n0.7mm 0\n";
  const auto lead = std::get<LeadScrew>(ParseLeadScrew("8tpi"));
  const auto targets = std::get<std::vector<ChartTarget>>(ParseTargetFile(file, lead, std::nullopt));

  DesignQuery q;
  q.stages = 2;
  q.ownedGears = {20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 100, 105, 110, 115, 120, 127};
  q.minTeeth.assign(4, 20);
  q.maxTeeth.assign(4, 127);
  q.best = 3;
  q.sort = SortOrder::Difference;
  DesignOperations quiet;

  Clock::time_point start;
  if (!coverOnly) {
    // Each way timed at its best of a few runs: a run takes milliseconds, which a busy
    // machine's moment would otherwise decide. "One by one" is one search per target with
    // the chart's query, as a program without charts would run them.
    const int runs = quick ? 3 : 7;
    Chart chart;
    double chartSeconds = 1e9, aloneSeconds = 1e9;
    std::vector<DesignResult> alone;
    for (int run = 0; run < runs; ++run) {
      start = Clock::now();
      chart = RunChart(q, targets, lead, 3, quiet);
      chartSeconds = std::min(chartSeconds, Since(start));
      start = Clock::now();
      alone.clear();
      for (const ChartTarget& t : targets)
        alone.push_back(RunDesignSearch(QueryFor(q, {t.target.reduction, "", std::nullopt, 3, {}}), quiet));
      aloneSeconds = std::min(aloneSeconds, Since(start));
    }
    int mismatches = 0;
    for (std::size_t t = 0; t < targets.size(); ++t) {
      std::size_t i = 0;
      for (const ChartRow& row : chart.rows)
        if (row.target == t && row.train)
          mismatches += i >= alone[t].trains.size() || alone[t].trains[i++].teeth != row.train->teeth;
    }
    std::printf("chart of %zu targets, best 3: %.4f s; one by one: %.4f s; ratio %.1f (wanted: at least 5); "
                "reached %zu\n",
                targets.size(), chartSeconds, aloneSeconds, aloneSeconds / chartSeconds, chart.ReachedCount());
    if (mismatches) {
      std::printf("the chart differs from the searches alone in %d rows\n", mismatches);
      return 1;
    }
    if (!quick) {
      std::vector<int> candidates;
      for (int n = 20; n <= 127; ++n) candidates.push_back(n);
      // Targets the owned gears cut exactly keep their verdict whatever is bought; the others
      // are searched for every choice.
      std::size_t inexact = 0;
      for (const ChartRow& row : chart.rows) inexact += row.rank == 1 && row.train->side != 0;
      start = Clock::now();
      const Purchase purchase = BestPurchase(q, targets, lead, 1, 2, candidates, quiet);
      std::printf("buy 2 of 20..127 (%lld choices, %zu targets not cut exactly searched in each): %.1f s "
                  "(wanted: under 30 s); gears %s gain %zu targets\n",
                  static_cast<long long>(purchase.choices), inexact, Since(start), Joined(purchase.gears).c_str(),
                  purchase.gained.size());
      // The same without the 127-tooth gear, which no metric thread is cut exactly without:
      // most targets are searched for every choice.
      DesignQuery short127 = q;
      short127.ownedGears.pop_back();
      const Chart shortChart = RunChart(short127, targets, lead, 1, quiet);
      inexact = 0;
      for (const ChartRow& row : shortChart.rows) inexact += row.rank == 1 && row.train->side != 0;
      start = Clock::now();
      const Purchase without = BestPurchase(short127, targets, lead, 1, 2, candidates, quiet);
      std::printf("the same without 127 (%zu targets searched in each choice): %.1f s; gears %s gain %zu targets\n",
                  inexact, Since(start), Joined(without.gears).c_str(), without.gained.size());
    }
  }
  if (noCover) return 0;

  // The fewest gears: the quick run's targets within a tolerance from 20..40, the full one's
  // from 20..100.
  std::vector<ChartTarget> covered;
  for (const ChartTarget& t : targets)
    if (t.tolerance && t.tolerance->amount.ToDouble() > 0) covered.push_back(t);
  DesignQuery open = q;
  open.ownedGears.clear();
  open.maxTeeth.assign(4, quick ? 40 : 100);
  CoverOptions options;
  for (int n = 20; n <= (quick ? 40 : 100); ++n) options.candidates.push_back(n);
  options.timeLimit = limit ? std::atof(limit) : 600;
  start = Clock::now();
  const auto cover = FewestGears(open, covered, lead, 1, options, quiet);
  if (const auto* message = std::get_if<std::string>(&cover)) {
    std::printf("cover: %s\n", message->c_str());
    return 1;
  }
  const Cover& c = std::get<Cover>(cover);
  const std::string status = c.status == Cover::Status::Optimal    ? "optimal"
                             : c.status == Cover::Status::TimeLimit ? "time limit, lower bound " + std::to_string(c.lowerBound)
                                                                    : "no set (" + std::to_string(c.unreachable.size()) +
                                                                          " targets unreachable)";
  std::printf("cover of %zu targets from %d..%d (time limit %.0f s): %.1f s; %zu gears: %s; status: %s\n",
              covered.size(), options.candidates.front(), options.candidates.back(), options.timeLimit, Since(start),
              c.gears.size(), Joined(c.gears).c_str(), status.c_str());
  return c.gears.empty() || c.chart.ReachedCount() != covered.size();
}
