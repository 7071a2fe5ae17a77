// Targets in thread units, files of targets, charts and the gears to buy, against the
// reference: every target searched alone by the plain loops, every choice of gears tried.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "DesignReference.h"
#include "ThreadChart.h"

namespace quenmar::design {
namespace {

std::optional<LeadScrew> Lead(const char* text) {
  if (!*text) return std::nullopt;
  return std::get<LeadScrew>(ParseLeadScrew(text));
}

std::string Message(const auto& parsed) {
  const auto* message = std::get_if<std::string>(&parsed);
  return message ? *message : "";
}

TEST(ThreadUnits, ReductionsAreExactWhereRationalAndPiIsTakenToFullPrecision) {
  const long double pi = std::numbers::pi_v<long double>;
  const struct {
    const char *lead, *target, *fraction;  // "" where irrational
    long double value;
  } cases[] = {
      {"8tpi", "1.5mm", "127/60", 127.0L / 60},       {"2mm", "20tpi", "200/127", 200.0L / 127},
      {"3.175mm", "8tpi", "1/1", 1},                  {"8tpi", "module1.25", "", 3.175L / (pi * 1.25L)},
      {"8tpi", "dp24", "", 3.175L * 24 / (25.4L * pi)}, {"", "3.624", "453/125", 3.624L},
      {"6mm", "12/5mm", "5/2", 2.5L},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.lead) + " " + c.target);
    const auto parsed = ParseThreadTarget(c.target, Lead(c.lead));
    ASSERT_EQ(Message(parsed), "");
    const ThreadTarget t = std::get<ThreadTarget>(parsed);
    EXPECT_EQ(t.exact, *c.fraction != 0);
    if (*c.fraction) {
      EXPECT_EQ(t.reduction.Numerator() + "/" + t.reduction.Denominator(), c.fraction);
    }
    EXPECT_EQ(t.reduction.ToDouble(), static_cast<double>(c.value));
    // A train of reduction 2 cuts lead / 2: its error in the target's own unit.
    DesignTrain train;
    train.reduction = {2, 1};
    train.dReduction = 2;
    const long double difference = 2 - c.value;
    train.side = difference > 0 ? 1 : difference < 0 ? -1 : 0;
    train.dDifference = static_cast<double>(std::fabs(difference));
    train.relativePpm = static_cast<double>(std::fabs(difference) / c.value * 1e6L);
    const PitchCut cut = CutBy(t, train);
    if (t.unit == PitchUnit::Ratio) continue;
    const long double leadMm = std::get<LeadScrew>(ParseLeadScrew(c.lead)).pitchMm.ToDouble();
    const long double mm = leadMm / 2;
    const long double expected = t.unit == PitchUnit::Mm ? mm
                                 : t.unit == PitchUnit::Tpi ? 25.4L / mm
                                 : t.unit == PitchUnit::Module ? mm / pi
                                                              : 25.4L * pi / mm;
    EXPECT_NEAR(cut.value, static_cast<double>(expected), 1e-12 * static_cast<double>(expected));
    EXPECT_NEAR(cut.errorPercent, static_cast<double>((expected / t.pitch - 1) * 100), 1e-9);
  }
}

TEST(ThreadUnits, RefusesWhatIsNotATargetOrALeadScrew) {
  const struct {
    const char *lead, *target, *message;  // lead "-": the lead screw itself is refused
  } cases[] = {
      {"", "1.5mm", "\"1.5mm\" is a thread: it needs --lead-screw"},
      {"8tpi", "5inch", "has a unit that is none of these"},
      {"8tpi", "module0", "no pitch above 0"},
      {"8tpi", "mm", "no pitch above 0"},
      {"8tpi", "0.000000001mm", "needs a reduction above 125000000"},
      {"-", "8dp", "accepts a lead screw's pitch in mm"},
      {"-", "0mm", "accepts a lead screw's pitch in mm"},
  };
  for (const auto& c : cases) {
    const std::string message = *c.lead == '-' ? Message(ParseLeadScrew(c.target))
                                               : Message(ParseThreadTarget(c.target, Lead(c.lead)));
    EXPECT_NE(message.find(c.message), std::string::npos) << c.target << ": " << message;
  }
}

