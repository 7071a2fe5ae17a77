// quenmar-solve's geometric options run as a process: what they list checked against
// plain loops, the geometry's columns in CSV and JSON, the outlines written, and the
// refusals line by line.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "CsvReader.h"
#include "ProcessTestFolder.h"

namespace {

namespace fs = std::filesystem;
using quenmar::testing::Outcome;
using quenmar::testing::ReadFile;
using Record = std::map<std::string, std::string>;

class GeometryProcess : public quenmar::testing::ProcessTestFolder {
 protected:
  GeometryProcess() : ProcessTestFolder("quenmar-geometry-test-") {}
  Outcome Run(const std::vector<std::string>& args) { return quenmar::testing::RunProgram(QUENMAR_SOLVE_PATH, args, dir_); }
};

// The CSV's rows, each field under its header's name.
std::vector<Record> Records(const std::string& csv) {
  const auto rows = quenmar::testing::ReadCsv(csv);
  EXPECT_TRUE(rows && !rows->empty());
  std::vector<Record> records;
  for (std::size_t r = 1; rows && r < rows->size(); ++r) {
    records.emplace_back();
    for (std::size_t f = 0; f < (*rows)[r].size(); ++f) records.back()[(*rows)[0][f]] = (*rows)[r][f];
  }
  return records;
}

std::vector<int> Teeth(const Record& r, int gears) {
  std::vector<int> teeth;
  for (int g = 1; g <= gears; ++g) teeth.push_back(std::stoi(r.at("N" + std::to_string(g))));
  return teeth;
}

TEST_F(GeometryProcess, CoaxialMotionWorkOfTwoModules) {
  // A clock's motion work of 12 in modules 1 and 0.96: coaxial where 25 (N1 + N2) = 24 (N3 + N4).
  const std::vector<std::string> args{"--stages", "2", "--min", "10,30,10,30", "--max", "30,100,30,100",
                                      "--target", "12", "--range", "0", "--module", "1,0.96",
                                      "--centre-distance", "equal", "--format", "csv", "--max-solutions", "100000"};
  std::vector<std::vector<int>> expected;
  for (int a = 10; a <= 30; ++a)
    for (int b = 30; b <= 100; ++b)
      for (int c = 10; c <= 30; ++c)
        for (int d = 30; d <= 100; ++d)
          if (b * d == 12 * a * c && 25 * (a + b) == 24 * (c + d)) expected.push_back({a, b, c, d});
  const Outcome o = Run(args);
  ASSERT_EQ(o.status, 0) << o.err;
  const std::vector<Record> listed = Records(o.out);
  std::vector<std::vector<int>> teeth;
  for (const Record& r : listed) {
    const std::vector<int> t = Teeth(r, 4);
    teeth.push_back(t);
    EXPECT_EQ(r.at("module_1") + " " + r.at("module_2"), "1 0.96");
    EXPECT_EQ(std::stod(r.at("centre_distance_1")), (t[0] + t[1]) / 2.0);
    EXPECT_EQ(r.at("centre_distance_1"), r.at("centre_distance_2"));
    EXPECT_EQ(r.at("shift_N1") + r.at("shift_N2") + r.at("shift_N3") + r.at("shift_N4"), "0000");
  }
  EXPECT_EQ(teeth, expected);
  EXPECT_NE(std::find(teeth.begin(), teeth.end(), std::vector{12, 36, 10, 40}), teeth.end());

  // Those that also hold and clear shafts of 10 mm (a pinion of 10 cannot) by 0.5 mm.
  std::vector<std::string> fitting = args;
  fitting.insert(fitting.end(), {"--fits", "--shaft", "10"});
  const std::vector<Record> fit = Records(Run(fitting).out);
  EXPECT_FALSE(fit.empty());
  EXPECT_LT(fit.size(), listed.size());
  for (const Record& r : fit) {
    EXPECT_GE(std::stod(r.at("worst_clearance")), 0.5);
    EXPECT_NE(std::find(teeth.begin(), teeth.end(), Teeth(r, 4)), teeth.end());
  }
}

TEST_F(GeometryProcess, ShiftedGearboxInCsvAndJson) {
  const std::vector<std::string> args{"--stages", "1", "--min", "19,37", "--max", "19,37", "--target", "37/19",
                                      "--range", "0", "--module", "4", "--centre-distance", "1=115",
                                      "--profile-shift"};
  std::vector<std::string> csv = args, json = args;
  csv.insert(csv.end(), {"--format", "csv"});
  json.insert(json.end(), {"--format", "json"});
  const std::vector<Record> rows = Records(Run(csv).out);
  ASSERT_EQ(rows.size(), 1u);
  const Record& r = rows[0];
  EXPECT_EQ(r.at("centre_distance_1"), "115");
  EXPECT_NEAR(std::stod(r.at("shift_N1")) + std::stod(r.at("shift_N2")), 0.820, 1e-3);
  const nlohmann::json doc = nlohmann::json::parse(Run(json).out);
  EXPECT_EQ(doc["geometry"]["max_shift"], 1.0);
  EXPECT_EQ(doc["geometry"]["centre_distances"][0]["value"], 115.0);
  for (const char* field : {"module_1", "centre_distance_1", "shift_N1", "shift_N2", "contact_ratio_1", "worst_clearance"})
    EXPECT_EQ(doc["solutions"][0][field].get<double>(), std::stod(r.at(field))) << field;
  // The text rows stay as they were: a module alone refuses nothing.
  const std::vector<std::string> plain{"--stages", "2", "--target", "3", "--range", "0.1", "--list"};
  std::vector<std::string> withModule = plain;
  withModule.insert(withModule.end(), {"--module", "1.5"});
  EXPECT_EQ(Run(withModule).out, Run(plain).out);
}

TEST_F(GeometryProcess, OutlinesNamedAfterTheGears) {
  for (const std::string format : {"svg", "dxf"}) {
    const fs::path folder = dir_ / format;
    fs::create_directory(folder);
    const Outcome o = Run({"--stages", "2", "--min", "12,36,10,40", "--max", "12,36,10,40", "--target", "12",
                           "--range", "0", "--module", "1,0.96", "--centre-distance", "equal", "--outlines",
                           folder.string(), "--outline-format", format, "--kerf", "0.1"});
    ASSERT_EQ(o.status, 0) << o.err;
    for (const char* name : {"N1-12.", "N2-36.", "N3-10.", "N4-40.", "train."})
      EXPECT_NE(ReadFile(folder / (name + format)).find(format == "svg" ? "</svg>" : "EOF"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 5);
  }
  // A listed gear too small for its bore: the rows are written, no outline is.
  const fs::path empty = dir_ / "empty";
  fs::create_directory(empty);
  const Outcome o = Run({"--stages", "1", "--min", "8,16", "--max", "9,16", "--target", "2", "--range", "0",
                         "--module", "0.5", "--list", "--outlines", empty.string()});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "   0.000     2.000      8     16\n");
  EXPECT_EQ(o.err, "quenmar-solve: no outlines written: N1 (8 teeth) cannot hold its 3 mm bore inside its root "
                   "circle (--fits lists only trains that can)\n");
  EXPECT_TRUE(fs::is_empty(empty));
}

TEST_F(GeometryProcess, BadGeometryTouchesNothing) {
  const fs::path file = dir_ / "kept.txt", folder = dir_ / "outlines", missing = dir_ / "missing";
  fs::create_directory(folder);
  const std::string modules = "--module accepts one module for every stage or one per stage (2), each a decimal or "
                              "a fraction A/B above 0 and up to 100 mm, separated by commas";
  const std::string centres = "--centre-distance accepts equal, or S=VALUE or S=VALUE\u00b1TOL for a stage S from 1 "
                              "to 2 (mm, such as 1=50 or 2=40.5\u00b10.1), separated by commas";
  const std::string unreachable = "the centre distance of stage 1, 5 mm, cannot be reached: its gears give ";
  const struct {
    std::vector<std::string> args;
    std::string err;  // after "quenmar-solve: "
  } rows[] = {
      {{"--module", "0"}, modules},
      {{"--module", "abc"}, modules},
      {{"--module", "1,2,3"}, modules},
      {{"--pressure-angle", "45"}, "--pressure-angle accepts one angle for every stage or one per stage (2), each 10 to 30 degrees"},
      {{"--centre-distance", "3=50"}, centres},
      {{"--centre-distance", "1=50~2"}, centres},
      {{"--centre-distance", "1=5"}, unreachable + "20 to 65 mm without profile shift"},
      {{"--centre-distance", "1=5", "--profile-shift"}, unreachable + "18.7939 to 66.8234 mm with profile shifts up to 1"},
      {{"--centre-distance", "equal,1=50+-1"},
       "--centre-distance equal takes one value for every stage, without a tolerance (such as equal,1=50)"},
      {{"--profile-shift", "3"}, "--profile-shift accepts the largest shift of a gear, 0 to 2 (1 when given alone)"},
      {{"--clearance", "-1"}, "--clearance accepts a distance from 0 to 1000 mm"},
      {{"--shaft", "3,3"}, "--shaft accepts one diameter for every shaft or one per shaft (3, the input's first), each above 0 and up to 1000 mm"},
      {{"--shaft", "28"}, "the shaft of N1 (28 mm) is larger than the gear: its root circle is at most 27.5 mm (30 teeth of module 1)"},
      {{"--max-diameter", "0"}, "--max-diameter accepts a diameter above 0 and up to 100000 mm"},
      {{"--outlines", missing.string()}, "--outlines cannot write to " + missing.string() + ": No such file or directory"},
      {{"--outlines", file.string()}, "--outlines cannot write to " + file.string() + ": Not a directory"},
      {{"--outline-format", "svg"}, "--outline-format needs --outlines DIR, where the outlines go"},
      {{"--outline-format", "png", "--outlines", folder.string()}, "--outline-format accepts svg or dxf"},
      {{"--kerf", "0.8", "--outlines", folder.string()},
       "--kerf accepts a width from 0 to 2 mm, below 0.76 mm here (twice the smallest root rounding)"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.err);
    { std::ofstream(file) << "kept"; }
    std::vector<std::string> args{"--stages", "2", "--min", "10,30,10,30", "--max", "30,100,30,100", "--target",
                                  "12", "--range", "0.5", "--output", file.string()};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const Outcome o = Run(args);
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.err, "quenmar-solve: " + row.err + "\n");
    EXPECT_EQ(ReadFile(file), "kept");
    EXPECT_TRUE(fs::is_empty(folder));
  }
}

}  // namespace
