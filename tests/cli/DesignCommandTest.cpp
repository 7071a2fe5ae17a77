// quenmar-solve's design searches run as a process: what they list is checked against the
// reference (the plain loops over exact rationals), their refusals line by line.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "CsvReader.h"
#include "DesignInput.h"
#include "DesignReference.h"
#include "ProcessTestFolder.h"
#include "WorkedExample.h"

// The cases below name only the fields they set; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

namespace fs = std::filesystem;
using namespace quenmar::design;

using quenmar::testing::Outcome;
using quenmar::testing::ReadFile;
using quenmar::testing::SignalPending;
using quenmar::testing::WaitForTemporaryFile;

class DesignProcess : public quenmar::testing::ProcessTestFolder {
 protected:
  DesignProcess() : ProcessTestFolder("quenmar-design-test-") {}

  pid_t Start(const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid == 0) {
      std::vector<char*> argv{const_cast<char*>(QUENMAR_SOLVE_PATH)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      if (!freopen((dir_ / "stdout").c_str(), "w", stdout) ||
          !freopen((dir_ / "stderr").c_str(), "w", stderr))
        _exit(99);
      execv(argv[0], argv.data());
      _exit(98);
    }
    return pid;
  }
  Outcome Wait(pid_t pid) {
    int raw = 0;
    waitpid(pid, &raw, 0);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw), ReadFile(dir_ / "stdout"),
            ReadFile(dir_ / "stderr")};
  }
  Outcome Run(const std::vector<std::string>& args) { return Wait(Start(args)); }

};

struct Listed {
  std::vector<int> teeth;
  std::uint64_t num, den;  // the reduction in lowest terms
  std::int64_t variants = 1;
  friend bool operator==(const Listed&, const Listed&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Listed& t) {
    for (int teeth : t.teeth) out << teeth << ' ';
    return out << "(" << t.num << "/" << t.den << ", " << t.variants << ")";
  }
};

std::vector<Listed> Trains(const std::vector<DesignTrain>& trains) {
  std::vector<Listed> listed;
  for (const DesignTrain& t : trains) listed.push_back({t.teeth, t.reduction.num, t.reduction.den, t.variants});
  return listed;
}

// What the reference lists for a free train of stages (their number from the bounds).
std::vector<DesignTrain> Reference(DesignQuery q) {
  q.stages = static_cast<int>(q.minTeeth.size() / 2);
  return quenmar::reference::ReferenceSearch(q).trains;
}

Tolerance Within(const char* text) { return std::get<Tolerance>(quenmar::design::ParseTolerance(text)); }

std::vector<Listed> FromCsv(const std::string& text) {
  const auto records = quenmar::testing::ReadCsv(text);
  EXPECT_TRUE(records.has_value()) << text.substr(0, 300);
  std::vector<Listed> trains;
  if (!records || records->empty()) return trains;
  for (std::size_t r = 1; r < records->size(); ++r) {
    const auto& row = (*records)[r];
    Listed t{{}, std::stoull(row[3]), std::stoull(row[4]), std::stoll(row[5])};
    for (std::size_t g = 6; g < row.size(); ++g) t.teeth.push_back(std::stoi(row[g]));
    trains.push_back(t);
  }
  return trains;
}

std::string Join(const std::vector<int>& v) {
  std::string s;
  for (int x : v) s += (s.empty() ? "" : ",") + std::to_string(x);
  return s;
}