TEST(ThreadChart, ReadsTargetFilesAndNamesTheLineOfAFault) {
  const auto lead = Lead("8tpi");
  const auto fallback = std::get<Tolerance>(ParseTolerance("0.1%"));
  const auto read = ParseTargetFile(
      "# metric\nM10 1.5mm\n  1.25mm 5ppm # no name\n\nworm module1 0.01\n3.624 0.01\nratio 127/90\n", lead,
      fallback);
  ASSERT_EQ(Message(read), "");
  const auto& t = std::get<std::vector<ChartTarget>>(read);
  const std::vector<std::string> seen{t[0].name + "|" + t[0].target.text + "|" + t[0].tolerance->text,
                                      t[1].name + "|" + t[1].target.text + "|" + t[1].tolerance->text,
                                      t[2].name + "|" + t[2].target.text + "|" + t[2].tolerance->text,
                                      t[3].name + "|" + t[3].target.text + "|" + t[3].tolerance->text,
                                      t[4].name + "|" + t[4].target.text + "|" + t[4].tolerance->text};
  EXPECT_EQ(seen, (std::vector<std::string>{"M10|1.5mm|0.1%", "|1.25mm|5ppm", "worm|module1|0.01",
                                            "|3.624|0.01", "ratio|127/90|0.1%"}));
  const auto csv = ParseTargetFile("Tolerance,Target,Name\n,2mm,\"M14, coarse\"\n1%,dp8,\n", lead, std::nullopt);
  ASSERT_EQ(Message(csv), "");
  EXPECT_EQ(std::get<std::vector<ChartTarget>>(csv)[0].name, "M14, coarse");
  EXPECT_FALSE(std::get<std::vector<ChartTarget>>(csv)[0].tolerance);

  const struct {
    const char* text;
    const char* message;
  } bad[] = {
      {"1mm\n2mm\nM3 0.5mm 1% extra\n", "line 3: a target line holds"},
      {"1mm\n\nmodule2\n", "line 3: \"module2\" is irrational (its pitch has pi in it), so it needs a tolerance"},
      {"dp10 0\n", "line 1: \"dp10\" is irrational (its pitch has pi in it): no train cuts it exactly"},
      {"1mm 3 parsecs\n", "line 1: the tolerance accepts"},
      {"name,pitch\n1mm,2mm\n", "line 1: a CSV file of targets needs a header"},
      {"name,target\n\"M1,1mm\n", "line 2: a quoted field is not closed"},
      {"# nothing\n", "holds no target"},
  };
  for (const auto& c : bad) EXPECT_EQ(Message(ParseTargetFile(c.text, lead, std::nullopt)).rfind(c.message, 0), 0u)
                                << c.text << " -> " << Message(ParseTargetFile(c.text, lead, std::nullopt));
}

// A small chart: a free train of `stages` from a handful of owned gears.
DesignQuery SmallQuery(int stages, std::vector<int> owned) {
  DesignQuery q;
  q.stages = stages;
  q.ownedGears = std::move(owned);
  const auto [lo, hi] = std::minmax_element(q.ownedGears.begin(), q.ownedGears.end());
  q.minTeeth.assign(2 * stages, *lo);
  q.maxTeeth.assign(2 * stages, *hi);
  q.best = 1;
  q.sort = SortOrder::Difference;
  return q;
}

std::vector<ChartTarget> Targets(const std::string& file) {
  return std::get<std::vector<ChartTarget>>(ParseTargetFile(file, Lead("8tpi"), std::nullopt));
}

