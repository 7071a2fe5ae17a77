#include "DesignCommand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <memory>
#include <numbers>
#include <ostream>
#include <thread>
#include <vector>

#include "DesignFormat.h"
#include "DesignInput.h"
#include "DesignSearch.h"
#include "DesignSetup.h"
#include "ChartCommand.h"
#include "OutlineExport.h"
#include "PlanetaryFormat.h"
#include "PlanetaryOptions.h"
#include "ProgressBar.h"
#include "ResultsFile.h"
#include "SearchSolutions.h"
#include "TextFormat.h"

namespace quenmar::cli {

std::optional<std::string> ReadSmallFile(const std::string& path, std::string& content) {
  constexpr std::size_t kLargestFile = std::size_t{1} << 20;
  const auto failed = [&path](int error) {
    return "cannot read " + design::EscapeControls(path) + ": " + std::strerror(error);
  };
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return failed(errno);
  content.assign(kLargestFile + 1, '\0');
  errno = 0;
  content.resize(std::fread(content.data(), 1, content.size(), file));
  const int error = std::ferror(file) ? (errno ? errno : EIO) : 0;
  std::fclose(file);
  if (error) return failed(error);
  if (content.size() > kLargestFile) return "cannot read " + design::EscapeControls(path) + ": larger than 1 MiB";
  return {};
}

namespace {

using namespace quenmar::design;
using namespace quenmar::design::options;

constexpr const char* kProgram = "quenmar-solve";
constexpr std::int64_t kLargestCount = 10'000'000;
constexpr int kDefaultMin = 10, kDefaultMax = 25;  // the form's start-up limits
// Searches estimated to take longer run only with --force.
constexpr double kLongestUnforced = 30 * 60;

std::string Threads(int threads) {
  const int n = threads > 0 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  return std::to_string(n) + (n == 1 ? " thread" : " threads");
}

enum class Format { Text, Csv, Json };

struct Plan {
  DesignQuery query;
  std::optional<ChartInputs> chart;  // a setup in Targets mode: its targets and lead screw
  Format format = Format::Text;
  geometry::OutlineFormat outlineFormat = geometry::OutlineFormat::Svg;
  double kerf = 0;
};

// n whole numbers 1..500 separated by commas.
std::optional<std::vector<int>> ParseTeeth(const std::string& text, int n) {
  std::vector<int> teeth;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    const auto value = ParseCount(std::string_view(text).substr(start, comma - start), 1, kMaxTeeth);
    if (!value) return {};
    teeth.push_back(static_cast<int>(*value));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (static_cast<int>(teeth.size()) != n) return {};
  return teeth;
}

std::string TeethAccepted(const std::string& option, int stages) {
  if (stages == 0)
    return option + " accepts six whole numbers from 1 to 500 (N1..N6), separated by commas";
  const std::string n = std::to_string(2 * stages);
  return option + " accepts " + n + " whole numbers from 1 to 500 (N1..N" + n + ", as --stages " +
         std::to_string(stages) + " asks), separated by commas";
}


// The owned gears: a list on the command line, or @FILE.
Parsed<std::vector<int>> ReadGears(const std::string& text) {
  if (text.empty() || text.front() != '@') return ParseGearList(text);
  std::string content;
  if (auto problem = ReadSmallFile(text.substr(1), content)) return *problem;
  return ParseGearFile(content);
}

// A setup saved by quenmar-design, read as the window reads it: one setup, one query, and
// in Targets mode the chart's targets and lead screw, as the window charts them.
std::optional<std::string> ReadSetupFile(const std::string& path, DesignQuery& query,
                                         std::optional<ChartInputs>& chart) {
  if (path.empty()) return "--setup accepts a file name, not an empty one";
  std::string content;
  if (auto problem = ReadSmallFile(path, content)) return "--setup " + *problem;
  const std::string where = "--setup " + EscapeControls(path) + ": ";
  const auto parsed = SetupFromJson(content);
  if (const auto* message = std::get_if<std::string>(&parsed)) return where + *message;
  const DesignSetup& saved = std::get<DesignSetup>(parsed);
  const DesignSetup setup = saved.targetsMode ? ChartPart(saved) : saved;
  const SetupReading reading = ReadSetup(setup);
  if (reading.query) {
    query = *reading.query;
    if (!saved.targetsMode) return {};
    const TargetRowsReading rows = ReadTargetRows(saved.leadScrew, saved.targets, ChartFallbackTolerance(setup, reading));
    if (auto problem = rows.Problem()) return where + *problem;
    chart = ChartInputs{rows.lead, rows.targets};
    return {};
  }
  // Each problem as the window shows it beside its input, named by the setup's key.
  const SetupProblems& p = reading.problems;
  const std::pair<const char*, const std::string*> fields[] = {
      {"", &p.teeth},           {"target", &p.target}, {"tolerance", &p.tolerance},
      {"ownedGears", &p.ownedGears}, {"module", &p.module}, {"pressureAngle", &p.pressureAngle},
      {"centreDistance", &p.centreDistance}, {"profileShift", &p.profileShift}, {"shaft", &p.shaft},
      {"clearance", &p.clearance}, {"maxDiameter", &p.maxDiameter}, {"", &p.planetary}, {"", &p.query}};
  for (const auto& [key, message] : fields) {
    if (message->empty()) continue;
    if (!*key) return where + *message;
    return where + "\"" + key + "\"" + (message->starts_with("accepts ") ? " " : ": ") + *message;
  }
  return where + "not a setup";
}

std::optional<std::string> ReadFormat(const DesignOptions& o, Plan& plan) {
  if (!o.format) return {};
  if (*o.format == "text") plan.format = Format::Text;
  else if (*o.format == "csv") plan.format = Format::Csv;
  else if (*o.format == "json") plan.format = Format::Json;
  else return "--format accepts text, csv or json";
  if (o.list && plan.format != Format::Text)
    return "--list prints text rows; it cannot be combined with --format " + *o.format;
  return {};
}

// A decimal as written, within [low, high], or (low, high] where low itself is refused.
std::optional<double> ParseLength(std::string_view text, double low, double high, bool lowAllowed = true) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || !(value <= high) ||
      !(value > low || (lowAllowed && value == low)))
    return {};
  return value;
}