TEST_F(DesignProcess, ListsWhatTheExactLoopsList) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    DesignQuery query;
  };
  const std::vector<int> lo2{10, 20, 10, 20}, hi2{20, 60, 20, 60};
  const std::vector<int> lo3{6, 20, 6, 20, 6, 20}, hi3{9, 40, 9, 40, 9, 40};
  const std::vector<int> owned{20, 20, 25, 40, 60, 60, 80, 127};
  const Case cases[] = {
      {"FractionTargetRelativeRange",
       {"--target", "127/50", "--range", "2000ppm", "--max-solutions", "100000"},
       {.minTeeth = lo2, .maxTeeth = hi2, .target = Rational(127, 50), .tolerance = Within("2000ppm"), .maxSolutions = 100000}},
      {"BestWithTiesAtTheKthPlace", {"--target", "4", "--best", "7"},
       {.minTeeth = lo2, .maxTeeth = hi2, .target = Rational(4), .best = 7}},
      {"BestBoundedByARangeAndCapped",
       {"--target", "2.5", "--best", "50", "--range", "0.001", "--max-solutions", "9"},
       {.minTeeth = lo2, .maxTeeth = hi2, .target = Rational(5, 2), .tolerance = Within("0.001"), .best = 50, .maxSolutions = 9}},
      {"DistinctMeshes", {"--target", "3", "--range", "0.05", "--distinct", "meshes"},
       {.minTeeth = lo2, .maxTeeth = hi2, .target = Rational(3), .tolerance = Within("0.05"), .maxSolutions = 100,
        .distinct = Distinct::Meshes}},
      {"DistinctGearsThreeStagesPercent",
       {"--target", "64.5", "--range", "0.5%", "--distinct", "gears", "--max-solutions", "5000"},
       {.minTeeth = lo3, .maxTeeth = hi3, .target = Rational(129, 2), .tolerance = Within("0.5%"), .maxSolutions = 5000,
        .distinct = Distinct::Gears}},
      {"OwnedGearsRepeatedCounts", {"--gears", Join(owned), "--target", "4", "--range", "3"},
       {.minTeeth = std::vector<int>(4, 20), .maxTeeth = std::vector<int>(4, 127), .target = Rational(4),
        .tolerance = Within("3"), .maxSolutions = 100, .ownedGears = owned}},
      {"HuntingCoaxialBestDistinct",
       {"--hunting-tooth", "--coaxial", "--best", "10", "--target", "9", "--distinct", "gears"},
       {.minTeeth = lo2, .maxTeeth = hi2, .target = Rational(9), .best = 10, .distinct = Distinct::Gears,
        .huntingTooth = true, .coaxial = true}},
      {"CapInLoopOrder", {"--target", "3", "--range", "1", "--max-solutions", "17", "--hunting-tooth"},
       {.minTeeth = lo2, .maxTeeth = hi2, .target = Rational(3), .tolerance = Within("1"), .maxSolutions = 17,
        .huntingTooth = true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int stages = static_cast<int>(c.query.minTeeth.size() / 2);
    std::vector<std::string> args{"--stages", std::to_string(stages), "--format", "csv"};
    if (c.query.ownedGears.empty())
      args.insert(args.end(), {"--min", Join(c.query.minTeeth), "--max", Join(c.query.maxTeeth)});
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome o = Run(args);
    ASSERT_EQ(o.status, 0) << o.err;
    const std::vector<Listed> expected = Trains(Reference(c.query));
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(FromCsv(o.out), expected);
  }
}

// A train exactly at the edge of the range, far below the target, in each unit; ties at
// the K-th place with the target far above every reduction, also among owned gears: as
// the reference lists them.
TEST_F(DesignProcess, EdgesAndTiesAsTheReferenceListsThem) {
  const std::vector<std::string> edge1{"--stages", "1", "--min", "500,1", "--max", "500,1", "--target", "50"},
      edge2{"--stages", "2", "--min", "500,1,500,1", "--max", "500,1,500,1", "--target", "1"},
      far{"--stages", "2", "--min", "150,1,150,1", "--max", "500,30,500,30"};
  const auto plus = [](std::vector<std::string> a, std::vector<std::string> b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const std::vector<int> far1{150, 1, 150, 1}, far2{500, 30, 500, 30};
  const std::vector<int> owned{200, 200, 300, 300, 500, 500, 3, 3, 4, 4, 5, 5, 6, 6};
  const struct {
    std::vector<std::string> args;
    DesignQuery query;
  } cases[] = {
      {plus(edge1, {"--range", "49.998", "--list"}),
       {.minTeeth = {500, 1}, .maxTeeth = {500, 1}, .target = Rational(50), .tolerance = Within("49.998"), .maxSolutions = 100}},
      {plus(edge2, {"--range", "0.999996", "--list"}),
       {.minTeeth = {500, 1, 500, 1}, .maxTeeth = {500, 1, 500, 1}, .target = Rational(1), .tolerance = Within("0.999996"), .maxSolutions = 100}},
      {plus(edge2, {"--range", "999996ppm", "--list"}),
       {.minTeeth = {500, 1, 500, 1}, .maxTeeth = {500, 1, 500, 1}, .target = Rational(1), .tolerance = Within("999996ppm"), .maxSolutions = 100}},
      {plus(edge2, {"--range", "99.9996%", "--list"}),
       {.minTeeth = {500, 1, 500, 1}, .maxTeeth = {500, 1, 500, 1}, .target = Rational(1), .tolerance = Within("99.9996%"), .maxSolutions = 100}},
      {plus(far, {"--target", "100000", "--best", "398", "--format", "csv"}),
       {.minTeeth = far1, .maxTeeth = far2, .target = Rational(100000), .best = 398}},
      {plus(far, {"--gears", Join(owned), "--target", "100", "--best", "58", "--format", "csv"}),
       {.minTeeth = far1, .maxTeeth = far2, .target = Rational(100), .best = 58, .ownedGears = owned}},
  };
  for (const auto& c : cases) {
    std::string command;
    for (const std::string& a : c.args) command += " " + a;
    SCOPED_TRACE(command);
    const Outcome o = Run(c.args);
    ASSERT_EQ(o.status, 0) << o.err;
    DesignQuery q = c.query;
    const bool list = c.args.back() == "--list";
    if (list) q.sort = SortOrder::Text;
    const std::vector<DesignTrain> expected = Reference(q);
    ASSERT_FALSE(expected.empty());
    if (!list) {
      EXPECT_EQ(FromCsv(o.out), Trains(expected));
      continue;
    }
    std::string rows;
    for (const DesignTrain& t : expected) rows += FormatDesignRow(t, q.target) + "\n";
    EXPECT_EQ(o.out, rows);
  }
}

// The same run in every format and order tells the same trains.
// The output is the same, byte for byte, on 1, 2 and 7 threads: every kind of train and
// filter, the best K with ties at the K-th place, both distinct kinds, caps and formats.
TEST_F(DesignProcess, EveryThreadCountWritesTheSameBytes) {
  const std::vector<std::vector<std::string>> queries = {
      {"--config", "0", "--min", "10,10,10,10,10,10", "--max", "200,200,10,10,10,10", "--target", "3.1416", "--range", "0.001"},
      {"--config", "2", "--min", "10,10,10,10,10,10", "--max", "40,60,40,60,10,10", "--target", "7/3", "--best", "25"},
      {"--config", "5", "--min", "8,8,8,8,8,8", "--max", "30,30,30,30,30,30", "--target", "3.624", "--range", "0.001",
       "--sort", "text", "--max-solutions", "300"},
      {"--config", "6", "--min", "8,8,8,8,8,8", "--max", "20,20,20,20,20,20", "--target", "2", "--best", "40",
       "--distinct", "meshes"},
      {"--stages", "2", "--min", "150,1,150,1", "--max", "500,30,500,30", "--target", "100000", "--best", "398"},
      {"--stages", "3", "--min", "8,30,8,30,8,30", "--max", "30,120,30,120,30,120", "--target", "314.159265",
       "--range", "5ppm", "--distinct", "gears", "--sort", "difference"},
      {"--stages", "4", "--min", "10,10,10,10,10,10,10,10", "--max", "40,40,40,40,40,40,40,40", "--target", "12",
       "--range", "0", "--hunting-tooth", "--coaxial", "--max-solutions", "50"},
      {"--stages", "2", "--gears", "@" QUENMAR_SOURCE_DIR "/docs/examples/change-gears.txt", "--target", "127/60",
       "--best", "12", "--distinct", "gears"},
      {"--stages", "5", "--min", "10,10,10,10,10,10,10,10,10,10", "--max", "30,30,30,30,30,30,30,30,30,30",
       "--target", "3.14159265358979", "--best", "10", "--distinct", "gears"},
  };
  for (const auto& query : queries) {
    for (const char* format : {"text", "csv", "json"}) {
      std::string first;
      for (const char* threads : {"1", "2", "7"}) {
        auto args = query;
        args.insert(args.end(), {"--format", format, "--date", "2026-12-08", "--threads", threads});
        const Outcome o = Run(args);
        ASSERT_EQ(o.status, 0) << o.err;
        if (first.empty()) first = o.out;
        else EXPECT_EQ(o.out, first) << format << " on " << threads << " threads: " << args[1] << " " << args[3];
      }
    }
  }
}

TEST_F(DesignProcess, FormatsAndOrdersAgree) {
  const std::vector<std::string> base{"--config", "6", "--min", "8,20,8,20,8,20", "--max",
                                      "12,36,12,36,12,36", "--target", "31.4159", "--range",
                                      "0.2", "--date", "2002-07-04", "--max-solutions", "100000"};
  const auto run = [&](std::vector<std::string> extra) {
    extra.insert(extra.begin(), base.begin(), base.end());
    const Outcome o = Run(extra);
    EXPECT_EQ(o.status, 0) << o.err;
    return o.out;
  };
  const std::vector<Listed> found = FromCsv(run({"--format", "csv"}));
  ASSERT_GT(found.size(), 20u);
  std::vector<Listed> byDifference = FromCsv(run({"--format", "csv", "--sort", "difference"}));
  EXPECT_TRUE(std::is_permutation(found.begin(), found.end(), byDifference.begin(), byDifference.end()));
  const DesignQuery q{.configuration = 6, .minTeeth = {8, 20, 8, 20, 8, 20}, .maxTeeth = {12, 36, 12, 36, 12, 36},
                      .target = Rational(314159, 10000), .tolerance = Within("0.2"), .maxSolutions = 100000,
                      .sort = SortOrder::Difference};
  EXPECT_EQ(byDifference, Trains(quenmar::reference::ReferenceSearch(q).trains));

  const nlohmann::json doc = nlohmann::json::parse(run({"--format", "json", "--sort", "difference"}));
  ASSERT_EQ(doc["solutions"].size(), byDifference.size());
  for (std::size_t i = 0; i < byDifference.size(); ++i)
    EXPECT_EQ(doc["solutions"][i]["teeth"].get<std::vector<int>>(), byDifference[i].teeth);
  EXPECT_EQ(doc["count"], byDifference.size());
  EXPECT_EQ(doc["outcome"], "solutions");
  EXPECT_EQ(doc["stopped"], false);
  EXPECT_EQ(doc["configuration"]["name"], "Triple Reduction");

  // Text: the results file with the sort line, rows in the order of the CSV; --list the
  // rows alone.
  const std::string text = run({"--sort", "difference"});
  const std::string list = run({"--sort", "difference", "--list"});
  EXPECT_EQ(text.substr(0, text.find("Method")), "Quenmar V1.01\nDate: 7/4/2002\nSolutions Are Sorted By Difference\n");
  const std::size_t rows = text.find("N6\n") + 3;
  EXPECT_EQ(text.substr(rows, list.size()), list);
  EXPECT_EQ(text.substr(rows + list.size()),
            "The number of solutions found was: " + std::to_string(found.size()) + "\n");
  std::size_t line = 0;
  for (std::size_t i = 0; i < byDifference.size(); ++i, line = list.find('\n', line) + 1) {
    std::string teeth;
    for (int t : byDifference[i].teeth) teeth += std::string(7 - std::to_string(t).size(), ' ') + std::to_string(t);
    EXPECT_EQ(list.substr(line + 18, teeth.size()), teeth);
  }
  EXPECT_EQ(line, list.size());
}

// In loop order and within the form's ranges, the design search lists what the form's
// search lists. Only a printed difference may differ in its last digit: the design
// search rounds the exact |R - T| once (0.0115 prints as 0.011), the form subtracts
// rounded doubles (0.012).
TEST_F(DesignProcess, FoundOrderMatchesTheFormsSearch) {
  EXPECT_EQ(Run({"--config", "1", "--date", "2002-07-04", "--format", "text"}).out,
            quenmar::examples::kWorkedExample);
  const auto withoutDifferences = [](const std::string& text) {
    std::string kept;
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find('\n', at) + 1;
      const std::string line = text.substr(at, end - at);
      kept += line.size() > 8 && line[4] == '.' ? line.substr(8) : line;
      at = end;
    }
    return kept;
  };
  for (const char* config : {"0", "2", "3", "4", "5", "6"}) {
    SCOPED_TRACE(config);
    const std::vector<std::string> args{"--config", config, "--date", "2002-07-04", "--range", "0.05"};
    std::vector<std::string> design = args;
    design.insert(design.end(), {"--sort", "found"});
    const Outcome legacy = Run(args);
    EXPECT_NE(legacy.out.find("was: "), std::string::npos);
    EXPECT_EQ(withoutDifferences(Run(design).out), withoutDifferences(legacy.out));
  }
}

TEST_F(DesignProcess, PublishedTrainsAreListed) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::vector<int>> trains;  // each in one of its stage orders
  };
  const Case cases[] = {
      {"MotionWorksOf12HuntingTooth",
       {"--stages", "2", "--min", "13,45,13,45", "--max", "37,128,37,128", "--target", "12",
        "--range", "0", "--hunting-tooth", "--distinct", "meshes", "--max-solutions", "100000"},
       {{15, 52, 13, 45}, {32, 111, 37, 128}, {23, 80, 20, 69}, {25, 87, 29, 100}}},
      {"RevertedPairOf28Thirds",
       {"--stages", "2", "--min", "12,12,12,12", "--max", "120,120,120,120", "--target", "28/3",
        "--range", "0", "--coaxial", "--distinct", "meshes", "--max-solutions", "100000"},
       {{30, 70, 20, 80}}},
      {"ChangeGearSetMetricOnInch",
       {"--stages", "2", "--gears", "@" QUENMAR_SOURCE_DIR "/docs/examples/change-gears.txt",
        "--best", "20", "--target", "127/100"},
       {{25, 20, 80, 127}, {50, 60, 120, 127}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--format", "csv"});
    const Outcome o = Run(args);
    ASSERT_EQ(o.status, 0) << o.err;
    const std::vector<Listed> listed = FromCsv(o.out);
    for (const std::vector<int>& train : c.trains) {
      const std::vector<int> swapped{train[2], train[3], train[0], train[1]};
      EXPECT_TRUE(std::any_of(listed.begin(), listed.end(), [&](const Listed& t) {
        return t.teeth == train || t.teeth == swapped;
      })) << Join(train);
    }
    for (const Listed& t : listed) EXPECT_EQ(t.num * t.teeth[0] * t.teeth[2], t.den * t.teeth[1] * t.teeth[3]);
  }
}

TEST_F(DesignProcess, BadInputTouchesNothing) {
  const fs::path badFile = dir_ / "gears.txt";
  { std::ofstream(badFile) << "20 25\n# spare\n30 x40\n"; }
  const std::string missing = (dir_ / "missing.txt").string();
  const auto setup = [this](const char* name, const char* text) {
    std::ofstream(dir_ / name) << text;
    return (dir_ / name).string();
  };
  struct Row {
    const char* name;
    std::vector<std::string> args;
    std::string err;  // after "quenmar-solve: "
  };
  const std::string target = "--target accepts a decimal such as 3.624 or a fraction A/B of positive "
                             "numbers such as 127/90 or 1.5/3.175, from 0 to 125000000";
  const std::string range = "--range accepts a decimal from 0 to 125000000 (absolute), or a decimal "
                            "followed by ppm (up to 1000000) or % (up to 100), relative to the target";
  const std::string gears = "--gears accepts teeth counts from 1 to 500, each gear owned listed once";
  const Row rows[] = {
      {"ZeroDenominator", {"--target", "127/0"}, target + " (the denominator is 0)"},
      {"MalformedFraction", {"--target", "127/9x"}, target + " (not a fraction: \"127/9x\")"},
      {"TargetTooLarge", {"--target", "125000001", "--best", "3"}, target + " (larger than 125000000)"},
      {"UnknownSuffix", {"--range", "5ppb"}, range + " (unknown suffix \"ppb\")"},
      {"RelativeTooLarge", {"--range", "101%", "--sort", "difference"}, range + " (larger than 100%)"},
      {"BestZero", {"--best", "0"}, "--best accepts a whole number from 1 to 10000000"},
      {"BestTooLarge", {"--best", "10000001"}, "--best accepts a whole number from 1 to 10000000"},
      {"MaximumTooLarge", {"--max-solutions", "10000001"},
       "--max-solutions accepts a whole number from 0 to 10000000"},
      {"BestSortedFound", {"--best", "5", "--sort", "found"},
       "--sort found contradicts --best, which lists the trains by difference"},
      {"BestSortedText", {"--sort", "text", "--best", "5"},
       "--sort text contradicts --best, which lists the trains by difference"},
      {"UnknownSort", {"--sort", "size"}, "--sort accepts found, text or difference"},
      {"UnknownDistinct", {"--distinct", "teeth"}, "--distinct accepts meshes or gears"},
      {"UnknownFormat", {"--format", "xml"}, "--format accepts text, csv or json"},
      {"ListAsCsv", {"--list", "--format", "csv"},
       "--list prints text rows; it cannot be combined with --format csv"},
      {"StagesOutOfRange", {"--stages", "7"}, "--stages accepts a whole number of stages from 1 to 6"},
      {"StagesZero", {"--stages", "0"}, "--stages accepts a whole number of stages from 1 to 6"},
      {"StagesWithConfig", {"--stages", "2", "--config", "1"},
       "--stages cannot be combined with --config (a free train of stages has no configuration)"},
      {"StagesListTooShort", {"--stages", "2", "--min", "10,10,10"},
       "--min accepts 4 whole numbers from 1 to 500 (N1..N4, as --stages 2 asks), separated by commas"},
      {"StagesListOfSix", {"--stages", "4", "--max", "25,25,25,25,25,25"},
       "--max accepts 8 whole numbers from 1 to 500 (N1..N8, as --stages 4 asks), separated by commas"},
      {"SixNumbersWithoutStages", {"--coaxial", "--min", "10,10,10,10"},
       "--min accepts six whole numbers from 1 to 500 (N1..N6), separated by commas"},
      {"GearOutOfRange", {"--gears", "20,501"}, gears + " (501 is not within 1..500)"},
      {"GearListHole", {"--gears", "20,,30"}, gears + " (an empty place in the list)"},
      {"GearFileLine", {"--gears", "@" + badFile.string()}, gears + " (line 3: \"x40\" is not a whole number)"},
      {"GearFileMissing", {"--gears", "@" + missing}, "--gears cannot read " + missing + ": No such file or directory"},
      {"GearFileIsAFolder", {"--gears", "@" + dir_.string()}, "--gears cannot read " + dir_.string() + ": Is a directory"},
      {"ConfigStillChecked", {"--config", "8", "--best", "3"}, "--config accepts a configuration index from 0 to 6"},
      {"SetupWithASearchOption", {"--setup", setup("a.json", "{}"), "--coaxial"},
       "--setup cannot be combined with --coaxial (the setup file describes the search)"},
      {"SetupMissing", {"--setup", missing}, "--setup cannot read " + missing + ": No such file or directory"},
      {"SetupNotJson", {"--setup", setup("b.json", "{")}, "--setup " + dir_.string() + "/b.json: not a JSON document"},
      {"SetupBadTarget", {"--setup", setup("c.json", R"({"target": "127/0"})")},
       "--setup " + dir_.string() + "/c.json: \"target\" " + target.substr(9) + " (the denominator is 0)"},
      {"SetupNoTolerance", {"--setup", setup("d.json", R"({"tolerance": ""})")},
       "--setup " + dir_.string() + "/d.json: \"tolerance\": a tolerance is needed unless Best is above 0"},
  };
  const fs::path file = dir_ / "kept.txt";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    { std::ofstream(file) << "kept"; }
    std::vector<std::string> args = row.args;
    args.insert(args.end(), {"--output", file.string()});
    const Outcome o = Run(args);
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.err, "quenmar-solve: " + row.err + "\n");
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(ReadFile(file), "kept");
  }
  // A search of ages (a listing of six wide stages) is refused before it starts, its time
  // in years.
  const std::string lo = "7,7,7,7,7,7,7,7,7,7,7,7", hi = "300,300,300,300,300,300,300,300,300,300,300,300";
  const Outcome o = Run({"--stages", "6", "--min", lo, "--max", hi, "--target", "3.14159265358979", "--range",
                         "1ppm", "--threads", "2", "--output", file.string()});
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err.rfind("quenmar-solve: this search would take about ", 0), 0u) << o.err;
  EXPECT_NE(o.err.find(" years on 2 threads"), std::string::npos) << o.err;
  EXPECT_NE(o.err.find("add --force"), std::string::npos) << o.err;
  EXPECT_EQ(ReadFile(file), "kept");
}

