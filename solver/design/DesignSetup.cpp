#include "DesignSetup.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <nlohmann/json.hpp>

#include "PlanetaryOptions.h"
#include "TrainGeometry.h"

namespace quenmar::design {

namespace {

using nlohmann::json;

constexpr const char* kUnitNames[] = {"absolute", "ppm", "percent"};
constexpr const char* kDistinctNames[] = {"none", "meshes", "gears"};

std::optional<int> ParseTeeth(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || value < 1 || value > kMaxTeeth)
    return std::nullopt;
  return value;
}

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// A decimal as written (digits and one point, no sign or exponent) within [low, high],
// or (low, high] where low itself is refused.
std::optional<double> ParseDecimal(const std::string& text, double low, double high, bool lowAllowed = true) {
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
  double value = 0.0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || !(value <= high) || !(value > low || (lowAllowed && value == low)))
    return std::nullopt;
  return value;
}

// An exact length: a decimal as written or a fraction A/B, within (0, high] ([0, high] with zero).
std::optional<geometry::Exact> ParseExact(const std::string& text, double high, bool zero = false) {
  if (text.empty() || text.find_first_of("-+eE") != std::string::npos) return std::nullopt;
  const Parsed<Rational> parsed = ParseTarget(text);
  const auto* value = std::get_if<Rational>(&parsed);
  const std::optional<Fraction> f = value ? value->AsFraction() : std::nullopt;
  constexpr std::uint64_t kLargest = std::numeric_limits<std::int64_t>::max();
  if (!f || f->num > kLargest || f->den > kLargest || (f->num == 0 && !zero) || ToDouble(*f) > high)
    return std::nullopt;
  return geometry::Exact{static_cast<std::int64_t>(f->num), static_cast<std::int64_t>(f->den)};
}

