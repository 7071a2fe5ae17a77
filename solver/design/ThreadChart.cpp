#include "ThreadChart.h"

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>

#include "TextFormat.h"

namespace quenmar::design {

namespace {

std::string LineMessage(std::size_t line, const std::string& message) {
  return "line " + std::to_string(line) + ": " + message;
}

// A line's fields split at blanks.
std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (true) {
    at = line.find_first_not_of(" \t", at);
    if (at == std::string_view::npos) return words;
    const std::size_t end = std::min(line.find_first_of(" \t", at), line.size());
    words.emplace_back(line.substr(at, end - at));
    at = end;
  }
}

// A CSV line's fields (quoted fields with "" for a quote; no line breaks inside), or
// nothing when a quote is left open.
std::optional<std::vector<std::string>> CsvFields(std::string_view line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  if (quoted) return {};
  for (std::string& f : fields) {
    const std::size_t a = f.find_first_not_of(" \t"), b = f.find_last_not_of(" \t");
    f = a == std::string::npos ? "" : f.substr(a, b - a + 1);
  }
  return fields;
}

// One target from its parts; a message without the line number otherwise.
Parsed<ChartTarget> MakeTarget(std::string name, std::string_view target, std::string_view tolerance,
                               const std::optional<LeadScrew>& lead, const std::optional<Tolerance>& fallback) {
  ChartTarget t;
  t.name = std::move(name);
  Parsed<ThreadTarget> parsed = ParseThreadTarget(target, lead);
  if (const auto* message = std::get_if<std::string>(&parsed)) return "the target " + *message;
  t.target = std::get<ThreadTarget>(parsed);
  t.tolerance = fallback;
  if (!tolerance.empty()) {
    Parsed<Tolerance> within = ParseTolerance(tolerance);
    if (const auto* message = std::get_if<std::string>(&within)) return "the tolerance " + *message;
    t.tolerance = std::get<Tolerance>(within);
  }
  if (auto problem = CheckChartTarget(t)) return *problem;
  return t;
}

std::string Teeth(const std::vector<int>& teeth) {
  std::string s;
  for (int n : teeth) text::AppendInteger(s, n, 5);
  return s;
}

std::string Method(const DesignQuery& query) {
  if (query.stages > 0)
    return "Free Train of " + std::to_string(query.stages) + (query.stages == 1 ? " Stage" : " Stages");
  return std::string(Configuration(query.configuration).methodName);
}

void AppendDouble(std::string& out, double value) {
  char buffer[32];
  out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17).ptr);
}

// The CSV and JSON fields of a row, in header order, as text (empty where none).
std::vector<std::string> Fields(const Chart& chart, const ChartRow& row) {
  const ChartTarget& t = chart.targets[row.target];
  const bool ratio = t.target.unit == PitchUnit::Ratio;
  std::vector<std::string> f{t.name, t.target.text, ratio ? "ratio" : UnitName(t.target.unit),
                             row.reached ? "true" : "false", row.train ? std::to_string(row.rank) : ""};
  const auto number = [](double v) {
    std::string s;
    AppendDouble(s, v + 0.0);
    return s;
  };
  f.push_back(row.train && !ratio ? number(row.cut.value) : "");
  f.push_back(row.train && !ratio ? number(row.cut.errorPercent) : "");
  if (!row.train) {
    f.resize(13);
    return f;
  }
  const DesignTrain& train = *row.train;
  f.insert(f.end(), {number(train.dDifference), number(train.relativePpm), number(train.dReduction),
                     std::to_string(train.reduction.num), std::to_string(train.reduction.den),
                     std::to_string(train.variants)});
  for (int n : train.teeth) f.push_back(std::to_string(n));
  return f;
}

const char* const kColumns[] = {"name", "target", "unit", "reached", "rank", "pitch_cut", "pitch_error_percent",
                                "difference", "relative_ppm", "reduction", "numerator", "denominator", "variants"};

std::string CsvQuoted(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string q = "\"";
  for (char c : field) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

}  // namespace

std::optional<std::string> CheckChartTarget(const ChartTarget& t) {
  if (t.target.exact) return {};
  const std::string what = "\"" + EscapeControls(t.target.text) + "\" is irrational (its pitch has pi in it)";
  if (!t.tolerance) return what + ", so it needs a tolerance (on its line or with --range)";
  if (t.tolerance->amount.IsZero()) return what + ": no train cuts it exactly, so its tolerance must be above 0";
  return {};
}

