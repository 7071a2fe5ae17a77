#include "DesignFormat.h"

#include <charconv>
#include <nlohmann/json.hpp>

#include "PlanetaryFormat.h"
#include "ResultsFile.h"
#include "TextFormat.h"
#include "TrainGeometry.h"

namespace quenmar::design {

namespace {

// 17 significant digits round-trip every double; to_chars never follows the locale.
void AppendDouble(std::string& out, double value) {
  char buffer[32];
  const char* end =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17).ptr;
  out.append(buffer, static_cast<std::size_t>(end - buffer));
}

void AppendWhole(std::string& out, long long value) { text::AppendInteger(out, value, 0); }

// A part of an exact rational: a JSON number where it fits 64 bits (as every part did
// before targets of any size), its digits as a string beyond.
nlohmann::ordered_json Whole(const std::string& digits) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error == std::errc() && end == digits.data() + digits.size()) return value;
  return digits;
}

// The geometry's columns after the teeth: per stage its module, centre distance, the
// two gears' shifts and the contact ratio, then the worst clearance; shortest exact text.
std::vector<std::string> GeometryNames(int stages) {
  std::vector<std::string> names;
  for (int s = 1; s <= stages; ++s) {
    const std::string n = std::to_string(s);
    names.insert(names.end(), {"module_" + n, "centre_distance_" + n, "shift_N" + std::to_string(2 * s - 1),
                               "shift_N" + std::to_string(2 * s), "contact_ratio_" + n});
  }
  names.push_back("worst_clearance");
  return names;
}

std::vector<double> GeometryValues(const geometry::TrainRules& rules, const DesignTrain& train) {
  const geometry::TrainGeometry g = rules.Evaluate(train.teeth.data());
  std::vector<double> values;
  for (const geometry::Mesh& m : g.meshes)  // + 0.0: an unshifted gear's shift prints 0, not -0
    values.insert(values.end(), {m.gear[0].module, m.workingCentre, m.gear[0].shift + 0.0, m.gear[1].shift + 0.0,
                                 m.contactRatio});
  values.push_back(g.worstClearance);
  return values;
}

void AppendShortest(std::string& out, double value) {
  char buffer[32];
  const char* end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  out.append(buffer, static_cast<std::size_t>(end - buffer));
}

SortOrder EffectiveSort(const DesignQuery& query) {
  return query.best > 0 ? SortOrder::Difference : query.sort;
}

const char* SortName(SortOrder sort) {
  switch (sort) {
    case SortOrder::Found: return "found";
    case SortOrder::Text: return "text";
    case SortOrder::Difference: return "difference";
  }
  return "found";
}

const char* DistinctName(Distinct distinct) {
  switch (distinct) {
    case Distinct::None: return "none";
    case Distinct::Meshes: return "meshes";
    case Distinct::Gears: return "gears";
  }
  return "none";
}

const char* UnitName(Tolerance::Unit unit) {
  switch (unit) {
    case Tolerance::Unit::Absolute: return "absolute";
    case Tolerance::Unit::Ppm: return "ppm";
    case Tolerance::Unit::Percent: return "percent";
  }
  return "absolute";
}

const char* OutcomeName(DesignOutcome outcome) {
  switch (outcome) {
    case DesignOutcome::Solutions: return "solutions";
    case DesignOutcome::NoConvergence: return "no convergence";
    case DesignOutcome::MaximumExceeded: return "maximum exceeded";
  }
  return "solutions";
}

std::string MethodName(const DesignQuery& query) {
  if (query.planetary) return PlanetaryMethodName(*query.planetary);
  if (query.stages > 0)
    return "Free Train of " + std::to_string(query.stages) +
           (query.stages == 1 ? " Stage" : " Stages");
  return std::string(Configuration(query.configuration).methodName);
}

// The most trains the run may list: the cap, K of a best-K run, or both.
std::optional<std::int64_t> ListLimit(const DesignQuery& query) {
  if (query.best > 0 && query.maxSolutions) return std::min(query.best, *query.maxSolutions);
  if (query.best > 0) return query.best;
  return query.maxSolutions;
}