TEST_F(DesignProcess, HelpGivesEveryLimit) {
  const Outcome help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* text : {"--stages K", "1..6", "--sort ORDER", "found", "text", "difference",
                           "--best K", "1..10000000", "--distinct KIND", "meshes", "gears",
                           "--format FORMAT", "csv", "json", "--gears LIST|@FILE", "--hunting-tooth",
                           "--coaxial", "0..125000000", "A/B", "ppm", "%", "0..10000000"})
    EXPECT_NE(help.out.find(text), std::string::npos) << text;
}

TEST_F(DesignProcess, InterruptWritesTheBestSoFar) {
  const fs::path file = dir_ / "best.json";
  // Six free stages of 1..500 teeth: far more than this test waits for, however fast
  // (so long that it runs only when forced).
  const std::string lo = "1,1,1,1,1,1,1,1,1,1,1,1", hi = "500,500,500,500,500,500,500,500,500,500,500,500";
  const pid_t pid = Start({"--stages", "6", "--min", lo, "--max", hi, "--target", "3.14159265358979",
                           "--best", "10", "--format", "json", "--output", file.string(), "--force"});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_EQ(kill(pid, SIGINT), 0);
  std::thread guard([pid] {  // against a search that ignores the signal
    for (int i = 0; i < 100; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (kill(pid, 0) != 0) return;
    }
    kill(pid, SIGKILL);
  });
  const Outcome o = Wait(pid);
  guard.join();
  EXPECT_EQ(o.status, 130);
  const nlohmann::json doc = nlohmann::json::parse(ReadFile(file));
  EXPECT_EQ(doc["stopped"], true);
  EXPECT_EQ(doc["count"], doc["solutions"].size());
  EXPECT_LE(doc["count"].get<int>(), 10);
}

