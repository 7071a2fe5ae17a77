#include "SolutionRow.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

#include "TextFormat.h"

namespace quenmar {

std::string FormatSolutionRow(Family family, const TrainSolution& solution) {
  const int k = family == Family::Single ? 2 : family == Family::Double ? 4 : 6;
  std::string row;
  row.reserve(60);
  text::AppendFixed(row, solution.dDifference, 8, 3);
  text::AppendFixed(row, solution.dReduction, 10, 3);
  for (int g = 0; g < k; ++g) text::AppendInteger(row, solution.nTeeth[g], 7);
  return row;
}

namespace {

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

void SkipBlanks(std::string_view s, std::size_t& at) {
  while (at < s.size() && IsBlank(s[at])) ++at;
}

// A number too large or too small for a double, converted as C's conversion does: the
// overflow to infinity, the underflow to zero (or the nearest subnormal), with its sign.
double ConvertOutOfRange(std::string_view digits) {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
  const std::string text(digits);
  return strtod_l(text.c_str(), nullptr, c);
}

// "%lf": blanks, then a decimal number with optional sign and exponent.
bool ScanReal(std::string_view s, std::size_t& at, double& value) {
  SkipBlanks(s, at);
  std::size_t start = at;
  bool negative = false;
  if (start < s.size() && (s[start] == '+' || s[start] == '-')) {
    negative = s[start] == '-';
    ++start;
  }
  if (start >= s.size() || s[start] == '+' || s[start] == '-') return false;
  double parsed = 0.0;
  const auto [last, error] =
      std::from_chars(s.data() + start, s.data() + s.size(), parsed, std::chars_format::general);
  if (error == std::errc::invalid_argument) return false;
  std::size_t end = static_cast<std::size_t>(last - s.data());
  // Out of range still consumes the number, as the C conversion does.
  if (error == std::errc::result_out_of_range) parsed = ConvertOutOfRange(s.substr(start, end - start));
  // C's scanning reads an exponent mark, and its sign, before it knows that no digit
  // follows; both stay read although the number ends before them.
  const std::string_view number = s.substr(start, end - start);
  const bool decimal = number.find_first_not_of("0123456789.") == std::string_view::npos;
  if (decimal && end < s.size() && (s[end] == 'e' || s[end] == 'E')) {
    ++end;
    if (end < s.size() && (s[end] == '+' || s[end] == '-')) ++end;
  }
  value = negative ? -parsed : parsed;
  at = end;
  return true;
}

// "%7d": blanks (not counted), then an optionally signed integer of at most 7 characters.
bool ScanInteger(std::string_view s, std::size_t& at, std::int32_t& value) {
  SkipBlanks(s, at);
  const std::size_t limit = std::min(s.size(), at + 7);
  std::size_t i = at;
  bool negative = false;
  if (i < limit && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  const std::size_t digits = i;
  std::int32_t parsed = 0;
  while (i < limit && s[i] >= '0' && s[i] <= '9') parsed = parsed * 10 + (s[i++] - '0');
  if (i == digits) return false;
  value = negative ? -parsed : parsed;
  at = i;
  return true;
}

}  // namespace

bool ParseSolutionRow(std::string_view row, Family family, ParsedRow& parsed) {
  const int k = family == Family::Single ? 2 : family == Family::Double ? 4 : 6;
  parsed.count = 0;
  std::size_t at = 0;
  if (!ScanReal(row, at, parsed.dDifference)) return false;
  parsed.count = 1;
  if (!ScanReal(row, at, parsed.dReduction)) return false;
  parsed.count = 2;
  for (int g = 0; g < k; ++g) {
    if (!ScanInteger(row, at, parsed.nTeeth[g])) return false;
    ++parsed.count;
  }
  return true;
}

int CompareSolutionRows(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

namespace {
bool RowLess(const std::string& a, const std::string& b) { return CompareSolutionRows(a, b) < 0; }
}  // namespace

void SolutionList::insert(std::string row) {
  const auto place = std::upper_bound(rows_.begin(), rows_.end(), row, RowLess);
  rows_.insert(place, std::move(row));
}

void SolutionList::insertBatch(std::vector<std::string> rows) {
  std::stable_sort(rows.begin(), rows.end(), RowLess);
  const auto middle = rows_.size();
  rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
               std::make_move_iterator(rows.end()));
  std::inplace_merge(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(middle),
                     rows_.end(), RowLess);
}

std::string_view SolutionList::top() const {
  return rows_.empty() ? std::string_view{} : std::string_view{rows_.front()};
}

}  // namespace quenmar