bool ReachedMaximum(const DesignQuery& query, const DesignResult& result) {
  return result.outcome == DesignOutcome::MaximumExceeded ||
         (query.maxSolutions &&
          static_cast<std::int64_t>(result.trains.size()) >= *query.maxSolutions);
}

// Gathers text and hands it on in pieces of about 64 KiB.
class Chunks {
 public:
  explicit Chunks(const DesignSink& sink) : sink_(sink) {}
  ~Chunks() { Flush(); }
  std::string& text() { return text_; }
  void Next() {
    if (text_.size() >= kPiece) Flush();
  }
  void Flush() {
    if (!text_.empty()) sink_(text_);
    text_.clear();
  }

 private:
  static constexpr std::size_t kPiece = 64 * 1024;
  const DesignSink& sink_;
  std::string text_;
};

std::string Collect(const std::function<void(const DesignSink&)>& write) {
  std::string all;
  write([&all](std::string_view piece) { all += piece; });
  return all;
}

// A decimal the planetary fields wrote, read whatever the locale.
double Decimal(const std::string& text) {
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

}  // namespace

std::string DesignSortLine(SortOrder sort) {
  switch (sort) {
    case SortOrder::Found: return "Solutions Are Not Sorted";
    case SortOrder::Text: return "Solutions Are Sorted By Row Text";
    case SortOrder::Difference: return "Solutions Are Sorted By Difference";
  }
  return "Solutions Are Not Sorted";
}

void WriteDesignCsv(const DesignQuery& query, const DesignResult& result, const DesignSink& sink) {
  Chunks chunks(sink);
  std::string& csv = chunks.text();
  const bool planetary = query.planetary.has_value();
  csv = "difference,relative_ppm,reduction,numerator,denominator";
  if (planetary)
    for (const std::string& name : PlanetaryFieldNames(*query.planetary)) csv += ',' + name;
  else
    csv += ",variants";
  for (int g = 1; g <= GearCount(query) && !planetary; ++g) csv += ",N" + std::to_string(g);
  std::optional<geometry::TrainRules> rules;
  if (query.geometry.enabled && !planetary) {
    rules.emplace(query.geometry, StageCount(query), query.coaxial);
    for (const std::string& name : GeometryNames(StageCount(query))) csv += ',' + name;
  }
  csv += "\r\n";
  for (const DesignTrain& train : result.trains) {
    AppendDouble(csv, train.dDifference);
    csv += ',';
    AppendDouble(csv, train.relativePpm);
    csv += ',';
    AppendDouble(csv, train.dReduction);
    csv += ',' + std::to_string(train.reduction.num) + ',' + std::to_string(train.reduction.den);
    if (planetary) {
      for (const std::string& field : PlanetaryFields(*query.planetary, train)) csv += ',' + field;
      csv += "\r\n";
      chunks.Next();
      continue;
    }
    csv += ',';
    AppendWhole(csv, train.variants);
    for (int teeth : train.teeth) {
      csv += ',';
      AppendWhole(csv, teeth);
    }
    if (rules)
      for (double value : GeometryValues(*rules, train)) {
        csv += ',';
        AppendShortest(csv, value);
      }
    csv += "\r\n";
    chunks.Next();
  }
}

std::string DesignCsv(const DesignQuery& query, const DesignResult& result) {
  return Collect([&](const DesignSink& sink) { WriteDesignCsv(query, result, sink); });
}