// "S=VALUE" or "S=VALUE±TOL" (also written +-), or "equal".
std::optional<std::string> ParseCentreDistances(const std::string& text, int stages, geometry::GeometryOptions& g) {
  const std::string accepts = "--centre-distance accepts equal, or S=VALUE or S=VALUE\u00b1TOL for a stage S "
                              "from 1 to " + std::to_string(stages) + " (mm, such as 1=50 or 2=40.5\u00b10.1), "
                              "separated by commas";
  const auto items = ParseList<std::string>(text, [](std::string item) { return std::optional(item); });
  for (const std::string& item : *items) {
    if (item == "equal") {
      g.equalCentreDistances = true;
      continue;
    }
    const std::size_t equals = item.find('=');
    const auto stage = ParseCount(std::string_view(item).substr(0, equals), 1, stages);
    if (equals == std::string::npos || !stage) return accepts;
    std::string_view rest = std::string_view(item).substr(equals + 1), tolerance = "0";
    for (std::string_view sign : {"\u00b1", "+-"})
      if (const std::size_t at = rest.find(sign); at != std::string_view::npos) {
        tolerance = rest.substr(at + sign.size());
        rest = rest.substr(0, at);
        break;
      }
    const auto value = ParseExact(rest, 1e5), within = ParseExact(tolerance, 1e5, true);
    if (!value || !within) return accepts;
    g.centreDistances.resize(std::max<std::size_t>(g.centreDistances.size(), *stage));
    g.centreDistances[*stage - 1] = geometry::CentreDistance{*value, *within};
  }
  if (g.equalCentreDistances && std::any_of(g.centreDistances.begin(), g.centreDistances.end(), [](const auto& c) {
        return c && c->tolerance.num != 0;
      }))
    return "--centre-distance equal takes one value for every stage, without a tolerance (such as equal,1=50)";
  return {};
}

