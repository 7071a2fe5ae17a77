#pragma once
// Everything a user sets up in the design window, kept as typed, so that a saved setup
// (a small JSON file, or the last one in the settings) reopens exactly as it was left.
// Reading it into a query says, field by field, what is wrong; nothing here uses Qt.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "DesignInput.h"
#include "DesignSearch.h"
#include "ThreadChart.h"

namespace quenmar::design {

// A row of the window's targets table, as typed: an optional name, the target (a ratio or a
// thread such as 1.5mm, 20tpi, module1.25, dp24), its own tolerance (empty: the window's).
struct TargetRow {
  std::string name, target, tolerance;
  friend bool operator==(const TargetRow&, const TargetRow&) = default;
};

struct DesignSetup {
  int configuration = kStartupConfiguration;  // 0..6, used unless freeTrain
  bool freeTrain = false;
  int stages = 2;                             // 1..6, used with freeTrain
  // Teeth limits of N1..N12 as typed; the gears not in use keep theirs for later.
  std::array<std::string, kMaxGears> minTeeth, maxTeeth;
  std::string target = "3.624";
  std::string tolerance = "0.01";   // a decimal; the unit says how to read it
  Tolerance::Unit toleranceUnit = Tolerance::Unit::Absolute;
  std::int64_t best = 0;            // 0: every train within the tolerance
  std::int64_t maxTrains = 10000;   // the most trains listed
  Distinct distinct = Distinct::None;
  bool huntingTooth = false;
  bool coaxial = false;
  std::string ownedGears;           // teeth counts (commas or blanks between); empty: any
  // Millimetres: one module for every stage or one per stage (commas between). It sets
  // the drawing, and the search too once `geometry` is on.
  std::string module = "1";
  // The gears' geometry, asked of the search only while `geometry` is on (as quenmar-solve's
  // geometric options; README "Trains that fit"), kept as typed either way.
  bool geometry = false;
  std::string pressureAngle = "20";  // degrees: one, or one per stage
  std::string centreDistance;        // "equal", "1=50, 2=40.5±0.1"; empty: the standard ones
  std::string profileShift;          // the most shift per gear, 0 to 2; empty: no shift
  std::string shaft = "3";           // mm: one diameter, or one per shaft (input first)
  std::string clearance = "0.5";     // mm
  std::string maxDiameter;           // mm; empty: any size
  bool fits = false;                 // only trains whose gears fit as drawn
  // A planetary train instead of the configuration: its kind (simple, stepped, wolfrom;
  // empty for none) and its inputs as quenmar-solve's options take them. The module and
  // clearance above are the first mesh's module and the gap between adjacent planets.
  std::string planetary;
  std::string sun = "8..40", planet = "10..60", planet2 = "10..60", ring = "30..150", ring2 = "30..150", planets = "3";
  std::string held = "ring", input = "sun";
  bool anySpacing = false, oneModule = false;
  // Simple sets: profile shift bridging a ring other than sun + 2 planet teeth, up to the
  // largest shift of a gear (empty: 1). Saved only when they differ from these defaults.
  bool planetaryShift = false;
  std::string planetaryMaxShift = "1";
  // Targets mode: a chart of the targets below against the lead screw instead of the one
  // target. Written to a file only when it differs from the default, so that the setups of
  // one target read and write exactly as before.
  bool targetsMode = false;
  std::string leadScrew;             // "8tpi", "2mm"; empty: none (plain ratios only)
  std::vector<TargetRow> targets;

  DesignSetup();
  friend bool operator==(const DesignSetup&, const DesignSetup&) = default;
};

constexpr std::int64_t kMaxBest = 10'000'000;
constexpr std::int64_t kMaxTrains = 10'000'000;
constexpr double kMaxModule = 100.0;

// Gears whose limits are in use: k of the configuration, or 2 * stages.
int GearsInUse(const DesignSetup& setup);

// The setup as a JSON document, and back. Keys that are missing keep their defaults;
// a key of the wrong kind or out of range is an error naming the key.
std::string SetupToJson(const DesignSetup& setup);
std::variant<DesignSetup, std::string> SetupFromJson(const std::string& text);

// What is wrong with one field, or nothing. Each input of the window shows its own.
struct SetupProblems {
  std::string teeth;       // the first gear limit that is not a count or is crossed
  std::string target;
  std::string tolerance;
  std::string ownedGears;
  std::string module;
  std::string pressureAngle, centreDistance, profileShift, shaft, clearance, maxDiameter;
  std::string query;       // what the search refuses of the whole (memory, tolerance)
  // A planetary train's inputs other than the module and clearance: the first problem as
  // quenmar-solve words it (SplitPlanetaryProblem names the input).
  std::string planetary;
  bool Any() const {
    return !planetary.empty() || !teeth.empty() || !target.empty() || !tolerance.empty() || !ownedGears.empty() ||
           !module.empty() || !pressureAngle.empty() || !centreDistance.empty() ||
           !profileShift.empty() || !shaft.empty() || !clearance.empty() ||
           !maxDiameter.empty() || !query.empty();
  }
};

struct SetupReading {
  std::optional<DesignQuery> query;  // present when nothing is wrong
  SetupProblems problems;
  double module = 1.0;               // the first stage's; valid when problems.module is empty
  // What the drawing shows: the query's geometry while it is asked for; otherwise the
  // modules, angles, shafts and clearance typed (the defaults where one is wrong).
  geometry::GeometryOptions drawing;
};

// The setup as far as the search reads it (the drawing's module cleared while geometry is off).
DesignSetup SearchedPart(DesignSetup setup);

// Reads the setup into the query the search runs (sorted by difference), with one
// message per wrong field. A gear a configuration does not use has minimum 10 and its
// typed maximum (25 when that is not a count of teeth), as quenmar-solve gives it.
SetupReading ReadSetup(const DesignSetup& setup);

// The tolerance text the search and quenmar-solve take ("0.01", "5ppm", "0.01%").
std::string ToleranceText(const DesignSetup& setup);

// Targets mode, read as its chart runs, the same in the window and in quenmar-solve --setup.
// The inputs other than the targets: the setup with its single target set aside (each row
// has its own) and Best at least 1 (the trains listed per target).
DesignSetup ChartPart(DesignSetup setup);
// The tolerance of the rows that give none: the setup's, as `reading` (of ChartPart) has it.
std::optional<Tolerance> ChartFallbackTolerance(const DesignSetup& chartPart, const SetupReading& reading);

bool BlankRow(const TargetRow& row);
// The rows as a CSV file of targets (the header "name,target,tolerance"), as --targets reads.
std::string TargetRowsCsv(const std::vector<TargetRow>& rows);

struct TargetRowsReading {
  std::optional<LeadScrew> lead;
  std::string leadProblem;               // empty when the lead screw reads (or is empty)
  std::vector<ChartTarget> targets;      // of the rows that are not blank, in order
  std::vector<std::string> rowProblems;  // one per row: empty when it reads or is blank
  // The lead screw and every row read, and there is at least one target.
  bool Ok() const;
  // The first problem as one line ("leadScrew": ..., "targets" row N: ...), or nothing.
  std::optional<std::string> Problem() const;
};
// Each row read on its own as the --targets reader reads a line, so its message is the
// file reader's; against `leadScrew` (empty: none) with `fallback` where a row has no tolerance.
TargetRowsReading ReadTargetRows(std::string_view leadScrew, const std::vector<TargetRow>& rows,
                                 const std::optional<Tolerance>& fallback);

}  // namespace quenmar::design