// The inputs, then the solutions one compact object a line, then the count and outcome.
// The document is written in pieces rather than built whole: a JSON tree of ten million
// trains would take many times the memory of the trains themselves.
void WriteDesignJson(const DesignQuery& query, const DesignResult& result, const DesignSink& sink) {
  using json = nlohmann::ordered_json;
  json doc;
  if (const auto& p = query.planetary) {
    const auto range = [&](int m) { return p->maxTeeth[m] > 0 ? json::array({p->minTeeth[m], p->maxTeeth[m]}) : json(nullptr); };
    json held = json::array(), input = json::array();
    for (Member m : p->held) held.push_back(MemberName(m));
    for (Member m : p->input) input.push_back(MemberName(m));
    doc["planetary"] = {{"kind", KindName(p->kind)}, {"sun", range(kSun)}, {"planet", range(kPlanet)},
                        {"planet2", range(kPlanet2)}, {"ring", range(kRing)}, {"ring2", range(kRing2)},
                        {"planets", {p->minPlanets, p->maxPlanets}}, {"held", held}, {"input", input},
                        {"spacing", p->anySpacing ? "any" : "even"}, {"one_module", p->oneModule},
                        {"module", static_cast<double>(p->moduleMicrons) / 1000},
                        {"clearance", static_cast<double>(p->clearanceMicrons) / 1000}};
    if (p->ProfileShift()) doc["planetary"]["profile_shift"] = static_cast<double>(p->maxShiftMillis) / 1000;
  } else if (query.stages > 0) {
    doc["stages"] = query.stages;
  } else {
    doc["configuration"] = {{"index", query.configuration},
                            {"name", std::string(Configuration(query.configuration).methodName)}};
  }
  doc["method"] = MethodName(query);
  if (!query.planetary) {
    doc["min_teeth"] = query.minTeeth;
    doc["max_teeth"] = query.maxTeeth;
  }
  doc["target"] = {{"text", query.targetText},
                   {"numerator", Whole(query.target.Numerator())},
                   {"denominator", Whole(query.target.Denominator())},
                   {"value", query.target.ToDouble()}};
  if (query.tolerance) {
    doc["range"] = {{"text", query.tolerance->text},
                    {"unit", UnitName(query.tolerance->unit)},
                    {"numerator", Whole(query.tolerance->amount.Numerator())},
                    {"denominator", Whole(query.tolerance->amount.Denominator())}};
  } else {
    doc["range"] = nullptr;
  }
  doc["options"] = {
      {"best", query.best},
      {"max_solutions", query.maxSolutions ? json(*query.maxSolutions) : json(nullptr)},
      {"sort", SortName(EffectiveSort(query))},
      {"distinct", DistinctName(query.distinct)},
      {"gears", query.ownedGears.empty() ? json(nullptr) : json(query.ownedGears)},
      {"hunting_tooth", query.huntingTooth},
      {"coaxial", query.coaxial}};
  std::optional<geometry::TrainRules> rules;
  if (const geometry::GeometryOptions& g = query.geometry; g.enabled && !query.planetary) {
    rules.emplace(g, StageCount(query), query.coaxial);
    json modules = json::array(), distances = json::array();
    for (const geometry::Exact& m : g.modules) modules.push_back(m.ToDouble());
    for (std::size_t s = 0; s < g.centreDistances.size(); ++s)
      if (g.centreDistances[s])
        distances.push_back({{"stage", s + 1}, {"value", g.centreDistances[s]->value.ToDouble()},
                             {"tolerance", g.centreDistances[s]->tolerance.ToDouble()}});
    const auto optional = [](const std::optional<double>& v) { return v ? json(*v) : json(nullptr); };
    doc["geometry"] = {{"modules", modules},
                       {"pressure_angles", g.pressureAngles},
                       {"centre_distances", distances},
                       {"equal_centre_distances", g.equalCentreDistances},
                       {"max_shift", optional(g.maxShift)},
                       {"clearance", g.clearance},
                       {"shafts", g.shafts},
                       {"fits", g.fits},
                       {"max_diameter", optional(g.maxDiameter)}};
  }

  Chunks chunks(sink);
  std::string& text = chunks.text();
  text = doc.dump(2);
  text.erase(text.rfind('}'));  // the closing brace comes after the solutions
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  text += ",\n  \"solutions\": [";
  bool first = true;
  for (const DesignTrain& train : result.trains) {
    json solution = {{"difference", train.dDifference},
                     {"relative_ppm", train.relativePpm},
                     {"reduction", train.dReduction},
                     {"numerator", train.reduction.num},
                     {"denominator", train.reduction.den}};
    if (query.planetary) {
      const std::vector<std::string> fields = PlanetaryFields(*query.planetary, train);
      for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string& name = PlanetaryFieldNames(*query.planetary)[i];
        const bool number = name != "kind" && name != "held" && name != "input" && name != "output" &&
                            name != "spacing" && name != "phase";
        const bool decimal = name.starts_with("shift_") || name == "centre_distance";
        solution[name] = fields[i].empty() ? json(nullptr)
                         : decimal         ? json(Decimal(fields[i]))
                         : number          ? json(std::stoi(fields[i]))
                                           : json(fields[i]);
      }
    } else {
      solution["variants"] = train.variants;
      solution["teeth"] = train.teeth;
    }
    if (rules) {
      const std::vector<std::string> names = GeometryNames(StageCount(query));
      const std::vector<double> values = GeometryValues(*rules, train);
      for (std::size_t i = 0; i < names.size(); ++i) solution[names[i]] = values[i];
    }
    text += first ? "\n    " : ",\n    ";
    text += solution.dump();
    first = false;
    chunks.Next();
  }
  text += first ? "],\n" : "\n  ],\n";
  const json closing = {{"count", result.trains.size()},
                        {"outcome", OutcomeName(result.outcome)},
                        {"stopped", result.stopped}};
  std::string tail = closing.dump(2);  // "{\n  \"count\": ...\n}"
  text += tail.substr(2);
  text += '\n';
}