// The geometric options into the query, and where the outlines go.
std::optional<std::string> ParseGeometry(const DesignOptions& o, Plan& plan) {
  geometry::GeometryOptions& g = plan.query.geometry;
  const int stages = StageCount(plan.query);
  const std::string k = std::to_string(stages), shafts = std::to_string(stages + 1);
  g.enabled = o.module || o.pressureAngle || o.centreDistance || o.profileShift || o.clearance || o.shaft ||
              o.maxDiameter || o.fits;
  const auto counted = [&](const auto& list, std::size_t per) { return list && (list->size() == 1 || list->size() == per); };
  if (o.module) {
    const auto modules = ParseList<geometry::Exact>(*o.module, [](const std::string& t) { return ParseExact(t, 100); });
    if (!counted(modules, stages))
      return "--module accepts one module for every stage or one per stage (" + k +
             "), each a decimal or a fraction A/B above 0 and up to 100 mm, separated by commas";
    g.modules = *modules;
  }
  if (o.pressureAngle) {
    const auto angles = ParseList<double>(*o.pressureAngle, [](const std::string& t) { return ParseLength(t, 10, 30); });
    if (!counted(angles, stages))
      return "--pressure-angle accepts one angle for every stage or one per stage (" + k + "), each 10 to 30 degrees";
    g.pressureAngles = *angles;
  }
  if (o.centreDistance)
    if (auto problem = ParseCentreDistances(*o.centreDistance, stages, g)) return problem;
  if (o.profileShift) {
    g.maxShift = o.profileShift->empty() ? std::optional(1.0) : ParseLength(*o.profileShift, 0, 2);
    if (!g.maxShift) return "--profile-shift accepts the largest shift of a gear, 0 to 2 (1 when given alone)";
  }
  if (o.clearance) {
    const auto c = ParseLength(*o.clearance, 0, 1000);
    if (!c) return "--clearance accepts a distance from 0 to 1000 mm";
    g.clearance = *c;
  }
  if (o.shaft) {
    const auto diameters = ParseList<double>(*o.shaft, [](const std::string& t) { return ParseLength(t, 0, 1000, false); });
    if (!counted(diameters, stages + 1))
      return "--shaft accepts one diameter for every shaft or one per shaft (" + shafts +
             ", the input's first), each above 0 and up to 1000 mm";
    g.shafts = *diameters;
  }
  if (o.maxDiameter) {
    g.maxDiameter = ParseLength(*o.maxDiameter, 0, 1e5, false);
    if (!g.maxDiameter) return "--max-diameter accepts a diameter above 0 and up to 100000 mm";
  }
  g.fits = o.fits;
  if ((o.outlineFormat || o.kerf) && !o.outlines)
    return std::string(o.kerf ? "--kerf" : "--outline-format") + " needs --outlines DIR, where the outlines go";
  if (o.outlineFormat) {
    if (*o.outlineFormat == "svg") plan.outlineFormat = geometry::OutlineFormat::Svg;
    else if (*o.outlineFormat == "dxf") plan.outlineFormat = geometry::OutlineFormat::Dxf;
    else return "--outline-format accepts svg or dxf";
  }
  if (o.kerf) {
    const auto kerf = ParseLength(*o.kerf, 0, 2);
    // The tightest curve of an outline is its root fillet, rounded as the rack's tip.
    double smallest = 2;
    for (int s = 0; s < stages; ++s) {
      const double module = g.modules.empty() ? 1.0 : g.modules[g.modules.size() == 1 ? 0 : s].ToDouble();
      const double angle = g.pressureAngles.empty() ? 20.0 : g.pressureAngles[g.pressureAngles.size() == 1 ? 0 : s];
      smallest = std::min(smallest, 2 * geometry::GearCut{1, module, angle * std::numbers::pi / 180}.RackRounding());
    }
    if (!kerf || *kerf >= smallest)
      return "--kerf accepts a width from 0 to 2 mm, below " + text::General(smallest, 6) +
             " mm here (twice the smallest root rounding)";
    plan.kerf = *kerf;
  }
  if (o.outlines) {
    struct stat folder {};
    const char* reason = nullptr;
    if (o.outlines->empty() || ::stat(o.outlines->c_str(), &folder) != 0) reason = std::strerror(o.outlines->empty() ? ENOENT : errno);
    else if (!S_ISDIR(folder.st_mode)) reason = std::strerror(ENOTDIR);
    else if (::access(o.outlines->c_str(), W_OK | X_OK) != 0) reason = std::strerror(errno);
    if (reason) return "--outlines cannot write to " + EscapeControls(*o.outlines) + ": " + reason;
  }
  return {};
}

