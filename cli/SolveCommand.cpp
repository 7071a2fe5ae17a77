#include "SolveCommand.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "DesignCommand.h"
#include "ProgressBar.h"
#include "ResultsFile.h"
#include "SearchSolutions.h"
#include "SolutionRow.h"

namespace quenmar::cli {

namespace {

constexpr const char* kProgram = "quenmar-solve";

std::optional<long long> ParseInteger(std::string_view text) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return {};
  return value;
}

std::optional<double> ParseReal(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return {};
  return value == 0 ? 0.0 : value;  // -0 is 0
}

std::optional<Teeth> ParseTeethList(const std::string& text) {
  Teeth teeth{};
  std::size_t start = 0;
  for (int g = 0; g < kGearCount; ++g) {
    const std::size_t comma = text.find(',', start);
    const bool last = g == kGearCount - 1;
    if (last != (comma == std::string::npos)) return {};
    const auto value = ParseInteger(std::string_view(text).substr(start, comma - start));
    if (!value || *value < 1 || *value > 500) return {};
    teeth[g] = static_cast<int>(*value);
    start = comma + 1;
  }
  return teeth;
}

std::optional<CalendarDate> ParseDate(const std::string& text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return {};
  const auto year = ParseInteger(std::string_view(text).substr(0, 4));
  const auto month = ParseInteger(std::string_view(text).substr(5, 2));
  const auto day = ParseInteger(std::string_view(text).substr(8, 2));
  if (!year || !month || !day || *year < 1 || *month < 1 || *month > 12 || *day < 1) return {};
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (*year % 4 == 0 && *year % 100 != 0) || *year % 400 == 0;
  if (*day > kDays[*month - 1] || (*month == 2 && *day == 29 && !leap)) return {};
  return CalendarDate{static_cast<int>(*year), static_cast<int>(*month), static_cast<int>(*day)};
}

// The window's operations, on a terminal: the stop flag for ALT, a text bar for the
// progress bar, rows collected in search order.
class BatchOperations : public SearchOperations {
 public:
  BatchOperations(Family family, const SolveEnvironment& env, std::ostream& err)
      : family_(family), env_(env), err_(err) {}

  bool MessageStep() override {
    return !(env_.stopRequested && env_.stopRequested->load(std::memory_order_relaxed));
  }
  void Progress(int position) override {
    if (!env_.progressBar) return;
    DrawProgressBar(err_, position);
    drawn_ = true;
  }
  void Output(const TrainSolution& solution) override {
    rows.push_back(FormatSolutionRow(family_, solution));
  }
  void FinishBar() {
    if (drawn_) err_ << '\n' << std::flush;
  }

  std::vector<std::string> rows;

