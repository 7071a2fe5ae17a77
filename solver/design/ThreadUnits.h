#pragma once
// Targets in the units a lathe's chart uses: a thread's pitch in millimetres, threads per
// inch, a worm's module or diametral pitch, each against a lead screw; or a plain ratio as
// before. The spindle drives N1 and the lead screw carries the last gear, so a thread's
// reduction is the lead screw's pitch over the thread's (1.5 mm on an 8 TPI screw:
// 3.175 / 1.5 = 127/60). Inches are 25.4 mm exactly, so millimetre and inch threads have
// exact rational reductions; a module's pitch is pi * m and a diametral pitch's pi / DP
// inch, so theirs are irrational and carry a rational stand-in (see PiTimes in the source).

#include <optional>
#include <string>
#include <string_view>

#include "DesignInput.h"
#include "DesignSearch.h"

namespace quenmar::design {

enum class PitchUnit { Ratio, Mm, Tpi, Module, Dp };

// The name of a unit as targets spell it ("mm", "tpi", "module", "dp"; "" for a ratio).
const char* UnitName(PitchUnit unit);
// What a target accepts, for messages.
extern const char* const kThreadTargetAccepts;

// A lead screw: "8tpi", "2mm", "3.175mm" (or an A/B fraction before the unit).
struct LeadScrew {
  PitchUnit unit = PitchUnit::Mm;  // Mm or Tpi
  Rational value;                  // as written, in its unit
  Rational pitchMm;                // exact
  std::string text;
};
Parsed<LeadScrew> ParseLeadScrew(std::string_view text);

// A target as typed: a ratio ("3.624", "127/90"), or a thread ("1.5mm", "20tpi",
// "module1.25", "dp24"), which needs a lead screw.
struct ThreadTarget {
  PitchUnit unit = PitchUnit::Ratio;
  std::string text;     // as written
  double pitch = 0;     // the thread's value in its unit (1.5 for 1.5mm); 0 for a ratio
  // The reduction to search for: exact where it is rational; for module and DP targets a
  // rational within 1e-60 of the true value, so that everything printed from it is the true
  // value rounded once.
  Rational reduction;
  bool exact = true;    // false for module and DP targets (pi)
};
// Whether a text names one of the thread units (so a chart, not a plain ratio, is asked for).
bool HasPitchUnit(std::string_view text);
Parsed<ThreadTarget> ParseThreadTarget(std::string_view text, const std::optional<LeadScrew>& lead);

// What a train of reduction `reduction` cuts, in the target's unit, and how far that lies
// from the target in percent (signed: positive when the pitch cut is the larger value).
// Both 0 for a ratio target. `train` gives the exact signed difference.
struct PitchCut {
  double value = 0;
  double errorPercent = 0;
};
PitchCut CutBy(const ThreadTarget& target, const DesignTrain& train);

// Whether a reduction lies within the tolerance of the target, compared exactly (for an
// irrational target, against its stand-in).
bool WithinTolerance(const Fraction& reduction, const Rational& target, const Tolerance& tolerance);
// |reduction - target|, exactly.
Rational Distance(const Fraction& reduction, const Rational& target);

}  // namespace quenmar::design