// A planetary train's own options into the query (with the owned gears, which it reads
// the same way as other trains); the options of compound trains are refused.
std::optional<std::string> ReadPlanetary(const DesignOptions& o, DesignQuery& q) {
  PlanetaryQuery& p = q.planetary.emplace();
  if (!PlanetaryKindNamed(*o.planetary)) return "--planetary accepts simple, stepped or wolfrom";
  const std::pair<const char*, bool> compound[] = {
      {"--config", o.configuration.has_value()}, {"--stages", o.stages.has_value()}, {"--min", o.min.has_value()},
      {"--max", o.max.has_value()}, {"--coaxial", o.coaxial}, {"--pressure-angle", o.pressureAngle.has_value()},
      {"--centre-distance", o.centreDistance.has_value()}, {"--shaft", o.shaft.has_value()}, {"--max-diameter", o.maxDiameter.has_value()}, {"--fits", o.fits},
      {"--outlines", o.outlines.has_value()}, {"--outline-format", o.outlineFormat.has_value()},
      {"--kerf", o.kerf.has_value()}};
  for (const auto& [option, given] : compound)
    if (given) return std::string(option) + " does not apply to --planetary trains (their teeth are given by --sun, --planet and --ring)";
  const PlanetaryTexts texts{*o.planetary, o.sun, o.planet, o.ring, o.planets, o.held, o.input,
                             o.spacing, o.module, o.clearance, o.oneModule, o.profileShift};
  if (auto problem = ReadPlanetaryTexts(texts, p)) return problem;
  if (o.gears) {
    auto parsed = ReadGears(*o.gears);
    if (const auto* message = std::get_if<std::string>(&parsed)) return "--gears " + *message;
    q.ownedGears = std::get<std::vector<int>>(parsed);
  }
  return {};
}

// Every option into one query; the first problem found is the message.
std::optional<std::string> BuildPlan(const DesignOptions& o, Plan& plan) {
  DesignQuery& q = plan.query;
  if (o.setup) {
    if (auto problem = ReadSetupFile(*o.setup, q, plan.chart)) return problem;
    return ReadFormat(o, plan);
  }
  if (o.planetary) {
    if (auto problem = ReadPlanetary(o, q)) return problem;
  } else {
    const std::pair<const char*, bool> planetary[] = {
        {"--sun", o.sun.has_value()},         {"--planet", o.planet.has_value()}, {"--ring", o.ring.has_value()},
        {"--planets", o.planets.has_value()}, {"--held", o.held.has_value()},     {"--input", o.input.has_value()},
        {"--spacing", o.spacing.has_value()}, {"--one-module", o.oneModule}};
    for (const auto& [option, given] : planetary)
      if (given) return std::string(option) + " needs --planetary KIND (simple, stepped or wolfrom)";
    if (o.stages) {
      const auto k = ParseCount(*o.stages, 1, kMaxStages);
      if (!k) return "--stages accepts a whole number of stages from 1 to 6";
      if (o.configuration)
        return "--stages cannot be combined with --config (a free train of stages has no configuration)";
      q.stages = static_cast<int>(*k);
    } else {
      q.configuration = o.configuration.value_or(kStartupConfiguration);
    }
    const int gears = q.stages > 0 ? 2 * q.stages : kGearCount;

    std::vector<int> owned;
    if (o.gears) {
      auto parsed = ReadGears(*o.gears);
      if (const auto* message = std::get_if<std::string>(&parsed)) return "--gears " + *message;
      owned = std::get<std::vector<int>>(parsed);
    }
    // With owned gears and no limits, every gear may be any of the set.
    // The gears a chart may buy or build with count as owned for the limits.
    std::vector<int> spanned = owned;
    for (const auto& list : {o.candidates, o.require}) {
      const auto counts = list ? ParseCandidates(*list) : Parsed<std::vector<int>>(std::vector<int>());
      if (const auto* c = std::get_if<std::vector<int>>(&counts)) spanned.insert(spanned.end(), c->begin(), c->end());
    }
    const int lowest = spanned.empty() ? kDefaultMin : *std::min_element(spanned.begin(), spanned.end());
    const int highest = spanned.empty() ? kDefaultMax : *std::max_element(spanned.begin(), spanned.end());
    q.minTeeth.assign(gears, lowest);
    q.maxTeeth.assign(gears, highest);
    if (o.min) {
      const auto teeth = ParseTeeth(*o.min, gears);
      if (!teeth) return TeethAccepted("--min", q.stages);
      q.minTeeth = *teeth;
    }
    if (o.max) {
      const auto teeth = ParseTeeth(*o.max, gears);
      if (!teeth) return TeethAccepted("--max", q.stages);
      q.maxTeeth = *teeth;
    }
    if (q.stages == 0) {
      // As the form's configuration switch leaves them: unused gears at minimum 10.
      Teeth minimum{};
      std::copy(q.minTeeth.begin(), q.minTeeth.end(), minimum.begin());
      ApplyDummyTeeth(q.configuration, minimum);
      q.minTeeth.assign(minimum.begin(), minimum.end());
    }
    q.ownedGears = std::move(owned);
  }

  // A chart reads its targets itself (they may be threads); the query's own is unused.
  const bool chart = IsChart(o);
  q.targetText = chart ? "1" : o.target.value_or("3.624");
  auto target = ParseTarget(q.targetText);
  if (const auto* message = std::get_if<std::string>(&target)) return "--target " + *message;
  q.target = std::get<Rational>(target);

  if (o.range) {
    auto range = ParseTolerance(*o.range);
    if (const auto* message = std::get_if<std::string>(&range)) return "--range " + *message;
    q.tolerance = std::get<Tolerance>(range);
  }
  if (o.maxSolutions) {
    q.maxSolutions = ParseCount(*o.maxSolutions, 0, kLargestCount);
    if (!q.maxSolutions) return "--max-solutions accepts a whole number from 0 to 10000000";
  }
  if (o.best) {
    const auto k = ParseCount(*o.best, 1, kLargestCount);
    if (!k) return "--best accepts a whole number from 1 to 10000000";
    q.best = *k;
  }

  q.sort = o.list ? SortOrder::Text : SortOrder::Found;
  if (o.sort) {
    if (*o.sort == "found") q.sort = SortOrder::Found;
    else if (*o.sort == "text") q.sort = SortOrder::Text;
    else if (*o.sort == "difference") q.sort = SortOrder::Difference;
    else return "--sort accepts found, text or difference";
    if (q.best > 0 && q.sort != SortOrder::Difference)
      return "--sort " + *o.sort + " contradicts --best, which lists the trains by difference";
  }
  if (q.best > 0) q.sort = SortOrder::Difference;

  if (o.distinct) {
    if (*o.distinct == "meshes") q.distinct = Distinct::Meshes;
    else if (*o.distinct == "gears") q.distinct = Distinct::Gears;
    else return "--distinct accepts meshes or gears";
  }
  if (auto problem = ReadFormat(o, plan)) return problem;
  q.huntingTooth = o.huntingTooth;
  q.coaxial = o.coaxial;
  if (!q.planetary)
    if (auto problem = ParseGeometry(o, plan)) return problem;

  if (chart && q.best == 0) q.best = 1;
  // The form's defaults where a run lists every train within a range.
  if (q.best == 0) {
    if (!q.tolerance) q.tolerance = std::get<Tolerance>(ParseTolerance("0.01"));
    if (!q.maxSolutions) q.maxSolutions = 100;
  }
  return CheckDesignQuery(q);
}