// Items separated by commas (blanks around them ignored), each read by `read`; one for
// every place or one per place (`count`); nothing when one fails or the count is wrong.
template <typename T, typename Read>
std::optional<std::vector<T>> ParseList(const std::string& text, std::size_t count, Read read) {
  std::vector<T> items;
  for (std::size_t start = 0;;) {
    const std::size_t comma = text.find(',', start);
    const std::optional<T> item = read(Trimmed(std::string_view(text).substr(start, comma == std::string::npos ? comma : comma - start)));
    if (!item) return std::nullopt;
    items.push_back(*item);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (items.size() != 1 && items.size() != count) return std::nullopt;
  return items;
}

// "equal" and "S=VALUE" or "S=VALUE±TOL" (also +-) for stages 1..stages, commas between.
bool ParseCentreDistances(const std::string& text, int stages, geometry::GeometryOptions& g) {
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    const std::string item = Trimmed(std::string_view(text).substr(start, comma == std::string::npos ? comma : comma - start));
    if (item == "equal") {
      g.equalCentreDistances = true;
    } else {
      const std::size_t equals = item.find('=');
      if (equals == std::string::npos) return false;
      const auto stage = ParseDecimal(Trimmed(item.substr(0, equals)), 1, stages);
      if (!stage || *stage != static_cast<int>(*stage)) return false;
      std::string rest = item.substr(equals + 1), tolerance = "0";
      for (const char* sign : {"\u00b1", "+-"})
        if (const std::size_t at = rest.find(sign); at != std::string::npos) {
          tolerance = rest.substr(at + std::string_view(sign).size());
          rest = rest.substr(0, at);
          break;
        }
      const auto value = ParseExact(Trimmed(rest), 1e5), within = ParseExact(Trimmed(tolerance), 1e5, true);
      if (!value || !within) return false;
      const auto s = static_cast<std::size_t>(*stage);
      g.centreDistances.resize(std::max(g.centreDistances.size(), s));
      g.centreDistances[s - 1] = geometry::CentreDistance{*value, *within};
    }
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// The geometric inputs into `g`, each problem beside its own input. The modules, angles,
// shafts and clearance are read whether or not geometry is on (the drawing uses them).
void ReadGeometry(const DesignSetup& setup, int stages, geometry::GeometryOptions& g, SetupProblems& problems) {
  const std::size_t k = static_cast<std::size_t>(stages);
  const std::string perStage = " (" + std::to_string(stages) + (stages == 1 ? " stage)" : " stages)");
  // A list that is only the default says nothing (as an option not given to quenmar-solve),
  // so the same search gives the same exports either way.
  const DesignSetup defaults;
  const auto given = [](const std::string& text, const std::string& fallback) { return Trimmed(text) != fallback; };
  if (const auto m = ParseList<geometry::Exact>(setup.module, k, [](const std::string& t) { return ParseExact(t, kMaxModule); }))
    g.modules = given(setup.module, defaults.module) ? *m : std::vector<geometry::Exact>{};
  else if (setup.module.find(',') == std::string::npos)
    problems.module = "a module in millimetres above 0, up to 100, such as 1.5";
  else
    problems.module = "one module for every stage or one per stage" + perStage + ", each above 0 and up to 100 mm";
  std::string angle, shaft, clearance;
  if (const auto a = ParseList<double>(setup.pressureAngle, k, [](const std::string& t) { return ParseDecimal(t, 10, 30); }))
    g.pressureAngles = given(setup.pressureAngle, defaults.pressureAngle) ? *a : std::vector<double>{};
  else angle = "one angle for every stage or one per stage" + perStage + ", each 10 to 30 degrees";
  if (const auto d = ParseList<double>(setup.shaft, k + 1, [](const std::string& t) { return ParseDecimal(t, 0, 1000, false); }))
    g.shafts = given(setup.shaft, defaults.shaft) ? *d : std::vector<double>{};
  else shaft = "one diameter for every shaft or one per shaft (" + std::to_string(stages + 1) +
               ", the input's first), each above 0 and up to 1000 mm";
  if (const auto c = ParseDecimal(setup.clearance, 0, 1000)) g.clearance = *c;
  else clearance = "a gap in millimetres from 0 to 1000, such as 0.5";
  if (!setup.geometry) return;
  g.enabled = true;
  g.fits = setup.fits;
  problems.pressureAngle = angle;
  problems.shaft = shaft;
  problems.clearance = clearance;
  // Read into a copy, so that a text refused halfway leaves none of it in the drawing.
  geometry::GeometryOptions distances = g;
  if (!setup.centreDistance.empty() && !ParseCentreDistances(setup.centreDistance, stages, distances))
    problems.centreDistance = "equal, or S=VALUE or S=VALUE\u00b1TOL for a stage S from 1 to " +
                              std::to_string(stages) + " (mm, such as 1=50, 2=40.5\u00b10.1)";
  else if (distances.equalCentreDistances &&
           std::any_of(distances.centreDistances.begin(), distances.centreDistances.end(),
                       [](const auto& asked) { return asked && asked->tolerance.num != 0; }))
    problems.centreDistance = "equal takes one value for every stage, without a tolerance (such as equal, 1=50)";
  else g = distances;
  if (!setup.profileShift.empty()) {
    g.maxShift = ParseDecimal(setup.profileShift, 0, 2);
    if (!g.maxShift) problems.profileShift = "the largest shift of a gear, 0 to 2; empty: no shift";
  }
  if (!setup.maxDiameter.empty()) {
    g.maxDiameter = ParseDecimal(setup.maxDiameter, 0, 1e5, false);
    if (!g.maxDiameter) problems.maxDiameter = "a diameter in millimetres above 0, up to 100000; empty: any";
  }
}

template <typename Enum, std::size_t N>
std::optional<Enum> EnumNamed(const std::string& name, const char* const (&names)[N]) {
  for (std::size_t i = 0; i < N; ++i)
    if (name == names[i]) return static_cast<Enum>(i);
  return std::nullopt;
}

}  // namespace

DesignSetup::DesignSetup() {
  minTeeth.fill("10");
  maxTeeth.fill("25");
}

DesignSetup SearchedPart(DesignSetup setup) {
  if (setup.geometry || !setup.planetary.empty()) return setup;
  const DesignSetup defaults;
  setup.module = defaults.module;
  setup.pressureAngle = defaults.pressureAngle;
  setup.centreDistance = defaults.centreDistance;
  setup.profileShift = defaults.profileShift;
  setup.shaft = defaults.shaft;
  setup.clearance = defaults.clearance;
  setup.maxDiameter = defaults.maxDiameter;
  setup.fits = defaults.fits;
  return setup;
}

int GearsInUse(const DesignSetup& setup) {
  return setup.freeTrain ? 2 * setup.stages : Configuration(setup.configuration).k;
}

std::string ToleranceText(const DesignSetup& setup) {
  switch (setup.toleranceUnit) {
    case Tolerance::Unit::Ppm: return setup.tolerance + "ppm";
    case Tolerance::Unit::Percent: return setup.tolerance + "%";
    case Tolerance::Unit::Absolute: break;
  }
  return setup.tolerance;
}

std::string SetupToJson(const DesignSetup& setup) {
  json doc = {
      {"configuration", setup.configuration},
      {"freeTrain", setup.freeTrain},
      {"stages", setup.stages},
      {"minTeeth", setup.minTeeth},
      {"maxTeeth", setup.maxTeeth},
      {"target", setup.target},
      {"tolerance", setup.tolerance},
      {"toleranceUnit", kUnitNames[static_cast<int>(setup.toleranceUnit)]},
      {"best", setup.best},
      {"maxTrains", setup.maxTrains},
      {"distinct", kDistinctNames[static_cast<int>(setup.distinct)]},
      {"huntingTooth", setup.huntingTooth},
      {"coaxial", setup.coaxial},
      {"ownedGears", setup.ownedGears},
      {"module", setup.module},
      {"geometry", setup.geometry},
      {"pressureAngle", setup.pressureAngle},
      {"centreDistance", setup.centreDistance},
      {"profileShift", setup.profileShift},
      {"shaft", setup.shaft},
      {"clearance", setup.clearance},
      {"maxDiameter", setup.maxDiameter},
      {"fits", setup.fits},
      {"planetary", setup.planetary},
      {"sun", setup.sun},
      {"planet", setup.planet},
      {"planet2", setup.planet2},
      {"ring", setup.ring},
      {"ring2", setup.ring2},
      {"planets", setup.planets},
      {"held", setup.held},
      {"input", setup.input},
      {"anySpacing", setup.anySpacing},
      {"oneModule", setup.oneModule},
  };
  // Keys that came later are written only when they say something, so that a setup
  // without them is saved as before.
  const DesignSetup defaults;
  if (setup.planetaryShift != defaults.planetaryShift) doc["planetaryShift"] = setup.planetaryShift;
  if (setup.planetaryMaxShift != defaults.planetaryMaxShift) doc["planetaryMaxShift"] = setup.planetaryMaxShift;
  if (setup.targetsMode) doc["targetsMode"] = true;
  if (!setup.leadScrew.empty()) doc["leadScrew"] = setup.leadScrew;
  if (!setup.targets.empty()) {
    json rows = json::array();
    for (const TargetRow& row : setup.targets)
      rows.push_back({{"name", row.name}, {"target", row.target}, {"tolerance", row.tolerance}});
    doc["targets"] = std::move(rows);
  }
  return doc.dump(2) + "\n";
}

std::variant<DesignSetup, std::string> SetupFromJson(const std::string& text) {
  const json doc = json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (doc.is_discarded()) return std::string("not a JSON document");
  if (!doc.is_object()) return std::string("not a setup: the document is not an object");

  DesignSetup setup;
  std::string problem;
  auto fail = [&](const char* key, const char* accepts) {
    if (problem.empty()) problem = std::string("\"") + key + "\" must be " + accepts;
  };
  auto integer = [&](const char* key, auto& out, std::int64_t lo, std::int64_t hi) {
    if (!doc.contains(key)) return;
    const json& v = doc[key];
    if (!v.is_number_integer() || v.get<std::int64_t>() < lo || v.get<std::int64_t>() > hi) {
      const std::string accepts = "a whole number from " + std::to_string(lo) + " to " +
                                  std::to_string(hi);
      if (problem.empty()) problem = std::string("\"") + key + "\" must be " + accepts;
      return;
    }
    out = static_cast<std::remove_reference_t<decltype(out)>>(v.get<std::int64_t>());
  };
  auto boolean = [&](const char* key, bool& out) {
    if (!doc.contains(key)) return;
    if (!doc[key].is_boolean()) return fail(key, "true or false");
    out = doc[key].get<bool>();
  };
  auto string = [&](const char* key, std::string& out) {
    if (!doc.contains(key)) return;
    if (!doc[key].is_string()) return fail(key, "a text");
    out = doc[key].get<std::string>();
  };
  auto teeth = [&](const char* key, std::array<std::string, kMaxGears>& out) {
    if (!doc.contains(key)) return;
    const json& v = doc[key];
    if (!v.is_array() || v.size() != out.size())
      return fail(key, "a list of 12 texts (N1 to N12)");
    for (std::size_t i = 0; i < out.size(); ++i) {
      if (!v[i].is_string()) return fail(key, "a list of 12 texts (N1 to N12)");
      out[i] = v[i].get<std::string>();
    }
  };
  auto named = [&](const char* key, auto& out, const auto& names, const char* accepts) {
    if (!doc.contains(key)) return;
    using Enum = std::remove_reference_t<decltype(out)>;
    std::optional<Enum> value;
    if (doc[key].is_string()) value = EnumNamed<Enum>(doc[key].get<std::string>(), names);
    if (!value) return fail(key, accepts);
    out = *value;
  };

  integer("configuration", setup.configuration, 0, kConfigurationCount - 1);
  boolean("freeTrain", setup.freeTrain);
  integer("stages", setup.stages, 1, kMaxStages);
  teeth("minTeeth", setup.minTeeth);
  teeth("maxTeeth", setup.maxTeeth);
  string("target", setup.target);
  string("tolerance", setup.tolerance);
  named("toleranceUnit", setup.toleranceUnit, kUnitNames, "\"absolute\", \"ppm\" or \"percent\"");
  integer("best", setup.best, 0, kMaxBest);
  integer("maxTrains", setup.maxTrains, 1, kMaxTrains);
  named("distinct", setup.distinct, kDistinctNames, "\"none\", \"meshes\" or \"gears\"");
  boolean("huntingTooth", setup.huntingTooth);
  boolean("coaxial", setup.coaxial);
  string("ownedGears", setup.ownedGears);
  string("module", setup.module);
  boolean("geometry", setup.geometry);
  string("pressureAngle", setup.pressureAngle);
  string("centreDistance", setup.centreDistance);
  string("profileShift", setup.profileShift);
  string("shaft", setup.shaft);
  string("clearance", setup.clearance);
  string("maxDiameter", setup.maxDiameter);
  boolean("fits", setup.fits);
  for (const auto& [key, text] : {std::pair{"planetary", &setup.planetary}, {"sun", &setup.sun}, {"planet", &setup.planet},
                                  {"planet2", &setup.planet2}, {"ring", &setup.ring}, {"ring2", &setup.ring2},
                                  {"planets", &setup.planets}, {"held", &setup.held}, {"input", &setup.input}})
    string(key, *text);
  boolean("anySpacing", setup.anySpacing);
  boolean("oneModule", setup.oneModule);
  boolean("planetaryShift", setup.planetaryShift);
  string("planetaryMaxShift", setup.planetaryMaxShift);
  boolean("targetsMode", setup.targetsMode);
  string("leadScrew", setup.leadScrew);
  if (doc.contains("targets")) {
    const json& rows = doc["targets"];
    const char* accepts = "a list of objects with the texts \"name\", \"target\" and \"tolerance\"";
    if (!rows.is_array()) fail("targets", accepts);
    for (std::size_t i = 0; rows.is_array() && i < rows.size(); ++i) {
      TargetRow row;
      bool ok = rows[i].is_object();
      for (const auto& [key, text] : {std::pair{"name", &row.name}, {"target", &row.target}, {"tolerance", &row.tolerance}}) {
        if (!ok || !rows[i].contains(key)) continue;
        if (rows[i][key].is_string()) *text = rows[i][key].get<std::string>();
        else ok = false;
      }
      if (!ok) {
        fail("targets", accepts);
        break;
      }
      setup.targets.push_back(std::move(row));
    }
  }
  if (!problem.empty()) return problem;
  return setup;
}

// A planetary train's setup: its inputs as quenmar-solve's options, then what every search
// takes (target, tolerance, best, cap, distinct, hunting tooth, owned gears).
namespace {

void PlacePlanetaryProblem(const std::string& message, SetupProblems& problems);

void ReadPlanetarySetup(const DesignSetup& setup, DesignQuery& query, SetupProblems& problems) {
  PlanetaryTexts texts;
  texts.kind = setup.planetary;
  const std::optional<PlanetaryKind> kind = PlanetaryKindNamed(setup.planetary);
  // The inputs the kind has: a Wolfrom train driven by the carrier alone has no sun, a
  // simple one no second planet, and only a Wolfrom train a second ring.
  const bool wolfrom = kind == PlanetaryKind::Wolfrom;
  // An empty field is one not given: the kind then says it needs it.
  const auto given = [](const std::string& text) -> std::optional<std::string> { return text.empty() ? std::nullopt : std::optional(text); };
  if (!wolfrom || setup.input.find("sun") != std::string::npos || setup.input == "any") texts.sun = given(setup.sun);
  const auto joined = [&](const std::string& first, const std::string& second, bool two) {
    return given(two && !second.empty() ? first + "," + second : first);
  };
  texts.planet = joined(setup.planet, setup.planet2, kind && kind != PlanetaryKind::Simple);
  texts.ring = joined(setup.ring, setup.ring2, wolfrom);
  texts.planets = setup.planets;
  if (!wolfrom) texts.held = setup.held;  // its first ring is always held
  texts.input = setup.input;
  texts.spacing = setup.anySpacing ? "any" : "even";
  texts.module = setup.module;
  texts.clearance = setup.clearance;
  texts.oneModule = setup.oneModule;
  // Kept as typed for the other kinds, which have no such input.
  if (setup.planetaryShift && kind == PlanetaryKind::Simple) texts.profileShift = setup.planetaryMaxShift;
  if (auto message = ReadPlanetaryTexts(texts, query.planetary.emplace())) PlacePlanetaryProblem(*message, problems);
}

// A planetary problem beside its input: the module's and the clearance's beside theirs,
// the others as quenmar-solve words them.
void PlacePlanetaryProblem(const std::string& message, SetupProblems& problems) {
  const PlanetaryProblem problem = SplitPlanetaryProblem(message);
  if (problem.option == "--module") problems.module = problem.text;
  else if (problem.option == "--clearance") problems.clearance = problem.text;
  else problems.planetary = message;
}

}  // namespace

SetupReading ReadSetup(const DesignSetup& setup) {
  SetupReading reading;
  SetupProblems& problems = reading.problems;
  DesignQuery query;
  query.configuration = setup.configuration;
  query.stages = setup.freeTrain ? setup.stages : 0;

  const bool planetary = !setup.planetary.empty();
  const int used = GearsInUse(setup);
  const int listed = planetary ? 0 : setup.freeTrain ? used : kGearCount;
  for (int gear = 0; gear < listed; ++gear) {
    if (gear >= used) {
      // A configuration's idle gears as quenmar-solve holds them: minimum 10, maximum as
      // typed (25 where what is typed is not a count), so both export the same JSON.
      query.minTeeth.push_back(10);
      query.maxTeeth.push_back(ParseTeeth(setup.maxTeeth[gear]).value_or(25));
      continue;
    }
    const std::string name = "N" + std::to_string(gear + 1);
    const auto lo = ParseTeeth(setup.minTeeth[gear]);
    const auto hi = ParseTeeth(setup.maxTeeth[gear]);
    if (problems.teeth.empty()) {
      if (!lo) problems.teeth = name + " minimum: a whole number of teeth from 1 to 500";
      else if (!hi) problems.teeth = name + " maximum: a whole number of teeth from 1 to 500";
      else if (*lo > *hi) problems.teeth = name + ": the minimum is above the maximum";
    }
    query.minTeeth.push_back(lo.value_or(1));
    query.maxTeeth.push_back(hi.value_or(1));
  }

  const Parsed<Rational> target = ParseTarget(setup.target);
  if (auto* message = std::get_if<std::string>(&target)) problems.target = *message;
  else {
    query.target = std::get<Rational>(target);
    query.targetText = setup.target;
  }

  if (setup.tolerance.empty()) {
    if (setup.best == 0) problems.tolerance = "a tolerance is needed unless Best is above 0";
  } else if (setup.tolerance.find_first_not_of("0123456789.") != std::string::npos) {
    problems.tolerance = "a decimal such as 0.01; choose its unit beside it";
  } else {
    const Parsed<Tolerance> tolerance = ParseTolerance(ToleranceText(setup));
    if (auto* message = std::get_if<std::string>(&tolerance)) problems.tolerance = *message;
    else query.tolerance = std::get<Tolerance>(tolerance);
  }

  if (!setup.ownedGears.empty()) {
    const Parsed<std::vector<int>> gears = ParseGearField(setup.ownedGears);
    if (auto* message = std::get_if<std::string>(&gears)) problems.ownedGears = *message;
    else query.ownedGears = std::get<std::vector<int>>(gears);
  }

  if (planetary) {
    ReadPlanetarySetup(setup, query, problems);
    if (problems.module.empty()) reading.module = static_cast<double>(query.planetary->moduleMicrons) / 1000;
  } else {
    ReadGeometry(setup, used / 2, reading.drawing, problems);
    if (problems.module.empty() && !reading.drawing.modules.empty()) reading.module = reading.drawing.modules.front().ToDouble();
  }

  query.best = setup.best;
  query.maxSolutions = setup.maxTrains;
  query.sort = SortOrder::Difference;
  query.distinct = setup.distinct;
  query.huntingTooth = setup.huntingTooth;

  query.coaxial = setup.coaxial && !planetary;
  if (setup.geometry && !planetary) query.geometry = reading.drawing;

  // The whole is checked only once its parts are sound, so its message is about the whole;
  // what the geometry cannot reach is said beside the centre distances or the shafts.
  if (problems.teeth.empty() && problems.target.empty() && problems.tolerance.empty() &&
      problems.ownedGears.empty() && !problems.Any()) {
    if (auto message = planetary ? std::nullopt : geometry::CheckGeometry(query.geometry, used / 2, query.minTeeth, query.maxTeeth)) {
      geometry::GeometryOptions standard = query.geometry;
      standard.centreDistances.clear();
      standard.equalCentreDistances = false;
      const bool distances = !geometry::CheckGeometry(standard, used / 2, query.minTeeth, query.maxTeeth);
      (distances ? problems.centreDistance : problems.shaft) = *message;
    } else if (auto whole = CheckDesignQuery(query)) {
      if (planetary && whole->starts_with("--")) PlacePlanetaryProblem(*whole, problems);
      else problems.query = *whole;
    }
  }
  if (!problems.Any()) reading.query = std::move(query);
  return reading;
}

DesignSetup ChartPart(DesignSetup setup) {
  setup.target = "1";
  setup.best = std::max<std::int64_t>(1, setup.best);
  return setup;
}

std::optional<Tolerance> ChartFallbackTolerance(const DesignSetup& chartPart, const SetupReading& reading) {
  if (reading.query) return reading.query->tolerance;
  // Rows are still read while another input is wrong, with the tolerance as typed.
  const Parsed<Tolerance> parsed = ParseTolerance(ToleranceText(chartPart));
  if (const auto* tolerance = std::get_if<Tolerance>(&parsed)) return *tolerance;
  return std::nullopt;
}

bool BlankRow(const TargetRow& row) { return row.name.empty() && row.target.empty() && row.tolerance.empty(); }

namespace {

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

std::string TargetRowsCsv(const std::vector<TargetRow>& rows) {
  std::string text = "name,target,tolerance\n";
  for (const TargetRow& row : rows)
    text += CsvField(row.name) + "," + CsvField(row.target) + "," + CsvField(row.tolerance) + "\n";
  return text;
}

bool TargetRowsReading::Ok() const {
  return leadProblem.empty() && !targets.empty() &&
         std::all_of(rowProblems.begin(), rowProblems.end(), [](const std::string& p) { return p.empty(); });
}

std::optional<std::string> TargetRowsReading::Problem() const {
  if (!leadProblem.empty())
    return "\"leadScrew\"" + std::string(leadProblem.starts_with("accepts ") ? " " : ": ") + leadProblem;
  for (std::size_t r = 0; r < rowProblems.size(); ++r)
    if (!rowProblems[r].empty()) return "\"targets\" row " + std::to_string(r + 1) + ": " + rowProblems[r];
  if (targets.empty()) return std::string("\"targets\": Targets mode needs at least one target");
  return std::nullopt;
}

TargetRowsReading ReadTargetRows(std::string_view leadScrew, const std::vector<TargetRow>& rows,
                                 const std::optional<Tolerance>& fallback) {
  TargetRowsReading out;
  const std::string leadText = Trimmed(leadScrew);
  if (!leadText.empty()) {
    auto lead = ParseLeadScrew(leadText);
    if (const auto* message = std::get_if<std::string>(&lead)) out.leadProblem = *message;
    else out.lead = std::get<LeadScrew>(lead);
  }
  for (const TargetRow& row : rows) {
    std::string& problem = out.rowProblems.emplace_back();
    if (BlankRow(row)) continue;
    auto read = ParseTargetFile(TargetRowsCsv({row}), out.lead, fallback);
    // The reader's "line 2: " (the line under the header) is the caller's to say.
    if (const auto* message = std::get_if<std::string>(&read)) {
      const std::size_t colon = message->find(": ");
      problem = colon == std::string::npos ? *message : message->substr(colon + 2);
    } else {
      out.targets.push_back(std::get<std::vector<ChartTarget>>(read).front());
    }
  }
  return out;
}

}  // namespace quenmar::design