// The closest train of the reference for one target and whether it is within tolerance.
std::pair<reference::Expected, bool> Alone(const DesignQuery& query, const ChartTarget& t, std::int64_t best) {
  const DesignQuery q = QueryFor(query, {t.target.reduction, t.target.text, std::nullopt, best, {}});
  reference::Expected e = reference::ReferenceSearch(q);
  bool reached = false;
  if (!e.trains.empty()) {
    const mpq_class gap = abs(reference::ReductionOf(q, e.trains[0].teeth) - reference::Exact(t.target.reduction));
    const mpq_class amount = t.tolerance ? reference::Exact(t.tolerance->amount) : mpq_class(0);
    const mpq_class radius = !t.tolerance || t.tolerance->unit == Tolerance::Unit::Absolute ? amount
                             : t.tolerance->unit == Tolerance::Unit::Ppm ? mpq_class(amount * reference::Exact(t.target.reduction) / 1000000)
                                                                         : mpq_class(amount * reference::Exact(t.target.reduction) / 100);
    reached = gap <= radius;
  }
  return {e, reached};
}

// Exact hits, misses beyond any tolerance, irrational targets, ties at the K-th place, a
// target no train of the gears can come near.
const char* const kChartFile =
    "a 1.5mm\nb 20tpi 1%\nc module1 0.5%\nd dp20 1ppm\ne 3.1 0\nf 0.01 0.5\ng 2 0\nh 40mm 10%\n";

TEST(ThreadChart, EachTargetsRowsAreItsSearchAloneMarkedByTheTolerance) {
  DesignOperations quiet;
  for (const auto& [stages, owned] : {std::pair{1, std::vector<int>{20, 30, 40, 127}},
                                     std::pair{2, std::vector<int>{20, 25, 30, 40, 40, 63, 127}}})
    for (std::int64_t best : {1, 3}) {
      const DesignQuery q = SmallQuery(stages, owned);
      const Chart chart = RunChart(q, Targets(kChartFile), Lead("8tpi"), best, quiet, nullptr, 2);
      std::size_t row = 0;
      for (std::size_t t = 0; t < chart.targets.size(); ++t) {
        const auto [expected, reached] = Alone(q, chart.targets[t], best);
        DesignResult result;
        for (; row < chart.rows.size() && chart.rows[row].target == t; ++row) {
          if (!chart.rows[row].train) continue;
          result.trains.push_back(*chart.rows[row].train);
          EXPECT_EQ(chart.rows[row].rank, static_cast<int>(result.trains.size()));
        }
        result.outcome = result.trains.empty() ? DesignOutcome::NoConvergence : DesignOutcome::Solutions;
        EXPECT_EQ(reference::Mismatch(result, expected), "") << stages << " stages, target " << t;
        EXPECT_EQ(chart.Reached(t), reached) << stages << " stages, target " << t;
      }
      EXPECT_EQ(row, chart.rows.size());
    }
}

