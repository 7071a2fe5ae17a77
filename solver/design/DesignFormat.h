#pragma once
// What a design search writes: CSV and JSON (the same text from quenmar-solve
// --format and from the design window's export), and the text form's header and
// closing lines for a run sorted other than in loop order.

#include <functional>
#include <string>
#include <string_view>

#include "DesignSearch.h"

namespace quenmar::design {

// RFC 4180, lines ending in CRLF: the header row
// "difference,relative_ppm,reduction,numerator,denominator,variants,N1,...,Nk", then one
// row per train. Locale-free numbers; doubles with 17 significant digits. Where the
// query's geometry is enabled, each stage s adds "module_s,centre_distance_s,
// shift_N(2s-1),shift_N(2s),contact_ratio_s" and the row ends with "worst_clearance"
// (shortest text that reads back exactly); JSON's solutions hold the same fields and
// its inputs a "geometry" object.
std::string DesignCsv(const DesignQuery& query, const DesignResult& result);

// One JSON document: the inputs (configuration index and name or stages, minima,
// maxima, target as written and as a fraction, tolerance, options), "solutions" (the
// CSV fields, teeth as an array), "count", "outcome" ("solutions", "no convergence",
// "maximum exceeded") and "stopped".
std::string DesignJson(const DesignQuery& query, const DesignResult& result);

// The results file's text for a design search: the form's layout (product, date, sort,
// method, target, range and maximum lines, the column header, one row per train from
// FormatDesignRow, the count and outcome lines). The sort line reads "Solutions Are Not
// Sorted" in loop order and says the order otherwise; a free train's method is "Free
// Train of K Stages"; a relative range is shown as written.
struct DesignDate {
  int day, month, year;
};
std::string DesignText(const DesignQuery& query, const DesignResult& result,
                       const DesignDate& date);
// The sort line of that header (without its line break).
std::string DesignSortLine(SortOrder sort);

// The same three texts handed to `sink` in pieces of bounded size, so that a run of
// millions of trains is written without a second copy of it in memory. The pieces
// joined are exactly what the functions above return.
using DesignSink = std::function<void(std::string_view)>;
void WriteDesignCsv(const DesignQuery& query, const DesignResult& result, const DesignSink& sink);
void WriteDesignJson(const DesignQuery& query, const DesignResult& result, const DesignSink& sink);
void WriteDesignText(const DesignQuery& query, const DesignResult& result, const DesignDate& date,
                     const DesignSink& sink);

}  // namespace quenmar::design
