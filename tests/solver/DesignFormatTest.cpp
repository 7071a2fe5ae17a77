// A design search's output read back: CSV with an RFC 4180 reader, JSON with a JSON
// library, both agreeing with the text rows and with the trains they came from.

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>

#include "CsvReader.h"
#include "DesignFormat.h"
#include "DesignInput.h"
#include "TextFormat.h"

namespace quenmar::design {
namespace {

using nlohmann::json;

double ReadDouble(const std::string& text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << text;
  return value;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

DesignQuery Query(int configuration, int stages, std::vector<int> lo, std::vector<int> hi,
                  const char* target, const char* range) {
  DesignQuery q;
  q.configuration = configuration;
  q.stages = stages;
  q.minTeeth = std::move(lo);
  q.maxTeeth = std::move(hi);
  q.targetText = target;
  q.target = std::get<Rational>(ParseTarget(target));
  if (range) q.tolerance = std::get<Tolerance>(ParseTolerance(range));
  return q;
}

TEST(DesignFormat, CsvJsonAndTextAgreeWithTheTrains) {
  struct Case {
    const char* name;
    DesignQuery query;
  };
  std::vector<Case> cases;
  cases.push_back({"DoubleFound", Query(1, 0, std::vector(6, 10), std::vector(6, 25), "3.624", "0.01")});
  cases.back().query.maxSolutions = 100;
  cases.push_back({"DoubleDistinctGears", cases.back().query});
  cases.back().query.distinct = Distinct::Gears;
  cases.push_back({"ThreeStagesBestRelative",
                   Query(0, 3, {8, 30, 8, 30, 8, 30}, {14, 60, 14, 60, 14, 60}, "127/3", "50ppm")});
  cases.back().query.best = 7;
  cases.push_back({"SingleByText", Query(0, 0, {5, 10, 10, 10, 10, 10}, {12, 40, 25, 25, 25, 25},
                                         "3.624", "0.1%")});
  cases.back().query.sort = SortOrder::Text;
  cases.back().query.maxSolutions = 3;  // reached: the maximum line and outcome

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(CheckDesignQuery(c.query), std::nullopt);
    DesignOperations quiet;
    const DesignResult result = RunDesignSearch(c.query, quiet);
    ASSERT_FALSE(result.trains.empty());
    const int k = GearCount(c.query);

    const auto csv = quenmar::testing::ReadCsv(DesignCsv(c.query, result));
    ASSERT_TRUE(csv.has_value());
    ASSERT_EQ(csv->size(), result.trains.size() + 1);
    std::vector<std::string> header{"difference", "relative_ppm", "reduction", "numerator",
                                    "denominator", "variants"};
    for (int g = 1; g <= k; ++g) header.push_back("N" + std::to_string(g));
    EXPECT_EQ(csv->front(), header);

    const json doc = json::parse(DesignJson(c.query, result));
    ASSERT_EQ(doc["solutions"].size(), result.trains.size());
    EXPECT_EQ(doc["count"], result.trains.size());
    EXPECT_EQ(doc["stopped"], false);
    EXPECT_EQ(doc["target"]["text"], c.query.targetText);
    EXPECT_EQ(doc["target"]["numerator"].dump(), c.query.target.Numerator());
    EXPECT_EQ(doc["target"]["denominator"].dump(), c.query.target.Denominator());
    EXPECT_EQ(doc["range"]["text"], c.query.tolerance->text);

    const std::vector<std::string> text = Lines(DesignText(c.query, result, {4, 7, 2002}));
    ASSERT_EQ(text.size(), 8 + result.trains.size() + 1 + (result.outcome == DesignOutcome::MaximumExceeded));
    EXPECT_EQ(text[7], DesignColumnHeader(k));

    for (std::size_t i = 0; i < result.trains.size(); ++i) {
      SCOPED_TRACE(i);
      const DesignTrain& train = result.trains[i];
      const std::vector<std::string>& row = (*csv)[i + 1];
      ASSERT_EQ(row.size(), 6u + k);
      EXPECT_EQ(ReadDouble(row[0]), train.dDifference);
      EXPECT_EQ(ReadDouble(row[1]), train.relativePpm);
      EXPECT_EQ(ReadDouble(row[2]), train.dReduction);
      EXPECT_EQ(row[3], std::to_string(train.reduction.num));
      EXPECT_EQ(row[4], std::to_string(train.reduction.den));
      EXPECT_EQ(row[5], std::to_string(train.variants));
      std::vector<int> teeth;
      for (int g = 0; g < k; ++g) teeth.push_back(std::stoi(row[6 + g]));
      EXPECT_EQ(teeth, train.teeth);

      const json& s = doc["solutions"][i];
      EXPECT_EQ(s["difference"].get<double>(), train.dDifference);
      EXPECT_EQ(s["relative_ppm"].get<double>(), train.relativePpm);
      EXPECT_EQ(s["reduction"].get<double>(), train.dReduction);
      EXPECT_EQ(s["numerator"], train.reduction.num);
      EXPECT_EQ(s["denominator"], train.reduction.den);
      EXPECT_EQ(s["variants"], train.variants);
      EXPECT_EQ(s["teeth"].get<std::vector<int>>(), teeth);

      // The text row prints what the CSV holds, rounded.
      std::string printed;
      text::AppendFixed(printed, ReadDouble(row[0]), 8, 3);
      text::AppendFixed(printed, ReadDouble(row[2]), 10, 3);
      for (int t : teeth) text::AppendInteger(printed, t, 7);
      EXPECT_EQ(text[8 + i], printed);
    }
  }
}

// The header block, outcome lines and JSON fields of runs that are not the form's.
TEST(DesignFormat, HeadersOutcomesAndStops) {
  DesignTrain train;
  train.teeth = {20, 127, 50, 40};
  train.reduction = {127, 125};
  train.dReduction = 1.016;
  train.dDifference = 0.0;
  train.variants = 2;

  struct Case {
    const char* name;
    DesignQuery query;
    DesignResult result;
    std::vector<std::string> header;  // lines 3 to 7
    std::vector<std::string> closing;
    const char* outcome;
  };
  DesignQuery best = Query(0, 2, {20, 20, 20, 20}, {127, 127, 127, 127}, "127/125", nullptr);
  best.best = 20;
  DesignQuery capped = best;
  capped.maxSolutions = 1;
  DesignQuery relative = Query(3, 0, std::vector(6, 10), std::vector(6, 25), "3.624", "0.01%");
  relative.maxSolutions = 100;
  relative.sort = SortOrder::Text;
  DesignQuery one = Query(0, 1, {10, 10}, {99, 99}, "1000.5", "125000000");
  one.maxSolutions = 0;
  const Case cases[] = {
      {"BestUnbounded", best, {{train}, DesignOutcome::Solutions, true},
       {"Solutions Are Sorted By Difference", "Method = Free Train of 2 Stages",
        "Target Reduction =      1.016", "Convergence Range = +/-        any",
        "Maximum Number of Solutions =    20"},
       {"The number of solutions found was: 1", "The search was stopped before it finished"},
       "solutions"},
      {"BestCapped", capped, {{train}, DesignOutcome::MaximumExceeded, false},
       {"Solutions Are Sorted By Difference", "Method = Free Train of 2 Stages",
        "Target Reduction =      1.016", "Convergence Range = +/-        any",
        "Maximum Number of Solutions =     1"},
       {"The number of solutions found was: 1",
        "Maximum number of solutions was found.  Other solutions may exist."},
       "maximum exceeded"},
      {"RelativeByText", relative, {{}, DesignOutcome::NoConvergence, false},
       {"Solutions Are Sorted By Row Text", "Method = Double Reduction with N2 = N4",
        "Target Reduction =      3.624", "Convergence Range = +/-      0.01%",
        "Maximum Number of Solutions =   100"},
       {"The number of solutions found was: 0", "No solutions were found"}, "no convergence"},
      {"CapZero", one, {{}, DesignOutcome::MaximumExceeded, false},
       {"Solutions Are Not Sorted", "Method = Free Train of 1 Stage",
        "Target Reduction =   1000.500", "Convergence Range = +/- 125000000.00000",
        "Maximum Number of Solutions =     0"},
       {"The number of solutions found was: 0", "No solutions were found",
        "Maximum number of solutions was found.  Other solutions may exist."},
       "maximum exceeded"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string> lines = Lines(DesignText(c.query, c.result, {4, 7, 2002}));
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[0], "Quenmar V1.01");
    EXPECT_EQ(lines[1], "Date: 7/4/2002");
    EXPECT_EQ(std::vector(lines.begin() + 2, lines.begin() + 7), c.header);
    EXPECT_EQ(lines[7], DesignColumnHeader(GearCount(c.query)));
    EXPECT_EQ(std::vector(lines.begin() + 8 + static_cast<long>(c.result.trains.size()), lines.end()),
              c.closing);

    const json doc = json::parse(DesignJson(c.query, c.result));
    EXPECT_EQ(doc["outcome"], c.outcome);
    EXPECT_EQ(doc["stopped"], c.result.stopped);
    EXPECT_EQ(doc["count"], c.result.trains.size());
    EXPECT_EQ(doc["options"]["sort"], c.query.best > 0 ? "difference"
                                      : c.query.sort == SortOrder::Text ? "text" : "found");
    EXPECT_EQ(doc["options"]["best"], c.query.best);
    if (c.query.stages > 0) {
      EXPECT_EQ(doc["stages"], c.query.stages);
      EXPECT_FALSE(doc.contains("configuration"));
    } else {
      EXPECT_EQ(doc["configuration"]["index"], c.query.configuration);
      EXPECT_EQ(doc["configuration"]["name"], std::string(Configuration(c.query.configuration).methodName));
    }
    EXPECT_EQ(doc["range"].is_null(), !c.query.tolerance);
    EXPECT_EQ(doc["min_teeth"].get<std::vector<int>>(), c.query.minTeeth);
    EXPECT_EQ(doc["max_teeth"].get<std::vector<int>>(), c.query.maxTeeth);
  }
}

// Long runs are written in pieces: every piece ends on a whole record, and the pieces
// joined read back as the whole run.
TEST(DesignFormat, LongRunsWrittenInPieces) {
  DesignQuery query = Query(0, 3, std::vector(6, 1), std::vector(6, 500), "3.14159265358979", "1%");
  DesignResult result{{}, DesignOutcome::Solutions, false};
  for (int i = 0; i < 20000; ++i) {
    DesignTrain t;
    t.teeth = {1 + i % 500, 2, 3, 4, 5, 1 + i / 500};
    t.reduction = Reduced(static_cast<std::uint64_t>(40 * (1 + i / 500)), static_cast<std::uint64_t>(15 * (1 + i % 500)));
    t.dReduction = ToDouble(t.reduction);
    result.trains.push_back(t);
  }
  struct Case {
    const char* name;
    std::function<void(const DesignSink&)> write;
  };
  const Case cases[] = {
      {"csv", [&](const DesignSink& sink) { WriteDesignCsv(query, result, sink); }},
      {"json", [&](const DesignSink& sink) { WriteDesignJson(query, result, sink); }},
      {"text", [&](const DesignSink& sink) { WriteDesignText(query, result, {1, 1, 2027}, sink); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> pieces;
    c.write([&pieces](std::string_view piece) { pieces.emplace_back(piece); });
    EXPECT_GT(pieces.size(), 10u);
    std::string all;
    for (const std::string& piece : pieces) {
      EXPECT_LE(piece.size(), 80u * 1024);
      EXPECT_TRUE(piece.back() == '\n' || piece.back() == '}') << piece.substr(piece.size() - 20);
      all += piece;
    }
    if (std::string(c.name) == "csv") {
      EXPECT_EQ(all, DesignCsv(query, result));
      EXPECT_EQ(quenmar::testing::ReadCsv(all)->size(), result.trains.size() + 1);
    } else if (std::string(c.name) == "json") {
      const json doc = json::parse(all);
      EXPECT_EQ(doc["count"], result.trains.size());
      EXPECT_EQ(doc["solutions"][19999]["teeth"].get<std::vector<int>>(), result.trains[19999].teeth);
    } else {
      EXPECT_EQ(all, DesignText(query, result, {1, 1, 2027}));
      EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 20000 + 9);
    }
  }
}

}  // namespace
}  // namespace quenmar::design
