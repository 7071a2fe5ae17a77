#include "ThreadUnits.h"

#include <gmpxx.h>

#include <cmath>
#include <numbers>
#include <utility>

namespace quenmar::design {

const char* const kThreadTargetAccepts =
    "accepts a ratio (3.624, 127/90), or a thread against the lead screw: a pitch in mm (1.5mm), "
    "threads per inch (20tpi), a module (module1.25) or a diametral pitch (dp24)";

namespace {

const char* const kLeadAccepts =
    "accepts a lead screw's pitch in mm (2mm, 3.175mm) or in threads per inch (8tpi), above 0";

mpq_class Exact(const Rational& r) {
  mpq_class q(mpz_class(r.Numerator()), mpz_class(r.Denominator()));
  q.canonicalize();
  return q;
}

Rational ToRational(const mpq_class& q) {
  return *Rational::FromDigits(q.get_num().get_str(), q.get_den().get_str());
}

// pi * q, for module and DP targets. pi is irrational, so no rational target is exactly
// right; the search takes Rational targets, so pi is written to 64 decimals (an error
// below 1e-64 of it). A train's exact difference from this stand-in differs from its
// difference from the true target by at most 1e-64 of the target, so two trains can be
// ranked the wrong way round only when their true differences agree to some 60 significant
// digits, far beyond the 17 a double holds: the ranking, the rounded differences and the
// acceptance within a tolerance are those of the true target to double precision. (An
// interval bracket would say no more, and would make every comparison a pair.)
mpq_class PiTimes(const mpq_class& q) {
  static const mpq_class pi(
      mpz_class("31415926535897932384626433832795028841971693993751058209749445923"),
      mpz_class("10000000000000000000000000000000000000000000000000000000000000000"));
  mpq_class product = q * pi;
  product.canonicalize();
  return product;
}

const mpq_class kInchMm(254, 10);

// A positive number as ParseTarget reads it (a decimal or A/B), or nothing.
std::optional<mpq_class> PositiveNumber(std::string_view text) {
  if (text.empty()) return {};
  const Parsed<Rational> parsed = ParseTarget(text);
  const auto* value = std::get_if<Rational>(&parsed);
  if (!value || value->IsZero()) return {};
  return Exact(*value);
}

// Splits "1.5mm" into (1.5, mm) or "module1.25" into (1.25, module); the unit as typed.
std::pair<PitchUnit, std::string_view> SplitUnit(std::string_view text, bool& known) {
  known = true;
  for (const auto& [prefix, unit] : {std::pair{"module", PitchUnit::Module}, std::pair{"dp", PitchUnit::Dp}})
    if (text.starts_with(prefix)) return {unit, text.substr(std::string_view(prefix).size())};
  for (const auto& [suffix, unit] : {std::pair{"mm", PitchUnit::Mm}, std::pair{"tpi", PitchUnit::Tpi}})
    if (text.ends_with(suffix)) return {unit, text.substr(0, text.size() - std::string_view(suffix).size())};
  // Letters where a number belongs: a unit we do not know.
  for (char c : text)
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      if (c == 'e' || c == 'E') continue;  // an exponent
      known = false;
      break;
    }
  return {PitchUnit::Ratio, text};
}

}  // namespace

const char* UnitName(PitchUnit unit) {
  switch (unit) {
    case PitchUnit::Ratio: return "";
    case PitchUnit::Mm: return "mm";
    case PitchUnit::Tpi: return "tpi";
    case PitchUnit::Module: return "module";
    case PitchUnit::Dp: return "dp";
  }
  return "";
}

bool HasPitchUnit(std::string_view text) {
  bool known = true;
  return SplitUnit(text, known).first != PitchUnit::Ratio;
}

