#pragma once
// A planetary train's inputs as typed (quenmar-solve's options, or the fields of a saved
// setup) read into a query, with one message naming what to change. quenmar-solve prints
// the message as it stands; the window shows it beside the input it names.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Planetary.h"
#include "TrainGeometry.h"

namespace quenmar::design {

// Small readers of typed values that the command line and the planetary inputs share.
namespace options {

// A whole number within low..high, nothing else around it.
std::optional<std::int64_t> ParseCount(std::string_view text, std::int64_t low, std::int64_t high);
// "A..B" or "A", whole numbers within low..high, A <= B.
std::optional<std::pair<int, int>> ParseRange(std::string_view text, int low, int high);
// An exact length, a decimal as written or a fraction A/B, within (0, high] (or [0, high]).
std::optional<geometry::Exact> ParseExact(std::string_view text, double high, bool zero = false);

// Comma-separated items, each read by `read`; nothing when one fails.
template <typename T, typename Read>
std::optional<std::vector<T>> ParseList(const std::string& text, Read read) {
  std::vector<T> items;
  for (std::size_t start = 0;;) {
    const std::size_t comma = text.find(',', start);
    const std::optional<T> item = read(text.substr(start, comma == std::string::npos ? comma : comma - start));
    if (!item) return {};
    items.push_back(*item);
    if (comma == std::string::npos) return items;
    start = comma + 1;
  }
}

}  // namespace options

// The kind named as the command line spells it (simple, stepped, wolfrom).
std::optional<PlanetaryKind> PlanetaryKindNamed(std::string_view name);

// What is typed; an input left out is not given (its default applies, or it is missing).
struct PlanetaryTexts {
  std::string kind;
  std::optional<std::string> sun, planet, ring;  // a second planet or ring after a comma
  std::optional<std::string> planets, held, input, spacing, module, clearance;
  bool oneModule = false;
  // Simple sets: the largest shift of a gear that may bridge a ring other than Zs + 2 Zp
  // (empty: 1); not given: no profile shift.
  std::optional<std::string> profileShift;
};

// The texts into `query`; the first problem as one line naming the option to change.
// It does not check the whole (CheckPlanetaryQuery does).
std::optional<std::string> ReadPlanetaryTexts(const PlanetaryTexts& texts, PlanetaryQuery& query);

// A message of ReadPlanetaryTexts or CheckPlanetaryQuery, split for an input of the window:
// the option it is about ("--sun", "--planet", "--ring", "--planets", "--held", "--input",
// "--spacing", "--module", "--clearance", "--profile-shift", "--planetary") and what to say beside that input,
// the option's own name left out and the others named as the window labels them.
struct PlanetaryProblem {
  std::string option;
  std::string text;
};
PlanetaryProblem SplitPlanetaryProblem(const std::string& message);

}  // namespace quenmar::design