// Ctrl+C during a CSV run: the rows found replace the file and, CSV holding rows only, the note
// goes to stderr. A second signal while those rows are written ends the run at once and takes
// the temporary file with it: the previous file stays and nothing is left beside it.
TEST_F(DesignProcess, StoppedCsvRunAndSecondSignal) {
  const fs::path file = dir_ / "trains.csv";
  // Nearly every train of six stages lies within 100 of 1: the list grows fast, and writing
  // it takes long enough for a second signal to come meanwhile.
  const std::string lo = "1,1,1,1,1,1,1,1,1,1,1,1", hi = "500,500,500,500,500,500,500,500,500,500,500,500";
  for (const int signals : {1, 2}) {
    SCOPED_TRACE(signals);
    { std::ofstream(file) << "the previous run\n"; }
    const pid_t pid = Start({"--stages", "6", "--min", lo, "--max", hi, "--target", "1", "--range", "100",
                             "--max-solutions", "5000000", "--format", "csv", "--output", file.string(), "--force"});
    ASSERT_TRUE(WaitForTemporaryFile(file, pid));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (int s = 0; s < signals; ++s) {
      for (int i = 0; i < 100000 && SignalPending(pid, SIGINT); ++i)  // two pending are one
        std::this_thread::sleep_for(std::chrono::microseconds(100));
      ASSERT_EQ(kill(pid, SIGINT), 0);
    }
    int raw = 0;
    waitpid(pid, &raw, 0);
    if (signals == 1) {
      EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 130) << raw;
      EXPECT_EQ(ReadFile(dir_ / "stderr"), "quenmar-solve: the search was stopped before it finished\n");
      EXPECT_EQ(ReadFile(file).rfind("difference,", 0), 0u);
    } else {
      EXPECT_TRUE(WIFSIGNALED(raw) && WTERMSIG(raw) == SIGINT) << raw;
      EXPECT_EQ(ReadFile(file), "the previous run\n");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 3);  // stdout, stderr and the file
  }
}

}  // namespace