// Progress on a terminal; rows are taken from the result at the end.
class TerminalOperations : public DesignOperations {
 public:
  TerminalOperations(bool drawBar, std::ostream& err) : drawBar_(drawBar), err_(err) {}
  void Progress(const DesignProgress& progress) override {
    if (!drawBar_) return;
    DrawProgressBar(err_, progress.percent, progress.elapsedSeconds > 3 ? progress.secondsLeft : -1);
    drawn_ = true;
  }
  void FinishBar() {
    if (drawn_) err_ << '\n' << std::flush;
  }

 private:
  bool drawBar_;
  std::ostream& err_;
  bool drawn_ = false;
};

// The run's output in the chosen format, handed to `sink` piece by piece.
void WriteOutput(const Plan& plan, const DesignResult& result, bool list, const CalendarDate& date,
                 const DesignSink& sink) {
  switch (plan.format) {
    case Format::Csv: return WriteDesignCsv(plan.query, result, sink);
    case Format::Json: return WriteDesignJson(plan.query, result, sink);
    case Format::Text: break;
  }
  if (!list) return WriteDesignText(plan.query, result, {date.day, date.month, date.year}, sink);
  std::string rows;
  for (const DesignTrain& train : result.trains) {
    rows += (plan.query.planetary ? FormatPlanetaryRow(*plan.query.planetary, train, plan.query.target)
                                  : FormatDesignRow(train, plan.query.target)) + '\n';
    if (rows.size() >= 64 * 1024) {
      sink(rows);
      rows.clear();
    }
  }
  if (!rows.empty()) sink(rows);
}