std::string DesignJson(const DesignQuery& query, const DesignResult& result) {
  return Collect([&](const DesignSink& sink) { WriteDesignJson(query, result, sink); });
}

void WriteDesignText(const DesignQuery& query, const DesignResult& result, const DesignDate& date,
                     const DesignSink& sink) {
  Chunks chunks(sink);
  std::string& out = chunks.text();
  out = "Quenmar V1.01\nDate: ";
  text::AppendInteger(out, date.month, 0);
  out += '/';
  text::AppendInteger(out, date.day, 0);
  out += '/';
  text::AppendInteger(out, date.year, 0);
  out += '\n' + DesignSortLine(EffectiveSort(query)) + "\nMethod = " + MethodName(query);
  out += "\nTarget Reduction = ";
  text::AppendFixed(out, query.target.ToDouble(), 10, 3);
  out += "\nConvergence Range = +/- ";
  if (!query.tolerance) {
    out += "       any";
  } else if (query.tolerance->unit == Tolerance::Unit::Absolute) {
    text::AppendFixed(out, query.tolerance->amount.ToDouble(), 10, 5);
  } else {
    const std::string& written = query.tolerance->text;
    if (written.size() < 10) out.append(10 - written.size(), ' ');
    out += written;
  }
  out += "\nMaximum Number of Solutions = ";
  if (const auto limit = ListLimit(query))
    text::AppendInteger(out, *limit, 5);
  else
    out += " none";
  out += '\n' + (query.planetary ? PlanetaryColumnHeader(*query.planetary) : DesignColumnHeader(GearCount(query))) + '\n';
  for (const DesignTrain& train : result.trains) {
    out += (query.planetary ? FormatPlanetaryRow(*query.planetary, train, query.target)
                            : FormatDesignRow(train, query.target)) + '\n';
    chunks.Next();
  }
  out += CountLine(static_cast<int>(result.trains.size()));
  if (result.trains.empty()) out += kNoSolutionLine;
  if (ReachedMaximum(query, result)) out += kMaximumLine;
  if (result.stopped) out += kStoppedLine;
}

std::string DesignText(const DesignQuery& query, const DesignResult& result,
                       const DesignDate& date) {
  return Collect([&](const DesignSink& sink) { WriteDesignText(query, result, date, sink); });
}

}  // namespace quenmar::design
