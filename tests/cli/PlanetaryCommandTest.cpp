// quenmar-solve --planetary run as a process: the CSV's fields against the reference's
// plain loops, the JSON's the same, and the refusals line by line.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "CsvReader.h"
#include "DesignReference.h"
#include "ProcessTestFolder.h"

namespace {

namespace fs = std::filesystem;
using namespace quenmar::design;
using quenmar::testing::Outcome;

class PlanetaryProcess : public quenmar::testing::ProcessTestFolder {
 protected:
  PlanetaryProcess() : ProcessTestFolder("quenmar-planetary-test-") {}
  Outcome Run(const std::vector<std::string>& args) { return quenmar::testing::RunProgram(QUENMAR_SOLVE_PATH, args, dir_); }
};

// Stepped sets of every held member and input, at their planets' own angles: the CSV
// lists the reference's trains, its fields read back as the set; JSON says the same.
TEST_F(PlanetaryProcess, CsvAndJsonListTheReferencesTrains) {
  const std::vector<std::string> args{"--planetary", "stepped", "--sun", "12..16", "--planet", "18..22,12..15",
                                      "--ring", "40..60", "--planets", "3..4", "--held", "any", "--input", "any",
                                      "--spacing", "any", "--target", "5", "--best", "12"};
  DesignQuery q;
  PlanetaryQuery& p = q.planetary.emplace();
  p.kind = PlanetaryKind::Stepped;
  p.minTeeth = {12, 18, 12, 40, 0};
  p.maxTeeth = {16, 22, 15, 60, 0};
  p.minPlanets = 3;
  p.maxPlanets = 4;
  p.held = p.input = {Member::Sun, Member::Ring, Member::Carrier};
  p.anySpacing = true;
  q.target = Rational(5);
  q.best = 12;
  q.sort = SortOrder::Difference;
  const auto expected = quenmar::reference::ReferenceSearch(q).trains;
  ASSERT_EQ(expected.size(), 12u);

  std::vector<std::string> csv = args, json = args;
  csv.insert(csv.end(), {"--format", "csv"});
  json.insert(json.end(), {"--format", "json"});
  const Outcome o = Run(csv);
  ASSERT_EQ(o.status, 0) << o.err;
  const auto rows = quenmar::testing::ReadCsv(o.out);
  ASSERT_TRUE(rows && rows->size() == 13);
  std::string header;
  for (const std::string& name : rows->front()) header += (header.empty() ? "" : ",") + name;
  EXPECT_EQ(header, "difference,relative_ppm,reduction,numerator,denominator,kind,sun,planet,planet2,"
                                "ring,ring2,planets,held,input,output,spacing,phase");
  const nlohmann::json doc = nlohmann::json::parse(Run(json).out);
  const char* members[] = {"sun", "ring", "carrier"};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const std::vector<std::string>& r = (*rows)[i + 1];
    const DesignTrain& t = expected[i];
    const PlanetarySet set = DecodePlanetary(p.kind, t.teeth.data());
    EXPECT_EQ(r[3] + "/" + r[4], std::to_string(t.reduction.num) + "/" + std::to_string(t.reduction.den));
    const std::vector<std::string> fields(r.begin() + 5, r.end());
    EXPECT_EQ(fields, (std::vector<std::string>{"stepped", std::to_string(set.teeth[kSun]), std::to_string(set.teeth[kPlanet]),
                                                std::to_string(set.teeth[kPlanet2]), std::to_string(set.teeth[kRing]), "",
                                                std::to_string(set.planets), members[static_cast<int>(set.held)],
                                                members[static_cast<int>(set.input)], members[static_cast<int>(set.output)],
                                                fields[10], quenmar::reference::PlanetaryPhase(q, t.teeth)}));
    const nlohmann::json& s = doc["solutions"][i];
    EXPECT_EQ(s["numerator"], t.reduction.num);
    EXPECT_EQ(s["planet2"], set.teeth[kPlanet2]);
    EXPECT_TRUE(s["ring2"].is_null());
    EXPECT_EQ(s["spacing"], fields[10]);
    // Evenly spaced, or the planets' angles in degrees, as many as planets.
    if (fields[10] != "even") {
      EXPECT_EQ(std::count(fields[10].begin(), fields[10].end(), ' '), set.planets - 1);
    }
  }
}

