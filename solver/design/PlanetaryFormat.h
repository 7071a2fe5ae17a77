#pragma once
// What a planetary train's row says in the outputs: its own fields for CSV and JSON
// (kind, sun, planet, planet2, ring, ring2, planets, held, input, output, spacing,
// phase; empty where the kind has no such member), and the text form's columns.

#include <string>
#include <vector>

#include "DesignSearch.h"

namespace quenmar::design {

// With profile shift (query.ProfileShift()), four more: shift_sun, shift_planet,
// shift_ring (x, in modules, to four decimals) and centre_distance (mm, exact).
const std::vector<std::string>& PlanetaryFieldNames(const PlanetaryQuery& query);
std::vector<std::string> PlanetaryFields(const PlanetaryQuery& query, const DesignTrain& train);

// "Planetary Simple", "Planetary Stepped", "Planetary Wolfrom".
std::string PlanetaryMethodName(const PlanetaryQuery& query);
// The text form: the difference and reduction as every design row prints them, then
// the members' teeth, the planets, held, input and output members, the second mesh's
// module over the first's (with profile shift, the three shifts to three decimals and
// the centre distance instead), the spacing and the phase.
std::string PlanetaryColumnHeader(const PlanetaryQuery& query);
std::string FormatPlanetaryRow(const PlanetaryQuery& query, const DesignTrain& train, const Rational& target);

}  // namespace quenmar::design