Parsed<LeadScrew> ParseLeadScrew(std::string_view text) {
  bool known = true;
  const auto [unit, number] = SplitUnit(text, known);
  const auto value = PositiveNumber(number);
  if (!value || (unit != PitchUnit::Mm && unit != PitchUnit::Tpi))
    return std::string(kLeadAccepts) + ", not \"" + EscapeControls(text) + "\"";
  LeadScrew lead;
  lead.unit = unit;
  lead.value = ToRational(*value);
  lead.pitchMm = ToRational(unit == PitchUnit::Mm ? *value : mpq_class(kInchMm / *value));
  lead.text = std::string(text);
  return lead;
}

Parsed<ThreadTarget> ParseThreadTarget(std::string_view text, const std::optional<LeadScrew>& lead) {
  bool known = true;
  const auto [unit, number] = SplitUnit(text, known);
  const std::string quoted = "\"" + EscapeControls(text) + "\"";
  if (!known) return std::string(kThreadTargetAccepts) + "; " + quoted + " has a unit that is none of these";
  ThreadTarget target;
  target.unit = unit;
  target.text = std::string(text);
  if (unit == PitchUnit::Ratio) {
    Parsed<Rational> ratio = ParseTarget(text);
    if (const auto* message = std::get_if<std::string>(&ratio)) return *message;
    target.reduction = std::get<Rational>(ratio);
    return target;
  }
  const auto value = PositiveNumber(number);
  if (!value) return std::string(kThreadTargetAccepts) + "; " + quoted + " has no pitch above 0 before or after its unit";
  if (!lead) return quoted + " is a thread: it needs --lead-screw, the pitch of the lead screw (such as 8tpi or 3mm)";
  const mpq_class l = Exact(lead->pitchMm);
  mpq_class reduction;
  switch (unit) {
    case PitchUnit::Mm: reduction = l / *value; break;
    case PitchUnit::Tpi: reduction = l * *value / kInchMm; break;
    case PitchUnit::Module: reduction = l / PiTimes(*value); break;
    case PitchUnit::Dp: reduction = l * *value / PiTimes(kInchMm); break;
    case PitchUnit::Ratio: break;
  }
  reduction.canonicalize();
  if (reduction > 125'000'000)
    return quoted + " on a lead screw of " + lead->text + " needs a reduction above 125000000";
  target.reduction = ToRational(reduction);
  target.exact = unit == PitchUnit::Mm || unit == PitchUnit::Tpi;
  target.pitch = value->get_d();
  return target;
}

PitchCut CutBy(const ThreadTarget& target, const DesignTrain& train) {
  if (target.unit == PitchUnit::Ratio) return {};
  // The pitch cut is the lead over R. For mm and module it is the target's pitch times T/R,
  // so its error is (T - R) / R; for TPI and DP it is the count times R/T, (R - T) / T.
  // Both from the exact difference rounded once, so no cancellation.
  const bool perLength = target.unit == PitchUnit::Tpi || target.unit == PitchUnit::Dp;
  const double error = perLength ? train.side * train.relativePpm / 1e4
                                 : -train.side * train.dDifference / train.dReduction * 100;
  return {target.pitch * (1 + error / 100), error};
}

namespace {
mpq_class Exact(const Fraction& f) {
  mpq_class r(mpz_class(std::to_string(f.num)), mpz_class(std::to_string(f.den)));
  r.canonicalize();
  return r;
}
}  // namespace

Rational Distance(const Fraction& reduction, const Rational& target) {
  return ToRational(mpq_class(abs(Exact(reduction) - Exact(target))));
}

bool WithinTolerance(const Fraction& reduction, const Rational& target, const Tolerance& tolerance) {
  const mpq_class t = Exact(target);
  const mpq_class r = Exact(reduction);
  mpq_class radius = Exact(tolerance.amount);
  if (tolerance.unit == Tolerance::Unit::Ppm) radius = radius * t / 1'000'000;
  if (tolerance.unit == Tolerance::Unit::Percent) radius = radius * t / 100;
  return abs(r - t) <= radius;
}

}  // namespace quenmar::design
