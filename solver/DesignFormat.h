#pragma once
// What a design search writes: CSV and JSON (the same text from quenmar-solve
// --format and from the design window's export), and the text form's header and
// closing lines for a run sorted other than in loop order.

#include <string>

#include "DesignSearch.h"

namespace quenmar::design {

// RFC 4180, lines ending in CRLF: the header row
// "difference,relative_ppm,reduction,numerator,denominator,variants,N1,...,Nk", then one
// row per train. Locale-free numbers; doubles with 17 significant digits.
std::string DesignCsv(const DesignQuery& query, const DesignResult& result);

// One JSON document: the inputs (configuration index and name or stages, minima,
// maxima, target as written and as a fraction, tolerance, options), "solutions" (the
// CSV fields, teeth as an array), "count", "outcome" ("solutions", "no convergence",
// "maximum exceeded") and "stopped".
std::string DesignJson(const DesignQuery& query, const DesignResult& result);

}  // namespace quenmar::design