// With --profile-shift, four more fields per set (and none without it): the shifts of a
// ring one tooth long (hand-checked in PlanetaryTest's ShiftedSets) and of a standard one.
TEST_F(PlanetaryProcess, ProfileShiftAddsItsFields) {
  const std::vector<std::string> args{"--planetary", "simple", "--sun", "20", "--planet", "12", "--ring", "44..45",
                                      "--planets", "4..5", "--module", "2", "--target", "3.25", "--best", "2"};
  std::vector<std::string> shifted = args;
  shifted.insert(shifted.end(), {"--profile-shift", "--format", "csv"});
  const Outcome o = Run(shifted);
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out,
            "difference,relative_ppm,reduction,numerator,denominator,kind,sun,planet,planet2,ring,ring2,planets,held,"
            "input,output,spacing,phase,shift_sun,shift_planet,shift_ring,centre_distance\r\n"
            "0,0,3.25,13,4,simple,20,12,,45,,5,ring,sun,carrier,even,in phase,0.3459,0.2075,0.2075,33\r\n"
            "0.050000000000000003,15384.615384615385,3.2000000000000002,16,5,simple,20,12,,44,,4,ring,sun,carrier,even,"
            "in phase,0.0000,0.0000,0.0000,32\r\n");
  shifted.back() = "json";
  const nlohmann::json doc = nlohmann::json::parse(Run(shifted).out);
  EXPECT_EQ(doc["planetary"]["profile_shift"], 1.0);
  EXPECT_EQ(doc["solutions"][0]["shift_sun"], 0.3459);
  EXPECT_EQ(doc["solutions"][0]["centre_distance"], 33.0);
  std::vector<std::string> plain = args;
  plain.insert(plain.end(), {"--format", "csv", "--ring", "44"});
  EXPECT_EQ(Run(plain).out.find("shift"), std::string::npos);
}

TEST_F(PlanetaryProcess, BadInputTouchesNothing) {
  const fs::path file = dir_ / "kept.txt";
  const struct {
    std::vector<std::string> args;
    std::string err;  // after "quenmar-solve: "
  } rows[] = {
      {{"--planetary", "helical"}, "--planetary accepts simple, stepped or wolfrom"},
      {{"--planetary", "simple", "--sun", "10"},
       "--planetary simple needs --planet: a teeth range, such as 10..60"},
      {{"--planetary", "stepped", "--sun", "10", "--planet", "20", "--ring", "50"},
       "--planet accepts two teeth ranges, such as 10..60,10..60 for the stepped kind, whole numbers from 1 to 500"},
      {{"--planetary", "simple", "--sun", "10", "--planet", "20", "--ring", "50", "--planets", "13"},
       "--planets accepts 2 to 12 planets: a number or a range such as 3..5"},
      {{"--planetary", "simple", "--sun", "10", "--planet", "20", "--ring", "50", "--planets", "1"},
       "--planets accepts 2 to 12 planets: a number or a range such as 3..5"},
      {{"--planetary", "simple", "--sun", "10", "--planet", "20", "--ring", "50", "--held", "sun", "--input", "sun"},
       "--held sun is also the input: hold another member or drive another"},
      {{"--planetary", "simple", "--sun", "10..12", "--planet", "20..22", "--ring", "30..40"},
       "--ring 30..40 cannot be coaxial: sun + 2 planet teeth lie within 50..56; change --ring, --sun or --planet"},
      {{"--planetary", "wolfrom", "--sun", "10", "--planet", "20", "--ring", "50"},
       "--ring accepts two teeth ranges, such as 10..60,10..60 for the wolfrom kind, whole numbers from 1 to 500"},
      {{"--planetary", "wolfrom", "--held", "carrier", "--sun", "10", "--planet", "20", "--ring", "50,50"},
       "--held: a wolfrom train's first ring is always held; leave --held out or give ring"},
      {{"--planetary", "simple", "--sun", "10", "--planet", "20", "--ring", "50", "--spacing", "odd"},
       "--spacing accepts even or any (planets wherever every mesh engages, nearest to even)"},
      {{"--planetary", "simple", "--sun", "10", "--planet", "20", "--ring", "50", "--module", "0.0005"},
       "--module accepts the module of the first mesh, above 0 and up to 100 mm in whole thousandths"},
      {{"--planetary", "simple", "--sun", "10", "--planet", "20", "--ring", "50", "--min", "1,2"},
       "--min does not apply to --planetary trains (their teeth are given by --sun, --planet and --ring)"},
      {{"--sun", "10"}, "--sun needs --planetary KIND (simple, stepped or wolfrom)"},
      {{"--planetary", "stepped", "--sun", "10", "--planet", "20,10", "--ring", "40", "--profile-shift"},
       "--profile-shift applies to the simple kind only"},
      {{"--planetary", "simple", "--sun", "10", "--planet", "20", "--ring", "50", "--profile-shift", "2.5"},
       "--profile-shift accepts the largest shift of a gear, 0 to 2 in whole thousandths (1 when given alone)"},
      {{"--planetary", "simple", "--sun", "10", "--planet", "20", "--ring", "50", "--profile-shift", "0.0005"},
       "--profile-shift accepts the largest shift of a gear, 0 to 2 in whole thousandths (1 when given alone)"},
      {{"--planetary", "simple", "--sun", "10", "--planet", "20", "--ring", "55..60", "--profile-shift", "0.5"},
       "--ring 55..60 cannot be coaxial: sun + 2 planet teeth lie within 50..50, and profile shift bridges at most 3 "
       "teeth fewer or 2 more; change --ring, --sun or --planet"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.err);
    { std::ofstream(file) << "kept"; }
    std::vector<std::string> args{"--target", "5", "--output", file.string()};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const Outcome o = Run(args);
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.err, "quenmar-solve: " + row.err + "\n");
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(quenmar::testing::ReadFile(file), "kept");
  }
}

}  // namespace