 private:
  Family family_;
  const SolveEnvironment& env_;
  std::ostream& err_;
  bool drawn_ = false;
};

struct Arguments {
  int configuration = kStartupConfiguration;
  Teeth minTeeth{10, 10, 10, 10, 10, 10};
  Teeth maxTeeth{25, 25, 25, 25, 25, 25};
  double target = 3.624, range = 0.01;
  int maxSolutions = 100;
  CalendarDate date{};
  bool list = false;
  std::string output;
};

// Checks every option against the form's limits; the first failure names its option.
std::optional<std::string> Validate(const std::vector<std::pair<std::string, std::string>>& given,
                                    Arguments& a) {
  for (const auto& [option, text] : given) {
    if (option == "--config") {
      const auto v = ParseInteger(text);
      if (!v || *v < 0 || *v > 6) return "--config accepts a configuration index from 0 to 6";
      a.configuration = static_cast<int>(*v);
    } else if (option == "--min" || option == "--max") {
      const auto v = ParseTeethList(text);
      if (!v) return option + " accepts six whole numbers from 1 to 500 (N1..N6), separated by commas";
      (option == "--min" ? a.minTeeth : a.maxTeeth) = *v;
    } else if (option == "--target") {
      const auto v = ParseReal(text);
      if (!v || *v < 0 || *v > 1000) return "--target accepts a number from 0 to 1000";
      a.target = *v;
    } else if (option == "--range") {
      const auto v = ParseReal(text);
      if (!v || *v < 0 || *v > 500) return "--range accepts a number from 0 to 500";
      a.range = *v;
    } else if (option == "--max-solutions") {
      const auto v = ParseInteger(text);
      if (!v || *v < 0 || *v > 500) return "--max-solutions accepts a whole number from 0 to 500";
      a.maxSolutions = static_cast<int>(*v);
    } else if (option == "--date") {
      const auto v = ParseDate(text);
      if (!v) return "--date accepts a calendar date as YYYY-MM-DD";
      a.date = *v;
    }
  }
  return {};
}

// Whether the target, range and maximum lie within the form's limits, where the form's
// search answers exactly as the window does; beyond them the design search runs.
bool WithinFormLimits(const std::vector<std::pair<std::string, std::string>>& given) {
  for (const auto& [option, text] : given) {
    if (option == "--target") {
      const auto v = ParseReal(text);
      if (!v || *v < 0 || *v > 1000) return false;
    } else if (option == "--range") {
      const auto v = ParseReal(text);
      if (!v || *v < 0 || *v > 500) return false;
    } else if (option == "--max-solutions") {
      const auto v = ParseInteger(text);
      if (!v || *v < 0 || *v > 500) return false;
    }
  }
  return true;
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

std::optional<int> ParseThreads(const std::string& text) {
  const auto v = ParseInteger(text);
  if (!v || *v < 1 || *v > 1024) return std::nullopt;
  return static_cast<int>(*v);
}

}  // namespace

int RunSolve(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
             const SolveEnvironment& env) {
  CLI::App app{"Finds the teeth counts of external spur gear trains for a wanted reduction "
               "and prints the results file of the run.",
               kProgram};
  std::vector<std::pair<std::string, std::string>> given;
  const char* const valued[][3] = {
      {"--config", "Configuration 0..6 (default 5, Triple With Equal Compounds; 6 = Triple Reduction)", "I"},
      {"--min", "Minimum teeth of N1..N6, six numbers 1..500 (default 10 each); with --stages K, "
                "2K numbers N1..N2K; with --gears, the smallest gear owned", "A,B,C,D,E,F"},
      {"--max", "Maximum teeth of N1..N6, six numbers 1..500 (default 25 each); with --stages K, "
                "2K numbers N1..N2K; with --gears, the largest gear owned", "A,B,C,D,E,F"},
      {"--target", "Target reduction 0..125000000: a decimal, taken exactly as written, or a "
                   "fraction A/B of positive numbers such as 127/90 or 1.5/3.175 (default 3.624)", "T"},
      {"--range", "Convergence range: absolute 0..125000000, or relative to the target with the "
                  "suffix ppm (up to 1000000) or % (up to 100), such as 5ppm or 0.01% (default 0.01)", "R"},
      {"--max-solutions", "Maximum number of solutions 0..10000000 (default 100; with --best, "
                          "no cap beyond K)", "M"},
      {"--date", "Date of the results header, YYYY-MM-DD (default today)", "YYYY-MM-DD"},
      {"--stages", "A free train of K stages, 1..6: reduction (N2*N4*...*N2K)/(N1*N3*...*N2K-1), "
                   "no ties and no exclusion; --min and --max then take 2K numbers (not with --config)", "K"},
      {"--sort", "Order of the trains: found (loop order, the default), text (as the window's list, "
                 "the default with --list) or difference (exact |R - T|, ties in loop order)", "ORDER"},
      {"--best", "The K trains closest to the target, 1..10000000, sorted by difference; --range "
                 "then only bounds the difference", "K"},
      {"--distinct", "List a train once: meshes (the same meshing pairs in another stage order) or "
                     "gears (the same driving and driven gears); CSV and JSON count the variants", "KIND"},
      {"--format", "Output: text (the results file, the default), csv (RFC 4180) or json", "FORMAT"},
      {"--gears", "The gears owned, teeth counts 1..500: a comma-separated LIST, or @FILE with counts "
                  "separated by commas, blanks or line breaks and # comments; a count listed twice "
                  "is two gears", "LIST|@FILE"},
      {"--setup", "Run a setup saved by quenmar-design (its JSON file), sorted by difference with its "
                  "Max trains as --max-solutions (a setup in Targets mode: its chart of targets); only "
                  "--format, --list, --output and --date may join it", "FILE"},
      {"--module", "Module of the gears, mm: one for every stage or one per stage, each a decimal or a "
                   "fraction A/B above 0 and up to 100 (default 1). Any geometric option adds to CSV and "
                   "JSON each stage's module, centre distance, shifts and contact ratio, and the worst clearance. "
                   "Planetary trains: the first mesh's module, in whole thousandths", "M,..."},
      {"--pressure-angle", "Pressure angle, degrees: one for every stage or one per stage, 10..30 (default 20)", "A,..."},
      {"--centre-distance", "Centre distances, mm: S=VALUE or S=VALUE+-TOL (or \u00b1TOL) for a stage S, "
                            "separated by commas; or equal: every stage the same (compared exactly)", "SPEC"},
      {"--profile-shift", "Reach a centre distance by profile shift, up to MAX per gear, 0..2 (1 when given "
                          "alone); refuses pointed tips and undercut pinions. Simple planetary sets: a ring other than sun + 2 planet "
                          "teeth, bridged by shifting sun and planet (reported), up to MAX in whole thousandths", "MAX"},
      {"--clearance", "Least gap between a tip circle and a shaft its gear does not sit on, mm, 0..1000 (default 0.5); "
                      "planetary trains: between the tip circles of adjacent planets", "C"},
      {"--shaft", "Shaft diameters, mm: one for every shaft or one per shaft (input first), above 0 and up to 1000 "
                  "(default 3)", "D,..."},
      {"--max-diameter", "The largest tip diameter of any gear, mm, above 0 and up to 100000", "D"},
      {"--outlines", "Write the outlines of the first listed train into DIR at true scale: one file per gear "
                     "(N1-16.svg, ...) and train.svg", "DIR"},
      {"--outline-format", "Outlines as svg (the default) or dxf", "FORMAT"},
      {"--kerf", "Cutting width of a laser or cutter, 0..2 mm: outlines offset by half of it", "K"},
      {"--planetary", "A planetary train instead of a compound one: simple (sun, planets, ring), stepped "
                      "(planets of two gears, Zp1 on the sun, Zp2 on the ring) or wolfrom (split ring: the "
                      "planet meshes a held ring and an output ring)", "KIND"},
      {"--sun", "Teeth of the sun, a range A..B or one number, 1..500", "A..B"},
      {"--planet", "Teeth of the planet: one range; stepped: two (Zp1 on the sun, Zp2 on the ring); "
                   "wolfrom: one (a planet meshing both rings) or two", "A..B[,C..D]"},
      {"--ring", "Teeth of the ring; wolfrom: two ranges (the held ring, the output ring)", "A..B[,C..D]"},
      {"--planets", "Number of planets, 2..12, one or a range (default 3)", "N|A..B"},
      {"--held", "The member held: sun, ring, carrier or any, several separated by commas (default "
                 "ring; a wolfrom train's first ring is always held)", "MEMBER"},
      {"--input", "The member driven: sun, ring, carrier or any (default sun; wolfrom: sun or carrier); "
                  "the third member is the output", "MEMBER"},
      {"--spacing", "Planets evenly spaced (even, the default) or wherever every mesh engages, nearest "
                    "to even, with their angles reported (any)", "even|any"},
      {"--lead-screw", "The lathe's lead screw, which carries the last gear while the spindle drives N1: its "
                       "pitch in mm or threads per inch (2mm, 3.175mm, 8tpi). Targets may then be threads: "
                       "1.5mm, 20tpi, module1.25 or dp24 (a chart with the pitch cut and its error)", "PITCH"},
      {"--targets", "A chart: the best K trains (--best, default 1) for every target of FILE, one a line "
                    "(an optional name, the target, an optional tolerance; # comments), or CSV with a header "
                    "naming name, target and tolerance; --range is the tolerance of lines without one", "FILE"},
      {"--buy", "The K gears (1..3) to add to --gears that reach the most targets of the chart within "
                "their tolerances (ties: the smaller sum of relative errors), chosen from --candidates", "K"},
      {"--candidates", "Teeth counts one could buy or build with, for --buy and --cover: counts and ranges "
                       "A..B separated by commas (such as 20..127 or 20..60,72,127)", "LIST"},
      {"--max-copies", "With --cover, how many gears of one count the set may hold, 1..4 (default 1)", "N"},
      {"--require", "With --cover, gears the set must hold, teeth counts separated by commas", "LIST"},
      {"--time-limit", "With --cover, stop the solver after this many seconds (1..86400) and print the best "
                       "set found with the solver's lower bound", "S"},
  };
  // Options beyond the form's: given any of them, the exact design search runs.
  constexpr std::size_t kFirstDesignOption = 7;
  std::vector<std::string> texts(std::size(valued));
  for (std::size_t i = 0; i < std::size(valued); ++i)
    app.add_option(valued[i][0], texts[i], valued[i][1])->type_name(valued[i][2]);
  app.get_option("--profile-shift")->expected(0, 1);
  Arguments a;
  a.date = env.today;
  bool huntingTooth = false, coaxial = false, fits = false, oneModule = false;
  app.add_flag("--list", a.list,
               "Print only the solution rows, sorted as the solution list holds them (or as --sort says)");
  app.add_flag("--hunting-tooth", huntingTooth,
               "Only trains whose every mesh has teeth counts with no common factor");
  app.add_flag("--coaxial", coaxial,
               "Only trains whose every stage has the same tooth sum (output in line with the input)");
  bool cover = false;
  app.add_flag("--cover", cover,
               "The fewest gears from --candidates (with --require) such that every target of the chart has a "
               "train within its tolerance; among those the smallest worst relative error; solved exactly");
  app.add_flag("--fits", fits,
               "Only trains whose gears clear the shafts they do not sit on by the clearance, hold their "
               "shafts and mesh with a contact ratio of at least 1");
  app.add_flag("--one-module", oneModule,
               "Planetary trains: every mesh at the first mesh's module (without it the second mesh of a "
               "stepped or wolfrom train takes the module that gives it the carrier's centre distance)");
  app.add_option("--output", a.output, "Write to FILE (replaced) instead of standard output")
      ->type_name("FILE");
  std::string threads;
  bool force = false;
  app.add_option("--threads", threads,
                 "Threads of a design search, 1..1024 (default: every core); the output is the same "
                 "for every count. The window's search always runs on one thread")
      ->type_name("N");
  app.add_flag("--force", force,
               "Run a design search that would take hours (without it, such a search is refused "
               "with an estimate of its time and the ranges to narrow)");
  app.set_version_flag("--version", std::string(kProgram) + " 1.01");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return 0;
  } catch (const CLI::CallForVersion& e) {
    out << e.what() << '\n';
    return 0;
  } catch (const CLI::ParseError& e) {
    err << kProgram << ": " << FirstLine(e.what()) << " (see --help)\n";
    return 2;
  }
  for (std::size_t i = 0; i < std::size(valued); ++i)
    if (app.get_option(valued[i][0])->count() > 0) given.emplace_back(valued[i][0], texts[i]);
  if (app.get_option("--output")->count() > 0 && a.output.empty()) {
    err << kProgram << ": --output accepts a file name, not an empty one\n";
    return 2;
  }
  if (app.get_option("--threads")->count() > 0 && !ParseThreads(threads)) {
    err << kProgram << ": --threads accepts a whole number of threads from 1 to 1024\n";
    return 2;
  }
  if (app.get_option("--setup")->count() > 0) {
    // The setup says what to search; only how the output is written may be added.
    for (const char* option : {"--config", "--min", "--max", "--target", "--range", "--max-solutions",
                               "--stages", "--sort", "--best", "--distinct", "--gears",
                               "--hunting-tooth", "--coaxial", "--module", "--pressure-angle",
                               "--centre-distance", "--profile-shift", "--clearance", "--shaft",
                               "--max-diameter", "--fits", "--outlines", "--outline-format", "--kerf",
                               "--planetary", "--sun", "--planet", "--ring", "--planets", "--held", "--input",
                               "--spacing", "--one-module",
                               "--lead-screw", "--targets", "--buy", "--candidates", "--max-copies",
                               "--require", "--time-limit", "--cover"})
      if (app.get_option(option)->count() > 0) {
        err << kProgram << ": --setup cannot be combined with " << option
            << " (the setup file describes the search)\n";
        return 2;
      }
  }
  bool design = huntingTooth || coaxial || fits || oneModule || cover || !WithinFormLimits(given);
  for (std::size_t i = kFirstDesignOption; i < std::size(valued); ++i)
    design = design || app.get_option(valued[i][0])->count() > 0;
  if (design) {
    // --config and --date mean the same in both searches; the design search reads the rest.
    std::vector<std::pair<std::string, std::string>> shared;
    DesignOptions options;
    for (const auto& [option, text] : given) {
      if (option == "--config" || option == "--date") shared.emplace_back(option, text);
      const std::pair<const char*, std::optional<std::string>*> fields[] = {
          {"--min", &options.min},          {"--max", &options.max},
          {"--target", &options.target},    {"--range", &options.range},
          {"--max-solutions", &options.maxSolutions}, {"--stages", &options.stages},
          {"--sort", &options.sort},        {"--best", &options.best},
          {"--distinct", &options.distinct}, {"--format", &options.format},
          {"--gears", &options.gears},      {"--setup", &options.setup},
          {"--module", &options.module},
          {"--pressure-angle", &options.pressureAngle}, {"--centre-distance", &options.centreDistance},
          {"--profile-shift", &options.profileShift}, {"--clearance", &options.clearance},
          {"--shaft", &options.shaft}, {"--max-diameter", &options.maxDiameter},
          {"--outlines", &options.outlines}, {"--outline-format", &options.outlineFormat}, {"--kerf", &options.kerf},
          {"--planetary", &options.planetary}, {"--sun", &options.sun}, {"--planet", &options.planet},
          {"--ring", &options.ring}, {"--planets", &options.planets}, {"--held", &options.held},
          {"--input", &options.input}, {"--spacing", &options.spacing},
          {"--lead-screw", &options.leadScrew}, {"--targets", &options.targets}, {"--buy", &options.buy},
          {"--candidates", &options.candidates}, {"--max-copies", &options.maxCopies},
          {"--require", &options.require}, {"--time-limit", &options.timeLimit}};
      for (const auto& [name, field] : fields)
        if (option == name) *field = text;
    }
    if (const auto problem = Validate(shared, a)) {
      err << kProgram << ": " << *problem << '\n';
      return 2;
    }
    if (app.get_option("--config")->count() > 0) options.configuration = a.configuration;
    options.date = a.date;
    options.huntingTooth = huntingTooth;
    options.coaxial = coaxial;
    options.fits = fits;
    options.oneModule = oneModule;
    options.cover = cover;
    options.list = a.list;
    options.output = a.output;
    if (!threads.empty()) options.threads = *ParseThreads(threads);
    options.force = force;
    return RunDesignSolve(options, out, err, env);
  }
  if (const auto problem = Validate(given, a)) {
    err << kProgram << ": " << *problem << '\n';
    return 2;
  }