// Charts of many targets: refusals line by line, then a chart's CSV and JSON rows as the
// text names them, and a purchase stopped by Ctrl+C keeping the best choice so far.
TEST_F(DesignProcess, ChartsRefuseBadInputAndWriteEveryFormat) {
  const std::string bad = (dir_ / "bad.txt").string(), good = (dir_ / "chart.txt").string();
  { std::ofstream(bad) << "M1 1mm\nM2 2mm x y\n"; }
  { std::ofstream(good) << "M6 1mm 0\n\"no\" 400mm 1%\nworm module1 0.01%\n"; }
  const std::string lead = "--lead-screw accepts a lead screw's pitch in mm (2mm, 3.175mm) or in threads per inch "
                           "(8tpi), above 0, not \"8dp\"";
  const std::pair<std::vector<std::string>, std::string> rows[] = {
      {{"--targets", bad, "--lead-screw", "8tpi"}, "--targets " + bad + ": line 2: a target line holds an optional "
       "name, the target and an optional tolerance, separated by blanks (4 words here)"},
      {{"--target", "1.5mm"}, "--target \"1.5mm\" is a thread: it needs --lead-screw, the pitch of the lead screw (such as 8tpi or 3mm)"},
      {{"--lead-screw", "8dp", "--target", "1mm"}, lead},
      {{"--target", "module1", "--lead-screw", "8tpi", "--range", "0"},
       "--target \"module1\" is irrational (its pitch has pi in it): no train cuts it exactly, so its tolerance must be above 0"},
      {{"--target", "9parsec", "--lead-screw", "8tpi"}, "--target accepts a ratio (3.624, 127/90), or a thread against the "
       "lead screw: a pitch in mm (1.5mm), threads per inch (20tpi), a module (module1.25) or a diametral pitch (dp24); "
       "\"9parsec\" has a unit that is none of these"},
      {{"--buy", "1", "--target", "2", "--candidates", "20..30"}, "--buy needs --gears, the gears owned, to add the bought ones to"},
      {{"--buy", "1", "--gears", "20,30", "--target", "2", "--candidates", "30..20"}, "--candidates accepts teeth counts "
       "from 1 to 500 and ranges A..B of them, separated by commas (such as 20..127), not \"30..20\""},
      {{"--list", "--target", "1mm", "--lead-screw", "8tpi"}, "--list cannot be combined with a chart (its rows are each target's best trains)"},
      {{"--cover", "--target", "2"}, "--cover needs --candidates, the teeth counts the set may hold (such as 20..100)"},
      {{"--cover", "--target", "2", "--candidates", "20..30", "--max-copies", "5"}, "--max-copies accepts 1 to 4 gears of one count"},
      {{"--cover", "--target", "1000", "--range", "0", "--stages", "1", "--candidates", "20..30"},
       "--cover: no set of the candidates reaches 1000 within its tolerance: widen the tolerance or the candidates"},
  };
  const fs::path kept = dir_ / "kept.txt";
  for (const auto& [args, message] : rows) {
    { std::ofstream(kept) << "kept"; }
    std::vector<std::string> all = args;
    all.insert(all.end(), {"--output", kept.string()});
    const Outcome o = Run(all);
    EXPECT_EQ(o.status, 2) << message;
    EXPECT_EQ(o.err, "quenmar-solve: " + message + "\n");
    EXPECT_EQ(o.out + ReadFile(kept), "kept");
  }

  const std::vector<std::string> chart{"--stages", "2", "--gears", "@" + std::string(QUENMAR_SOURCE_DIR) +
                                       "/docs/examples/change-gears.txt", "--lead-screw", "8tpi", "--targets", good, "--best", "2"};
  auto csvArgs = chart, jsonArgs = chart;
  csvArgs.insert(csvArgs.end(), {"--format", "csv"});
  jsonArgs.insert(jsonArgs.end(), {"--format", "json"});
  const Outcome csv = Run(csvArgs), json = Run(jsonArgs);
  ASSERT_EQ(csv.status, 0) << csv.err;
  ASSERT_EQ(json.status, 0) << json.err;
  const auto lines = *quenmar::testing::ReadCsv(csv.out);
  const nlohmann::json doc = nlohmann::json::parse(json.out);
  EXPECT_EQ(lines.front(), (std::vector<std::string>{"name", "target", "unit", "reached", "rank", "pitch_cut",
                                                     "pitch_error_percent", "difference", "relative_ppm", "reduction",
                                                     "numerator", "denominator", "variants", "N1", "N2", "N3", "N4"}));
  ASSERT_EQ(lines.size(), 7u);
  ASSERT_EQ(doc["rows"].size(), 6u);
  for (std::size_t r = 1; r < lines.size(); ++r) {
    const nlohmann::json& row = doc["rows"][r - 1];
    EXPECT_EQ(lines[r][0], row["name"].get<std::string>());
    EXPECT_EQ(lines[r][3], row["reached"].get<bool>() ? "true" : "false");
    EXPECT_EQ(std::stod(lines[r][5]), row["pitch_cut"].get<double>());
    EXPECT_EQ(lines[r][13], std::to_string(row["teeth"][0].get<int>()));
  }
  // 1 mm is cut exactly; 400 mm needs a reduction the set cannot make; the worm is near.
  EXPECT_EQ(lines[1][3] + lines[3][3] + lines[5][3], "truefalsetrue");
  EXPECT_EQ(doc["reached"], 2);

  // Every pair of 20..400: far more than the test waits for.
  auto buy = chart;
  buy.insert(buy.end(), {"--buy", "2", "--candidates", "20..400", "--format", "json"});
  const pid_t pid = Start(buy);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  ASSERT_EQ(kill(pid, SIGINT), 0);
  const Outcome stopped = Wait(pid);
  EXPECT_EQ(stopped.status, 130);
  EXPECT_EQ(stopped.err, "quenmar-solve: stopped before the end: the output holds what was found so far\n");
  const nlohmann::json partial = nlohmann::json::parse(stopped.out);
  EXPECT_EQ(partial["gears"].size(), 2u);
  EXPECT_TRUE(partial["status"].get<std::string>().starts_with("stopped, "));
}

