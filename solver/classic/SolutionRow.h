#pragma once
// The text of one solution, as the list shows it and the results file stores it, its
// parse back into values, and the order in which the list keeps its rows.

#include <string>
#include <string_view>
#include <vector>

#include "TrainConfiguration.h"

namespace quenmar {

// "%8.3f%10.3f%7d%7d" followed by two more "%7d" per family above single: difference,
// reduction, then N1..Nk. 32, 46 or 60 characters while no field overflows.
std::string FormatSolutionRow(Family family, const TrainSolution& solution);

struct ParsedRow {
  double dDifference;
  double dReduction;
  Teeth nTeeth;  // N1..Nk are taken; the others are left alone
  int count;     // values taken, in row order (difference, reduction, N1, ...)
};

// Reads a row with the patterns "%lf%lf%7d%7d..." of the family (chosen by the caller's
// configuration, not by the row). Stops at the first part that does not match: the
// values taken before it are stored, the others keep what `parsed` held. Returns true
// when every value of the family was taken. The decimal point is always '.'.
bool ParseSolutionRow(std::string_view row, Family family, ParsedRow& parsed);

// Ordinal comparison ignoring ASCII letter case (never the locale's collation): a blank
// sorts before the period, the period before the digits. <0, 0 or >0.
int CompareSolutionRows(std::string_view a, std::string_view b);

// The sorted solution list: rows in ascending CompareSolutionRows order, so the top
// row is the train closest to the target as printed.
class SolutionList {
 public:
  void insert(std::string row);                 // at its sorted place
  void insertBatch(std::vector<std::string> rows);
  const std::vector<std::string>& rows() const { return rows_; }
  std::string_view top() const;                 // empty when the list is
  std::size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  void clear() { rows_.clear(); }

 private:
  std::vector<std::string> rows_;
};

}  // namespace quenmar
