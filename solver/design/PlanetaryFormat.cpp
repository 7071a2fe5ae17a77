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

namespace {

// The text form's columns after the difference and the reduction (18 characters):
// numbers right-aligned, members' names left-aligned, each with its width.
struct Column {
  const char* name;
  int width;
  bool left;
};
constexpr Column kColumns[] = {{"Sun", 7, false},   {"Planet", 7, false}, {"Planet2", 8, false},
                               {"Ring", 6, false},  {"Ring2", 6, false},  {"Planets", 8, false},
                               {"Held", 9, true},   {"Input", 9, true},   {"Output", 9, true},
                               {"m2/m1", 7, false}};

void AppendColumn(std::string& row, const Column& c, const std::string& text) {
  const std::size_t width = static_cast<std::size_t>(c.width);
  if (c.left) {
    row += "  " + text;
    if (text.size() + 2 < width) row.append(width - text.size() - 2, ' ');
  } else {
    if (text.size() < width) row.append(width - text.size(), ' ');
    row += text;
  }
}

}  // namespace

std::string PlanetaryColumnHeader() {
  std::string header = " Difference Reduction";
  std::size_t end = 18;
  for (const Column& c : kColumns) {
    end += static_cast<std::size_t>(c.width);
    const std::string name = c.name;
    if (c.left) header.append(end - static_cast<std::size_t>(c.width) + 2 - header.size(), ' ');
    else header.append(end - name.size() - header.size(), ' ');
    header += name;
  }
  header.append(end + 2 - header.size(), ' ');
  return header + "Spacing, phase";
}

std::string FormatPlanetaryRow(const PlanetaryQuery& query, const DesignTrain& train, const Rational& target) {
  DesignTrain numbers = train;
  numbers.teeth.clear();
  std::string row = FormatDesignRow(numbers, target);
  const auto [set, layout] = Describe(query, train);
  const std::string ratio = layout.secondModuleDen == 1 ? std::to_string(layout.secondModuleNum)
                                                        : std::to_string(layout.secondModuleNum) + "/" +
                                                              std::to_string(layout.secondModuleDen);
  const std::string texts[] = {Teeth(set.teeth[kSun]),
                               Teeth(set.teeth[kPlanet]),
                               set.kind == PlanetaryKind::Simple ? "" : Teeth(set.teeth[kPlanet2]),
                               Teeth(set.teeth[kRing]),
                               Teeth(set.teeth[kRing2]),
                               std::to_string(set.planets),
                               MemberName(set.held),
                               MemberName(set.input),
                               OutputName(set),
                               ratio};
  for (std::size_t i = 0; i < std::size(kColumns); ++i) AppendColumn(row, kColumns[i], texts[i]);
  return row + "  " + SpacingText(layout) + ", " + PhaseName(layout.phase);
}

}  // namespace quenmar::design