// A setup saved in Targets mode runs its chart (not its hidden single target): the bytes of
// --targets with the same inputs, its tolerance for the rows without one. A bad row, a bad
// lead screw or no row at all: one line naming it, nothing written.
TEST_F(DesignProcess, TargetsSetupRunsItsChart) {
  const std::string gears = "20,25,30,35,40,45,50,55,60,65,70,75,80,85,90,95,100,105,110,115,120,127";
  const auto setup = [&](const std::string& name, const std::string& lead, const nlohmann::json& rows) {
    const nlohmann::json doc = {{"freeTrain", true}, {"stages", 2}, {"target", "3.624"}, {"tolerance", "0.01"},
                                {"toleranceUnit", "percent"}, {"best", 2}, {"ownedGears", gears},
                                {"minTeeth", std::vector<std::string>(12, "20")},
                                {"maxTeeth", std::vector<std::string>(12, "127")}, {"targetsMode", true},
                                {"leadScrew", lead}, {"targets", rows}};
    std::ofstream(dir_ / name) << doc.dump();
    return (dir_ / name).string();
  };
  const nlohmann::json rows = nlohmann::json::array(
      {{{"name", "M6"}, {"target", "1mm"}, {"tolerance", "0"}}, {{"name", ""}, {"target", "20tpi"}, {"tolerance", ""}},
       {{"name", ""}, {"target", ""}, {"tolerance", ""}}, {{"name", "worm"}, {"target", "module1"}, {"tolerance", "0.01%"}}});
  const std::string good = setup("good.json", "8tpi", rows), targets = (dir_ / "targets.txt").string();
  { std::ofstream(targets) << "M6 1mm 0\n20tpi\nworm module1 0.01%\n"; }
  for (const char* format : {"csv", "json"}) {
    const Outcome fromSetup = Run({"--setup", good, "--format", format});
    const Outcome fromOptions = Run({"--stages", "2", "--gears", gears, "--lead-screw", "8tpi", "--targets", targets,
                                     "--range", "0.01%", "--best", "2", "--format", format});
    ASSERT_EQ(fromOptions.status, 0) << fromOptions.err;
    EXPECT_EQ(fromSetup.status, 0) << fromSetup.err;
    EXPECT_EQ(fromSetup.out, fromOptions.out) << format;
    EXPECT_NE(fromSetup.out.find("20tpi"), std::string::npos);
  }

  auto badRows = rows;
  badRows[3]["target"] = "module1x";
  const std::string where = "quenmar-solve: --setup " + dir_.string() + "/";
  const std::pair<std::string, std::string> refused[] = {
      {setup("row.json", "8tpi", badRows), "row.json: \"targets\" row 4: the target accepts a ratio (3.624, 127/90), or a "
       "thread against the lead screw: a pitch in mm (1.5mm), threads per inch (20tpi), a module (module1.25) or a "
       "diametral pitch (dp24); \"module1x\" has no pitch above 0 before or after its unit"},
      {setup("lead.json", "8dp", rows), "lead.json: \"leadScrew\" accepts a lead screw's pitch in mm (2mm, 3.175mm) "
       "or in threads per inch (8tpi), above 0, not \"8dp\""},
      {setup("none.json", "8tpi", nlohmann::json::array()), "none.json: \"targets\": Targets mode needs at least one target"},
  };
  const fs::path kept = dir_ / "kept.txt";
  for (const auto& [file, message] : refused) {
    { std::ofstream(kept) << "kept"; }
    const Outcome o = Run({"--setup", file, "--output", kept.string()});
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.err, where + message + "\n");
    EXPECT_EQ(o.out + ReadFile(kept), "kept");
  }
}