Parsed<std::vector<ChartTarget>> ParseTargetFile(std::string_view text, const std::optional<LeadScrew>& lead,
                                                 const std::optional<Tolerance>& tolerance) {
  std::vector<ChartTarget> targets;
  std::optional<std::size_t> nameColumn, targetColumn, toleranceColumn;
  bool csv = false, first = true;
  std::size_t number = 0;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
    if (first) {
      first = false;
      // CSV: a first line of column names, one of them "target".
      if (line.find(',') != std::string_view::npos) {
        const auto header = CsvFields(line);
        for (std::size_t i = 0; header && i < header->size(); ++i) {
          std::string name = (*header)[i];
          std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
          if (name == "name") nameColumn = i;
          if (name == "target") targetColumn = i;
          if (name == "tolerance") toleranceColumn = i;
        }
        if (!targetColumn)
          return LineMessage(number, "a CSV file of targets needs a header naming its columns, one of them "
                                     "\"target\" (and \"name\", \"tolerance\" if given)");
        csv = true;
        continue;
      }
    }
    Parsed<ChartTarget> target = std::string();
    if (csv) {
      const auto fields = CsvFields(line);
      if (!fields) return LineMessage(number, "a quoted field is not closed");
      const auto field = [&](const std::optional<std::size_t>& column) {
        return column && *column < fields->size() ? (*fields)[*column] : std::string();
      };
      target = MakeTarget(field(nameColumn), field(targetColumn), field(toleranceColumn), lead, tolerance);
    } else {
      // "[name] target [tolerance]": a first word that reads as a target is the target.
      const std::vector<std::string> words = Words(line);
      const bool named = words.size() == 3 ||
                         (words.size() == 2 && std::holds_alternative<std::string>(ParseThreadTarget(words[0], lead)) &&
                          std::holds_alternative<std::string>(ParseTarget(words[0])) &&
                          !std::holds_alternative<std::string>(ParseThreadTarget(words[1], lead)));
      if (words.size() > 3)
        return LineMessage(number, "a target line holds an optional name, the target and an optional tolerance, "
                                   "separated by blanks (" + std::to_string(words.size()) + " words here)");
      const std::size_t at = named ? 1 : 0;
      target = MakeTarget(named ? words[0] : "", words[at], at + 1 < words.size() ? words[at + 1] : "", lead,
                          tolerance);
    }
    if (const auto* message = std::get_if<std::string>(&target)) return LineMessage(number, *message);
    targets.push_back(std::get<ChartTarget>(std::move(target)));
  }
  if (targets.empty()) return std::string("holds no target");
  return targets;
}

std::size_t Chart::ReachedCount() const {
  std::size_t n = 0;
  for (std::size_t t = 0; t < targets.size(); ++t) n += Reached(t);
  return n;
}

bool Chart::Reached(std::size_t target) const {
  return std::any_of(rows.begin(), rows.end(), [&](const ChartRow& r) { return r.target == target && r.reached; });
}

namespace {

std::vector<DesignTarget> SearchTargets(const std::vector<ChartTarget>& targets, std::int64_t best) {
  std::vector<DesignTarget> search;
  for (const ChartTarget& t : targets) search.push_back({t.target.reduction, t.target.text, std::nullopt, best, {}});
  return search;
}

bool RowReached(const ChartTarget& t, const DesignTrain& train) {
  if (!t.tolerance) return train.side == 0;
  return WithinTolerance(train.reduction, t.target.reduction, *t.tolerance);
}

}  // namespace

std::optional<std::string> CheckChart(const DesignQuery& query, const std::vector<ChartTarget>& targets,
                                      std::int64_t best) {
  for (const ChartTarget& t : targets)
    if (auto problem = CheckChartTarget(t)) return problem;
  return CheckDesignTargets(query, SearchTargets(targets, best));
}

Chart RunChart(const DesignQuery& query, std::vector<ChartTarget> targets, const std::optional<LeadScrew>& lead,
               std::int64_t best, DesignOperations& operations, const std::atomic<bool>* stop, int threads) {
  Chart chart;
  chart.lead = lead;
  chart.best = best;
  // The K closest trains of a target are its K closest within its tolerance (or exactly on
  // it) whenever at least K lie there: every train beyond is farther, and ties keep their
  // loop order. So the bounded searches go first, one enumeration for all targets, which the
  // engine narrows to each target's window; the targets left short of K are searched again
  // without a bound, in a second enumeration for all of them. The rows are those of one
  // unbounded search per target.
  std::vector<DesignTarget> search = SearchTargets(targets, best);
  for (std::size_t i = 0; i < search.size(); ++i)
    search[i].tolerance = targets[i].tolerance.value_or(Tolerance{Tolerance::Unit::Absolute, Rational(0), "0"});
  chart.targets = std::move(targets);
  std::vector<DesignResult> results = RunDesignSearches(query, search, operations, stop, threads);
  std::vector<std::size_t> shortOfK;
  std::vector<DesignTarget> unbounded;
  for (std::size_t i = 0; i < results.size(); ++i)
    if (!results[i].stopped && static_cast<std::int64_t>(results[i].trains.size()) < best) {
      shortOfK.push_back(i);
      unbounded.push_back(search[i]);
      unbounded.back().tolerance.reset();
    }
  if (!unbounded.empty()) {
    std::vector<DesignResult> again = RunDesignSearches(query, unbounded, operations, stop, threads);
    for (std::size_t j = 0; j < again.size(); ++j) results[shortOfK[j]] = std::move(again[j]);
  }
  for (std::size_t i = 0; i < results.size(); ++i) {
    chart.stopped = chart.stopped || results[i].stopped;
    if (results[i].trains.empty()) chart.rows.push_back({i, 0, std::nullopt, false, {}});
    int rank = 0;
    for (const DesignTrain& train : results[i].trains) {
      const ChartTarget& t = chart.targets[i];
      chart.rows.push_back({i, ++rank, train, RowReached(t, train), CutBy(t.target, train)});
    }
  }
  return chart;
}