TEST(ThreadChart, BuysTheGearsEveryChoiceOfWhichWasTried) {
  DesignOperations quiet;
  const struct {
    int stages;
    std::vector<int> owned, candidates;
    int count;
    const char* file;
  } cases[] = {
      {2, {20, 40, 60}, {25, 30, 35, 127}, 1, "1.5mm 0\n1mm 0.1%\n20tpi 0\n"},
      {2, {20, 40, 60}, {25, 30, 35, 127}, 2, "1.5mm 0\n1mm 0.1%\n20tpi 0\n"},
      // Nothing any choice can gain: the smaller sum of errors decides, then the smaller gears.
      {1, {20, 30}, {21, 50, 50, 60}, 2, "a 1000 0\nb 0.001 0\n"},
      {1, {20, 30}, {41, 50, 60}, 1, "c 100 1%\n"},
      // A target the owned gears cut exactly (its verdict fixed) beside ones they miss.
      {1, {20, 30, 40}, {25, 50, 60, 26}, 2, "x 2 0\ny 1.3 1%\nz 0.52 0\n"},
      // More choices than one batch of the threads judges at once.
      {2, {20, 40, 60}, {21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 33}, 2, "1.5mm 0\n1mm 0.1%\n20tpi 0\n"},
  };
  for (const auto& c : cases) {
    DesignQuery q = SmallQuery(c.stages, c.owned);
    const std::vector<ChartTarget> targets = Targets(c.file);
    q.minTeeth.assign(q.minTeeth.size(), 20);
    q.maxTeeth.assign(q.maxTeeth.size(), 127);
    const Purchase p = BestPurchase(q, targets, Lead("8tpi"), 1, c.count, c.candidates, quiet, nullptr, 2);
    // Every multiset of the candidates, judged by each target searched alone.
    std::vector<int> values = c.candidates;
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    std::vector<int> bestGears;
    std::size_t bestReached = 0;
    double bestSum = 0;
    std::int64_t choices = 0;
    const std::function<void(std::size_t, std::vector<int>&)> choose = [&](std::size_t from, std::vector<int>& chosen) {
      if (static_cast<int>(chosen.size()) == c.count) {
        ++choices;
        DesignQuery trial = q;
        trial.ownedGears.insert(trial.ownedGears.end(), chosen.begin(), chosen.end());
        std::size_t reached = 0;
        double sum = 0;
        for (const ChartTarget& t : targets) {
          const auto [e, within] = Alone(trial, t, 1);
          reached += within;
          if (!e.trains.empty()) sum += e.trains[0].relativePpm / 1e6;
        }
        if (bestGears.empty() || reached > bestReached || (reached == bestReached && sum < bestSum))
          bestGears = chosen, bestReached = reached, bestSum = sum;
        return;
      }
      for (std::size_t i = from; i < values.size(); ++i) {
        chosen.push_back(values[i]);
        choose(i, chosen);
        chosen.pop_back();
      }
    };
    std::vector<int> chosen;
    choose(0, chosen);
    EXPECT_EQ(p.gears, bestGears) << c.file;
    EXPECT_EQ(p.judged, choices);
    EXPECT_EQ(p.chart.ReachedCount(), bestReached) << c.file;
    EXPECT_FALSE(p.stopped);
  }
  // Stopped before the first choice: none judged, none bought, and said so.
  const std::atomic<bool> stop{true};
  const Purchase p = BestPurchase(SmallQuery(2, {20, 40}), Targets("1.5mm 0\n"), Lead("8tpi"), 1, 1, {25, 30}, quiet,
                                  &stop, 2);
  EXPECT_TRUE(p.stopped);
  EXPECT_EQ(p.judged, 0);
  EXPECT_TRUE(p.gears.empty());
}

}  // namespace
}  // namespace quenmar::design

