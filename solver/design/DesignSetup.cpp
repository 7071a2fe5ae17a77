#include "DesignSetup.h"

#include <charconv>
#include <nlohmann/json.hpp>

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

std::optional<double> ParseModule(const std::string& text) {
  // Digits with at most one decimal point: no sign, exponent or blanks.
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos)
    return std::nullopt;
  double value = 0.0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || !(value > 0.0) || value > kMaxModule) return std::nullopt;
  return value;
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
  };
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
  if (!problem.empty()) return problem;
  return setup;
}

SetupReading ReadSetup(const DesignSetup& setup) {
  SetupReading reading;
  SetupProblems& problems = reading.problems;
  DesignQuery query;
  query.configuration = setup.configuration;
  query.stages = setup.freeTrain ? setup.stages : 0;

  const int used = GearsInUse(setup);
  const int listed = setup.freeTrain ? used : kGearCount;
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

  if (const auto module = ParseModule(setup.module)) reading.module = *module;
  else problems.module = "a module in millimetres above 0, up to 100, such as 1.5";

  query.best = setup.best;
  query.maxSolutions = setup.maxTrains;
  query.sort = SortOrder::Difference;
  query.distinct = setup.distinct;
  query.huntingTooth = setup.huntingTooth;
  query.coaxial = setup.coaxial;

  // The whole is checked only once its parts are sound, so its message is about the whole.
  if (problems.teeth.empty() && problems.target.empty() && problems.tolerance.empty() &&
      problems.ownedGears.empty()) {
    if (auto message = CheckDesignQuery(query)) problems.query = *message;
  }
  if (!problems.Any()) reading.query = std::move(query);
  return reading;
}

}  // namespace quenmar::design