std::string ChartCsv(const DesignQuery& query, const Chart& chart) {
  std::string csv;
  for (const char* column : kColumns) csv += std::string(csv.empty() ? "" : ",") + column;
  for (int g = 1; g <= GearCount(query); ++g) csv += ",N" + std::to_string(g);
  csv += "\r\n";
  for (const ChartRow& row : chart.rows) {
    const std::vector<std::string> fields = Fields(chart, row);
    for (std::size_t i = 0; i < fields.size(); ++i) csv += (i ? "," : "") + CsvQuoted(fields[i]);
    csv += "\r\n";
  }
  return csv;
}

std::string ChartJson(const DesignQuery& query, const Chart& chart, std::string_view extra) {
  using json = nlohmann::ordered_json;
  std::string out = "{\n";
  if (!extra.empty()) (out += extra) += ",\n";
  const json head = {{"method", Method(query)},
                     {"lead_screw", chart.lead ? json(chart.lead->text) : json(nullptr)},
                     {"best", chart.best},
                     {"targets", chart.targets.size()},
                     {"reached", chart.ReachedCount()}};
  for (const auto& [key, value] : head.items()) out += "  " + json(key).dump() + ": " + value.dump() + ",\n";
  out += "  \"rows\": [";
  bool first = true;
  for (const ChartRow& row : chart.rows) {
    const std::vector<std::string> f = Fields(chart, row);
    json r = json::object();
    const auto number = [](const std::string& s) { return s.empty() ? json(nullptr) : json::parse(s); };
    r["name"] = f[0];
    r["target"] = f[1];
    r["unit"] = f[2];
    r["reached"] = row.reached;
    r["rank"] = row.train ? json(row.rank) : json(nullptr);
    for (std::size_t i = 5; i < 13; ++i) r[kColumns[i]] = number(f[i]);
    r["teeth"] = row.train ? json(row.train->teeth) : json::array();
    out += (first ? "\n    " : ",\n    ") + r.dump();
    first = false;
  }
  out += first ? "],\n" : "\n  ],\n";
  out += "  \"stopped\": " + std::string(chart.stopped ? "true" : "false") + "\n}\n";
  return out;
}

std::string ChartText(const DesignQuery& query, const Chart& chart) {
  std::string out = "Thread chart: " + Method(query);
  if (chart.lead) out += ", lead screw " + chart.lead->text;
  out += ", best " + std::to_string(chart.best) + " per target\nReached: " + std::to_string(chart.ReachedCount()) +
         " of " + std::to_string(chart.targets.size()) + " targets\n";
  const std::string columns = "  rank  reached     pitch cut    error %    difference     reduction";
  std::size_t last = chart.targets.size();
  for (const ChartRow& row : chart.rows) {
    const ChartTarget& t = chart.targets[row.target];
    const bool ratio = t.target.unit == PitchUnit::Ratio;
    if (row.target != last) {
      last = row.target;
      out += '\n';
      if (!t.name.empty()) out += t.name + "  ";
      out += t.target.text + "  reduction ";
      const Rational& r = t.target.reduction;
      out += t.target.exact ? r.Numerator() + (r.Denominator() == "1" ? "" : "/" + r.Denominator()) + " = " : "~ ";
      text::AppendGeneral(out, r.ToDouble(), 10);
      out += t.tolerance ? ", within " + t.tolerance->text : ", exactly";
      out += chart.Reached(row.target) ? ": reached\n" : ": NOT REACHED\n";
      if (row.train) {
        out += columns;
        for (int g = 1; g <= GearCount(query); ++g) {
          const std::string n = "N" + std::to_string(g);
          out += std::string(5 - std::min<std::size_t>(4, n.size()), ' ') + n;
        }
        out += '\n';
      }
    }
    if (!row.train) {
      out += "  no train of these gears\n";
      continue;
    }
    text::AppendInteger(out, row.rank, 6);
    out += row.reached ? "  yes    " : "  no     ";
    if (ratio) {
      out += std::string(14, ' ') + std::string(11, ' ');
    } else {
      text::AppendFixed(out, row.cut.value, 14, 6);
      const std::string error = (row.cut.errorPercent < 0 ? "-" : "+") + text::Fixed(std::abs(row.cut.errorPercent), 0, 5);
      out += std::string(11 - std::min<std::size_t>(10, error.size()), ' ') + error;
    }
    out += "  ";
    text::AppendFixed(out, row.train->dDifference, 12, 9);
    text::AppendFixed(out, row.train->dReduction, 14, 9);
    out += Teeth(row.train->teeth) + '\n';
  }
  if (chart.stopped) out += "\nThe search was stopped: the chart holds what was found so far.\n";
  return out;
}

}  // namespace quenmar::design
