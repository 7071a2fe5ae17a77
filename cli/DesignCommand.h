#pragma once
// quenmar-solve's design searches: the runs that go beyond the form (exact ranking, the
// best K, distinct trains, owned gears, hunting teeth, coaxial and free trains, CSV and
// JSON). RunSolve hands a run here when one of their options is given, or a value lies
// beyond the form's limits.

#include <iosfwd>
#include <optional>
#include <string>

#include "SolveCommand.h"

namespace quenmar::cli {

// The options as typed; the ones not given are empty. --config and --date are already
// checked by RunSolve.
struct DesignOptions {
  std::optional<int> configuration;
  CalendarDate date{};
  std::optional<std::string> min, max, target, range, maxSolutions;
  std::optional<std::string> stages, sort, best, distinct, format, gears;
  std::optional<std::string> setup;  // a setup file of quenmar-design, alone with output options
  bool huntingTooth = false, coaxial = false, list = false;
  std::string output;  // empty: standard output
  int threads = 0;     // 0: every core
  bool force = false;  // run even a search estimated to take hours
  // The geometry of the trains (any of them adds its columns to CSV and JSON), and the
  // outlines of the first listed train.
  std::optional<std::string> module, pressureAngle, centreDistance, profileShift, clearance, shaft,
      maxDiameter, outlines, outlineFormat, kerf;
  bool fits = false;
  // A planetary train (--planetary KIND) and its members, as typed.
  std::optional<std::string> planetary, sun, planet, ring, planets, held, input, spacing;
  bool oneModule = false;
  // Charts of many targets (ChartCommand.h): threads against a lead screw, a file of
  // targets, the gears to buy and the fewest gears.
  std::optional<std::string> leadScrew, targets, buy, candidates, maxCopies, require, timeLimit;
  bool cover = false;
};

// A file of a few lines, whole, into `content`; or what is wrong. A file far larger than
// any gear set or target list is refused rather than read without end (a device, say).
std::optional<std::string> ReadSmallFile(const std::string& path, std::string& content);

// Same exit statuses as RunSolve.
int RunDesignSolve(const DesignOptions& options, std::ostream& out, std::ostream& err,
                   const SolveEnvironment& environment);

}  // namespace quenmar::cli
