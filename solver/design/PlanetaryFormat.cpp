#include "PlanetaryFormat.h"

#include <cmath>
#include <cstdio>

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

// A shift to so many decimals, never "-0.000".
std::string Shift(double x, int decimals) {
  char text[32];
  const double scale = std::pow(10.0, decimals), rounded = std::round(x * scale) / scale;
  std::snprintf(text, sizeof text, "%.*f", decimals, rounded == 0 ? 0.0 : rounded);
  return text;
}

// Half-thousandths of a mm as an exact decimal of mm ("31.5", "40.0005").
std::string HalfMicrons(std::int64_t h) {
  std::string text = std::to_string(h / 2000);
  const std::int64_t rest = h % 2000 * 5;  // ten-thousandths
  if (rest == 0) return text;
  std::string digits = std::to_string(10000 + rest).substr(1);
  while (digits.back() == '0') digits.pop_back();
  return text + "." + digits;
}

}  // namespace

const std::vector<std::string>& PlanetaryFieldNames(const PlanetaryQuery& query) {
  static const std::vector<std::string> names = {"kind",    "sun",  "planet", "planet2", "ring",    "ring2",
                                                 "planets", "held", "input",  "output",  "spacing", "phase"};
  static const std::vector<std::string> shifted = [] {
    std::vector<std::string> all = names;
    for (const char* name : {"shift_sun", "shift_planet", "shift_ring", "centre_distance"}) all.push_back(name);
    return all;
  }();
  return query.ProfileShift() ? shifted : names;
}

std::vector<std::string> PlanetaryFields(const PlanetaryQuery& query, const DesignTrain& train) {
  const auto [set, layout] = Describe(query, train);
  const bool second = set.kind != PlanetaryKind::Simple;
  std::vector<std::string> fields = {KindName(set.kind),
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
  if (query.ProfileShift())
    for (std::string field : {Shift(layout.shift.sun, 4), Shift(layout.shift.planet, 4), Shift(layout.shift.ring, 4),
                              HalfMicrons(layout.centreHalfMicrons)})
      fields.push_back(std::move(field));
  return fields;
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
// With profile shift, instead of m2/m1 (one module).
constexpr Column kShiftColumns[] = {{"x sun", 8, false}, {"x planet", 9, false}, {"x ring", 8, false},
                                    {"Centre", 9, false}};

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

// The columns of a query's rows.
std::vector<Column> ColumnsOf(const PlanetaryQuery& query) {
  std::vector<Column> columns(std::begin(kColumns), std::end(kColumns));
  if (query.ProfileShift()) {
    columns.pop_back();
    columns.insert(columns.end(), std::begin(kShiftColumns), std::end(kShiftColumns));
  }
  return columns;
}

}  // namespace

std::string PlanetaryColumnHeader(const PlanetaryQuery& query) {
  std::string header = " Difference Reduction";
  std::size_t end = 18;
  for (const Column& c : ColumnsOf(query)) {
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
  std::vector<std::string> cells(std::begin(texts), std::end(texts));
  if (query.ProfileShift()) {
    cells.pop_back();
    for (std::string cell : {Shift(layout.shift.sun, 3), Shift(layout.shift.planet, 3), Shift(layout.shift.ring, 3),
                             HalfMicrons(layout.centreHalfMicrons)})
      cells.push_back(std::move(cell));
  }
  const std::vector<Column> columns = ColumnsOf(query);
  for (std::size_t i = 0; i < columns.size(); ++i) AppendColumn(row, columns[i], cells[i]);
  return row + "  " + SpacingText(layout) + ", " + PhaseName(layout.phase);
}

}  // namespace quenmar::design
