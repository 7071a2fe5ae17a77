#include "ChartCommand.h"

#include <charconv>
#include <cmath>
#include <ostream>

#include "ProgressBar.h"
#include "ResultsFile.h"
#include "ThreadChart.h"

namespace quenmar::cli {

namespace {

using namespace quenmar::design;

constexpr const char* kProgram = "quenmar-solve";

std::optional<int> Whole(std::string_view text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return {};
  return value;
}

class TerminalProgress : public DesignOperations {
 public:
  TerminalProgress(bool draw, std::ostream& err) : draw_(draw), err_(err) {}
  ~TerminalProgress() override {
    if (drawn_) err_ << '\n' << std::flush;
  }
  void Progress(const DesignProgress& progress) override {
    if (!draw_) return;
    DrawProgressBar(err_, progress.percent, progress.elapsedSeconds > 3 ? progress.secondsLeft : -1);
    drawn_ = true;
  }

 private:
  bool draw_;
  std::ostream& err_;
  bool drawn_ = false;
};

enum class Format { Text, Csv, Json };

std::string Join(const std::vector<int>& gears) {
  std::string s;
  for (int g : gears) s += (s.empty() ? "" : ", ") + std::to_string(g);
  return s;
}

// The targets from --targets FILE or the one --target; a message otherwise.
Parsed<std::vector<ChartTarget>> ReadTargets(const DesignOptions& o, const std::optional<LeadScrew>& lead,
                                             const std::optional<Tolerance>& tolerance) {
  if (o.targets) {
    if (o.target) return std::string("--targets cannot be combined with --target (the file lists the targets)");
    std::string content;
    if (auto problem = ReadSmallFile(*o.targets, content)) return "--targets " + *problem;
    auto targets = ParseTargetFile(content, lead, tolerance);
    if (const auto* message = std::get_if<std::string>(&targets))
      return "--targets " + EscapeControls(*o.targets) + ": " + *message;
    return targets;
  }
  ChartTarget one;
  one.tolerance = tolerance;
  auto target = ParseThreadTarget(o.target.value_or("3.624"), lead);
  if (const auto* message = std::get_if<std::string>(&target)) return "--target " + *message;
  one.target = std::get<ThreadTarget>(target);
  if (auto problem = CheckChartTarget(one)) return "--target " + *problem;
  return std::vector<ChartTarget>{one};
}

// What a chart cannot be combined with.
std::optional<std::string> Refused(const DesignOptions& o) {
  const std::pair<bool, const char*> refused[] = {
      {o.list, "--list"}, {o.maxSolutions.has_value(), "--max-solutions"}, {o.outlines.has_value(), "--outlines"},
      {o.sort && *o.sort != "difference", "--sort"}};
  for (const auto& [given, name] : refused)
    if (given) return std::string(name) + " cannot be combined with a chart (its rows are each target's best trains)";
  if (o.buy && o.cover) return std::string("--buy cannot be combined with --cover (choose one question)");
  if (o.candidates && !o.buy && !o.cover) return std::string("--candidates needs --buy or --cover");
  for (const auto& [given, name] : {std::pair{o.maxCopies.has_value(), "--max-copies"},
                                    std::pair{o.require.has_value(), "--require"},
                                    std::pair{o.timeLimit.has_value(), "--time-limit"}})
    if (given && !o.cover) return std::string(name) + " needs --cover";
  return {};
}

}  // namespace

bool IsChart(const DesignOptions& o) {
  if (o.leadScrew || o.targets || o.buy || o.cover || o.candidates) return true;
  // A target with a unit is a thread.
  return o.target && HasPitchUnit(*o.target);
}

int RunChartSolve(const DesignOptions& o, const DesignQuery& query, std::ostream& out, std::ostream& err,
                  const SolveEnvironment& env, const ChartInputs* given) {
  const auto fail = [&err](const std::string& message) {
    err << kProgram << ": " << message << '\n';
    return 2;
  };
  if (auto problem = Refused(o)) return fail(*problem);
  Format format = Format::Text;
  if (o.format) format = *o.format == "csv" ? Format::Csv : *o.format == "json" ? Format::Json : Format::Text;

  std::optional<LeadScrew> lead;
  if (o.leadScrew) {
    auto parsed = ParseLeadScrew(*o.leadScrew);
    if (const auto* message = std::get_if<std::string>(&parsed)) return fail("--lead-screw " + *message);
    lead = std::get<LeadScrew>(parsed);
  }
  if (given) lead = given->lead;
  auto targets = given ? Parsed<std::vector<ChartTarget>>(given->targets) : ReadTargets(o, lead, query.tolerance);
  if (const auto* message = std::get_if<std::string>(&targets)) return fail(*message);
  std::vector<ChartTarget>& chartTargets = std::get<std::vector<ChartTarget>>(targets);
  if (auto problem = CheckChart(query, chartTargets, query.best)) return fail(*problem);

  std::vector<int> candidates;
  int buy = 0;
  if (o.buy) {
    const auto k = Whole(*o.buy, 1, 3);
    if (!k) return fail("--buy accepts 1, 2 or 3 gears to buy");
    buy = *k;
    if (o.candidates) {
      auto parsed = ParseCandidates(*o.candidates);
      if (const auto* message = std::get_if<std::string>(&parsed)) return fail("--candidates " + *message);
      candidates = std::get<std::vector<int>>(parsed);
    }
    if (auto problem = CheckPurchase(query, buy, candidates)) return fail(*problem);
  }

  CoverOptions cover;
  if (o.cover) {
    if (o.candidates) {
      auto parsed = ParseCandidates(*o.candidates);
      if (const auto* message = std::get_if<std::string>(&parsed)) return fail("--candidates " + *message);
      cover.candidates = std::get<std::vector<int>>(parsed);
    }
    if (o.require) {
      auto parsed = ParseGearList(*o.require);
      if (const auto* message = std::get_if<std::string>(&parsed)) return fail("--require " + *message);
      cover.required = std::get<std::vector<int>>(parsed);
    }
    if (o.maxCopies) {
      const auto copies = Whole(*o.maxCopies, 1, kMostCopies);
      if (!copies) return fail("--max-copies accepts 1 to " + std::to_string(kMostCopies) + " gears of one count");
      cover.maxCopies = *copies;
    }
    if (o.timeLimit) {
      const auto seconds = Whole(*o.timeLimit, 1, 86400);
      if (!seconds) return fail("--time-limit accepts a whole number of seconds from 1 to 86400");
      cover.timeLimit = *seconds;
    }
    if (auto problem = CheckCover(query, cover)) return fail(*problem);
  }

  ResultsFileWriter file;
  if (!o.output.empty()) {
    if (const FileStatus opened = file.Open(o.output); !opened.ok()) {
      err << kProgram << ": cannot write " << opened.message() << '\n';
      return 1;
    }
  }
  const TemporaryFileNotice notice(env, file);

  std::string text, extraJson;
  bool stopped = false;
  Chart chart;
  {
    TerminalProgress progress(env.progressBar, err);
    if (buy > 0) {
      Purchase p = BestPurchase(query, chartTargets, lead, query.best, buy, candidates, progress, env.stopRequested,
                                o.threads);
      stopped = p.stopped;
      const std::string status =
          p.stopped ? "stopped, " + std::to_string(p.judged) + " of " + std::to_string(p.choices) + " choices judged"
                    : "optimal";
      std::string gained, gainedJson;
      for (std::size_t t : p.gained) {
        const ChartTarget& c = chartTargets[t];
        const std::string label = c.name.empty() ? c.target.text : c.name + " (" + c.target.text + ")";
        gained += (gained.empty() ? "" : ", ") + label;
        gainedJson += std::string(gainedJson.empty() ? "" : ", ") + "\"" + c.target.text + "\"";
      }
      text = "gears: " + Join(p.gears) + "\nstatus: " + status + "\ngained: " +
             (gained.empty() ? "none" : gained) + "\n\n";
      extraJson = "  \"gears\": [" + Join(p.gears) + "],\n  \"status\": \"" + status +
                  "\",\n  \"lower_bound\": null,\n  \"gained\": [" + gainedJson + "]";
      chart = std::move(p.chart);
    } else if (o.cover) {
      auto found = FewestGears(query, chartTargets, lead, query.best, cover, progress, env.stopRequested, o.threads);
      if (const auto* message = std::get_if<std::string>(&found)) return fail(*message);
      Cover& c = std::get<Cover>(found);
      stopped = c.status == Cover::Status::Stopped;
      if (c.status == Cover::Status::Infeasible) {
        std::string names;
        for (std::size_t t : c.unreachable)
          names += (names.empty() ? "" : ", ") + (chartTargets[t].name.empty() ? chartTargets[t].target.text
                                                                                 : chartTargets[t].name);
        return fail("--cover: no set of the candidates reaches " +
                    (names.empty() ? std::string("every target") : names) +
                    " within its tolerance: widen the tolerance or the candidates");
      }
      const std::string status = c.status == Cover::Status::Optimal ? "optimal"
                                 : c.status == Cover::Status::Stopped
                                     ? "stopped, lower bound " + std::to_string(c.lowerBound)
                                     : "time limit, lower bound " + std::to_string(c.lowerBound);
      text = "gears: " + (c.gears.empty() ? std::string("none found") : Join(c.gears)) + "\nstatus: " + status +
             "\nsize: " + std::to_string(c.gears.size()) + "\n\n";
      extraJson = "  \"gears\": [" + Join(c.gears) + "],\n  \"status\": \"" + status +
                  "\",\n  \"lower_bound\": " + std::to_string(c.lowerBound);
      chart = std::move(c.chart);
    } else {
      chart = RunChart(query, chartTargets, lead, query.best, progress, env.stopRequested, o.threads);
      stopped = chart.stopped;
    }
  }
  switch (format) {
    case Format::Text: text += ChartText(query, chart); break;
    case Format::Csv: text = ChartCsv(query, chart); break;
    case Format::Json: text = ChartJson(query, chart, extraJson); break;
  }
  if (file.isOpen()) {
    file.WriteText(text);
    if (const FileStatus closed = file.Close(); !closed.ok()) {
      err << kProgram << ": cannot write " << closed.message() << '\n';
      return 1;
    }
  } else {
    out << text;
  }
  if (stopped) err << kProgram << ": stopped before the end: the output holds what was found so far\n";
  out.flush();
  return stopped ? 130 : 0;
}

}  // namespace quenmar::cli