// The outlines of the first listed train, one file per gear and the train's, each
// replacing its file only once all of them are written. Nothing when no train is listed.
std::optional<std::string> WriteOutlines(const Plan& plan, const DesignResult& result, const std::string& folder) {
  if (result.trains.empty()) return std::nullopt;
  const geometry::TrainRules rules(plan.query.geometry, StageCount(plan.query), plan.query.coaxial);
  const geometry::TrainGeometry train = rules.Evaluate(result.trains.front().teeth.data());
  for (std::size_t g = 0; g < train.gears.size(); ++g) {
    // A gear too small for its bore cannot be cut; --fits lists none.
    const geometry::GearCut& cut = train.gears[g].cut;
    const double bore = train.shaftDiameters[train.gears[g].shaft];
    if (!(cut.RootRadius() > bore / 2) || !(bore > plan.kerf))
      return "no outlines written: N" + std::to_string(g + 1) + " (" + std::to_string(cut.teeth) +
             " teeth) cannot hold its " + text::General(bore, 6) + " mm bore" +
             (bore > plan.kerf ? " inside its root circle" : " after the kerf") + " (--fits lists only trains that can)";
  }
  const auto files = geometry::TrainOutlineFiles(train, plan.outlineFormat, plan.kerf);
  std::vector<std::unique_ptr<ResultsFileWriter>> writers;
  for (const geometry::OutlineFile& file : files) {
    writers.push_back(std::make_unique<ResultsFileWriter>());
    if (const FileStatus opened = writers.back()->Open(folder + "/" + file.name); !opened.ok())
      return "cannot write " + opened.message();
    writers.back()->WriteText(file.text);
  }
  for (const auto& writer : writers)
    if (const FileStatus closed = writer->Close(); !closed.ok()) return "cannot write " + closed.message();
  return std::nullopt;
}

}  // namespace

int RunDesignSolve(const DesignOptions& options, std::ostream& out, std::ostream& err,
                   const SolveEnvironment& env) {
  Plan plan;
  if (const auto problem = BuildPlan(options, plan)) {
    err << kProgram << ": " << *problem << '\n';
    return 2;
  }

  // A search that would take hours is refused unless asked for: say how long, and what
  // to narrow.
  if (!options.force) {
    const DesignEstimate estimate = EstimateDesignSearch(plan.query, options.threads);
    if (estimate.seconds > kLongestUnforced) {
      err << kProgram << ": this search would take about " << Duration(estimate.seconds) << " on "
          << Threads(options.threads) << " (" << text::General(estimate.combinations, 2)
          << " combinations of teeth): narrow the ranges of " << estimate.narrow
          << ", or add --force to run it anyway\n";
      return 2;
    }
  }

  if (plan.chart || IsChart(options))
    return RunChartSolve(options, plan.query, out, err, env, plan.chart ? &*plan.chart : nullptr);

  // The file is opened before the search, so that a path that cannot be written is
  // reported at once rather than after a long run.
  ResultsFileWriter file;
  if (!options.output.empty()) {
    if (const FileStatus opened = file.Open(options.output); !opened.ok()) {
      err << kProgram << ": cannot write " << opened.message() << '\n';
      return 1;
    }
  }
  const TemporaryFileNotice notice(env, file);

  TerminalOperations ops(env.progressBar, err);
  const DesignResult result = RunDesignSearch(plan.query, ops, env.stopRequested, options.threads);
  ops.FinishBar();

  // Every byte of the output goes through this one sink: the file, or standard output.
  const DesignSink sink = [&](std::string_view piece) {
    if (file.isOpen())
      file.WriteText(piece);
    else
      out << piece;
  };
  WriteOutput(plan, result, options.list, options.date, sink);
  if (file.isOpen()) {
    if (const FileStatus closed = file.Close(); !closed.ok()) {
      err << kProgram << ": cannot write " << closed.message() << '\n';
      return 1;
    }
  }
  if (options.outlines) {
    if (const auto problem = WriteOutlines(plan, result, *options.outlines)) {
      err << kProgram << ": " << *problem << '\n';
      return 1;
    }
  }
  // --list and CSV hold rows only, so the note that the list is partial goes to stderr.
  if ((options.list || plan.format == Format::Csv) && result.stopped)
    err << kProgram << ": the search was stopped before it finished\n";
  out.flush();
  return result.stopped ? 130 : 0;
}

}  // namespace quenmar::cli
