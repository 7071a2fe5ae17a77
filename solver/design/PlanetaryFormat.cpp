#include "PlanetaryFormat.h"

#include "TextFormat.h"

namespace quenmar::design {

namespace {

struct Described {
  PlanetarySet set;
  PlanetaryLayout layout;
};

Described Describe(const PlanetaryQuery& query, const DesignTrain& train) {
  const PlanetarySet set = DecodePlanetary(query.kind, train.teeth.data());
  return {set, LayoutOf(set, query)};
}

std::string Teeth(int teeth) { return teeth > 0 ? std::to_string(teeth) : ""; }

}  // namespace

const std::vector<std::string>& PlanetaryFieldNames() {
  static const std::vector<std::string> names = {"kind",    "sun",  "planet", "planet2", "ring",    "ring2",
                                                 "planets", "held", "input",  "output",  "spacing", "phase"};
  return names;
}

std::vector<std::string> PlanetaryFields(const PlanetaryQuery& query, const DesignTrain& train) {
  const auto [set, layout] = Describe(query, train);
  const bool second = set.kind != PlanetaryKind::Simple;
  return {KindName(set.kind),
          Teeth(set.teeth[kSun]),
          Teeth(set.teeth[kPlanet]),
          second ? Teeth(set.teeth[kPlanet2]) : "",
          Teeth(set.teeth[kRing]),
          Teeth(set.teeth[kRing2]),
          std::to_string(set.planets),
          MemberName(set.held),
          MemberName(set.input),
          OutputName(set),
          SpacingText(layout),
          PhaseName(layout.phase)};
}

std::string PlanetaryMethodName(const PlanetaryQuery& query) {
  std::string kind = KindName(query.kind);
  kind[0] = static_cast<char>(kind[0] - 'a' + 'A');
  return "Planetary " + kind;
}

std::string PlanetaryColumnHeader() {
  return " Difference Reduction   Sun Planet Planet2  Ring Ring2 Planets Held    Input   Output  m2/m1  Spacing, Phase";
}

std::string FormatPlanetaryRow(const PlanetaryQuery& query, const DesignTrain& train, const Rational& target) {
  DesignTrain numbers = train;
  numbers.teeth.clear();
  std::string row = FormatDesignRow(numbers, target);
  const auto [set, layout] = Describe(query, train);
  const auto column = [&row](const std::string& text, int width) {
    if (static_cast<int>(text.size()) < width) row.append(static_cast<std::size_t>(width) - text.size(), ' ');
    row += text;
  };
  const auto word = [&row](const std::string& text, int width) {
    row += ' ';
    row += text;
    if (static_cast<int>(text.size()) < width) row.append(static_cast<std::size_t>(width) - text.size(), ' ');
  };
  column(Teeth(set.teeth[kSun]), 6);
  column(Teeth(set.teeth[kPlanet]), 7);
  column(set.kind == PlanetaryKind::Simple ? "" : Teeth(set.teeth[kPlanet2]), 8);
  column(Teeth(set.teeth[kRing]), 6);
  column(Teeth(set.teeth[kRing2]), 6);
  column(std::to_string(set.planets), 8);
  row += ' ';
  word(MemberName(set.held), 7);
  word(MemberName(set.input), 7);
  word(OutputName(set), 7);
  const std::string ratio = layout.secondModuleDen == 1 ? std::to_string(layout.secondModuleNum)
                                                        : std::to_string(layout.secondModuleNum) + "/" +
                                                              std::to_string(layout.secondModuleDen);
  column(ratio, 6);
  row += "  " + SpacingText(layout) + ", " + PhaseName(layout.phase);
  return row;
}

}  // namespace quenmar::design