  const TrainConfiguration& config = Configuration(a.configuration);
  // As the form's configuration switch leaves it: unused gears at minimum 10 and the
  // counters reset to the minima.
  ApplyDummyTeeth(a.configuration, a.minTeeth);
  const SearchInputs inputs{a.configuration, a.minTeeth, a.maxTeeth, a.target,
                            a.range, a.maxSolutions, a.minTeeth};
  const ResultsHeader header{a.date.day, a.date.month, a.date.year, std::string(config.methodName),
                             a.target, a.range, a.maxSolutions, config.family};

  ResultsFileWriter file;
  if (!a.output.empty()) {
    if (const FileStatus opened = file.Open(a.output); !opened.ok()) {
      err << kProgram << ": cannot write " << opened.message() << '\n';
      return 1;
    }
  }
  const TemporaryFileNotice notice(env, file);

  BatchOperations ops(config.family, env, err);
  const SearchResult result = SearchSolutions(inputs, ops);
  ops.FinishBar();

  std::vector<std::string> lines;
  if (a.list) {
    SolutionList list;
    list.insertBatch(ops.rows);
    lines = list.rows();
  }
  if (file.isOpen()) {
    if (a.list) {
      for (const std::string& row : lines) file.WriteRow(row);
    } else {
      file.WriteHeader(header);
      for (const std::string& row : ops.rows) file.WriteRow(row);
      file.WriteCountLine(result.nSolutionsFound);
      if (result.bNoSolution) file.WriteNoSolutionLine();
      if (result.nSolutionsFound >= a.maxSolutions) file.WriteMaximumLine();
      if (result.stopped) file.WriteStoppedLine();
    }
    if (const FileStatus closed = file.Close(); !closed.ok()) {
      err << kProgram << ": cannot write " << closed.message() << '\n';
      return 1;
    }
  } else if (a.list) {
    for (const std::string& row : lines) out << row << '\n';
  } else {
    out << ResultsFileText(header, ops.rows, result.nSolutionsFound, result.bNoSolution,
                           result.stopped);
  }
  // The rows alone cannot say that the list is partial.
  if (a.list && result.stopped) err << kProgram << ": the search was stopped before it finished\n";
  out.flush();
  return result.stopped ? 130 : 0;
}

}  // namespace quenmar::cli