namespace quenmar::design {
namespace {

// The fewest gears against every multiset of the candidates tried, smallest first: the same
// size, the same worst error, and a set that does reach every target.
TEST(ThreadChart, CoversWithTheFewestGearsOfEveryMultisetTried) {
  DesignOperations quiet;
  const struct {
    int stages, copies;
    std::vector<int> candidates, required;
    const char* file;
  } cases[] = {
      {2, 1, {20, 25, 30, 40, 50, 60, 127}, {}, "1.5mm 0\n1mm 0.1%\n20tpi 1%\nmodule1 2%\n"},
      {2, 1, {20, 25, 30, 40, 50, 60, 127}, {50}, "1.5mm 0.5%\n3.1 5%\n"},
      {1, 2, {20, 30, 40, 60}, {}, "1 0\n2 0\n0.75 10%\n"},
      // Only 40*40/(20*20): one gear of each count must not pass for half of two.
      {2, 2, {20, 30, 40}, {}, "4 0\n"},
      // Six ratios of pairs: the counting row (a pair serves a ratio and its inverse) binds.
      {1, 1, {20, 24, 30, 36, 40, 45, 48, 60}, {}, "1.5 0\n1.25 0\n2 0\n0.8 0\n1.2 0\n3 0\n"},
      // The greedy first set holds 7 gears, the optimum 6.
      {1, 1, {20, 24, 25, 30, 32, 36, 40, 45, 48, 60}, {}, "1.2 0\n1.25 0\n1.5 0\n1.6 0\n1.875 0\n2.4 0\n3 0\n1.28 0\n"},
  };
  for (const auto& c : cases) {
    DesignQuery q = SmallQuery(c.stages, {20, 127});
    q.ownedGears.clear();
    const std::vector<ChartTarget> targets = Targets(c.file);
    CoverOptions options{c.candidates, c.required, c.copies, 0};
    ASSERT_EQ(CheckCover(q, options), std::nullopt);
    const auto found = FewestGears(q, targets, Lead("8tpi"), 1, options, quiet, nullptr, 2);
    ASSERT_EQ(Message(found), "");
    const Cover& cover = std::get<Cover>(found);
    EXPECT_EQ(cover.status, Cover::Status::Optimal);
    // Every multiset of the candidates within the copies, holding the required gears.
    const auto judge = [&](const std::vector<int>& set) -> std::optional<double> {
      DesignQuery trial = q;
      trial.ownedGears = set;
      double worst = 0;
      for (const ChartTarget& t : targets) {
        const auto [e, within] = Alone(trial, t, 1);
        if (!within) return std::nullopt;
        worst = std::max(worst, e.trains[0].relativePpm);
      }
      return worst;
    };
    std::optional<std::size_t> size;
    double worst = 0;
    std::vector<int> counts(c.candidates.size(), 0);
    while (true) {
      std::vector<int> set;
      for (std::size_t i = 0; i < counts.size(); ++i) set.insert(set.end(), counts[i], c.candidates[i]);
      bool holds = !set.empty();  // an empty list of owned gears would mean any gear
      for (int r : c.required) holds = holds && std::count(set.begin(), set.end(), r) >= 1;
      if (const auto error = holds ? judge(set) : std::nullopt;
          error && (!size || set.size() < *size || (set.size() == *size && *error < worst)))
        size = set.size(), worst = *error;
      std::size_t i = 0;
      while (i < counts.size() && ++counts[i] > c.copies) counts[i++] = 0;
      if (i == counts.size()) break;
    }
    ASSERT_TRUE(size) << c.file;
    EXPECT_EQ(cover.gears.size(), *size) << c.file;
    EXPECT_EQ(cover.lowerBound, static_cast<int>(*size));
    const auto error = judge(cover.gears);
    ASSERT_TRUE(error) << c.file;
    EXPECT_NEAR(*error, worst, 1e-9 * std::max(1.0, worst)) << c.file;
    EXPECT_EQ(cover.chart.ReachedCount(), targets.size());
  }
}

// A time limit spent before the solver starts (the enumeration counts too) still gives a
// set that reaches every target, with a lower bound no larger than it and the status saying so.
TEST(ThreadChart, CoverOutOfTimeKeepsAFirstSet) {
  DesignOperations quiet;
  DesignQuery q = SmallQuery(2, {20, 127});
  q.ownedGears.clear();
  const std::vector<ChartTarget> targets = Targets("1.5mm 0.2%\n1mm 0.2%\n20tpi 0.2%\n13tpi 0.2%\n");
  CoverOptions options{{}, {}, 1, 1e-9};
  for (int n = 20; n <= 70; ++n) options.candidates.push_back(n);
  const auto found = FewestGears(q, targets, Lead("8tpi"), 1, options, quiet, nullptr, 2);
  ASSERT_EQ(Message(found), "");
  const Cover& cover = std::get<Cover>(found);
  EXPECT_EQ(cover.status, Cover::Status::TimeLimit);
  if (!cover.gears.empty()) {
    EXPECT_EQ(cover.chart.ReachedCount(), targets.size());
    EXPECT_LE(cover.lowerBound, static_cast<int>(cover.gears.size()));
    EXPECT_GE(cover.lowerBound, 4);
  }
}

}  // namespace
}  // namespace quenmar::design
