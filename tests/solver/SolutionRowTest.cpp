// Row text, its parse, and the order of the solution list.

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <string>

#include "SolutionRow.h"

namespace quenmar {
namespace {

TEST(SolutionRow, FormatsEachFamily) {
  struct Row {
    const char* name;
    Family family;
    TrainSolution solution;
    const char* text;
  };
  const Row rows[] = {
      {"Single", Family::Single, {0.001, 3.625, {8, 29, 10, 10, 10, 10}},
       "   0.001     3.625      8     29"},
      {"Double", Family::Double, {399.0 / 110 - 3.624, 399.0 / 110, {10, 19, 11, 21, 10, 10}},
       "   0.003     3.627     10     19     11     21"},
      {"Triple", Family::Triple, {0.25, 1000.0, {1, 500, 1, 500, 2, 4}},
       "   0.250  1000.000      1    500      1    500      2      4"},
      {"OverflowWidensTheRow", Family::Single, {12345.5, 1500000.0, {1, 2}},
       "12345.5001500000.000      1      2"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(FormatSolutionRow(row.family, row.solution), row.text);
  }
}

TEST(SolutionRow, IgnoresTheProcessLocale) {
  // A German locale would print "3,625"; rows are parsed back and read by spreadsheets.
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale installed";
  const std::string row =
      FormatSolutionRow(Family::Single, {0.001, 3.625, {8, 29, 10, 10, 10, 10}});
  ParsedRow parsed{0, 0, {}, 0};
  const bool complete = ParseSolutionRow(row, Family::Single, parsed);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(row, "   0.001     3.625      8     29");
  EXPECT_TRUE(complete);
  EXPECT_EQ(parsed.dReduction, 3.625);
}

TEST(SolutionRow, ParsesWithThePatternOfTheFamily) {
  struct Row {
    const char* name;
    const char* text;
    Family family;
    int count;
    double difference, reduction;
    Teeth teeth;
  };
  const Teeth before{1, 2, 3, 4, 5, 6};
  const Row rows[] = {
      {"Single", "   0.001     3.625      8     29", Family::Single, 4, 0.001, 3.625,
       {8, 29, 3, 4, 5, 6}},
      {"TripleRow", "   0.010     3.614     14     22     10     23     12     13",
       Family::Triple, 8, 0.01, 3.614, {14, 22, 10, 23, 12, 13}},
      {"DoublePatternOnTripleRowTakesFour",
       "   0.010     3.614     14     22     10     23     12     13", Family::Double, 6, 0.01,
       3.614, {14, 22, 10, 23, 5, 6}},
      {"TripleMissingColumnsKeepsTheRest", "   0.003     3.627     10     19", Family::Triple, 4,
       0.003, 3.627, {10, 19, 3, 4, 5, 6}},
      {"SevenCharacterTeethFields", "1 2 12345678", Family::Single, 4, 1, 2,
       {1234567, 8, 3, 4, 5, 6}},
      {"GarbageAfterTheDifference", "  0.5 x 3", Family::Single, 1, 0.5, -1, before},
      {"Empty", "", Family::Double, 0, -1, -1, before},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ParsedRow parsed{-1, -1, before, 99};
    const int k = row.family == Family::Single ? 2 : row.family == Family::Double ? 4 : 6;
    EXPECT_EQ(ParseSolutionRow(row.text, row.family, parsed), row.count == 2 + k);
    EXPECT_EQ(parsed.count, row.count);
    EXPECT_EQ(parsed.dDifference, row.difference);
    EXPECT_EQ(parsed.dReduction, row.reduction);
    EXPECT_EQ(parsed.nTeeth, row.teeth);
  }
}

// What C's sscanf takes from a row with the family's pattern.
ParsedRow ScanfRow(const std::string& text, Family family, ParsedRow parsed) {
  Teeth& n = parsed.nTeeth;
  double& d = parsed.dDifference;
  double& r = parsed.dReduction;
  const char* s = text.c_str();
  const int count =
      family == Family::Single   ? std::sscanf(s, "%lf%lf%7d%7d", &d, &r, &n[0], &n[1])
      : family == Family::Double ? std::sscanf(s, "%lf%lf%7d%7d%7d%7d", &d, &r, &n[0], &n[1],
                                               &n[2], &n[3])
                                 : std::sscanf(s, "%lf%lf%7d%7d%7d%7d%7d%7d", &d, &r, &n[0],
                                               &n[1], &n[2], &n[3], &n[4], &n[5]);
  parsed.count = std::max(count, 0);
  return parsed;
}

void ExpectSameAsScanf(const std::string& text, Family family) {
  const ParsedRow before{-1, -2, {1, 2, 3, 4, 5, 6}, 99};
  ParsedRow ours = before;
  ParseSolutionRow(text, family, ours);
  const ParsedRow c = ScanfRow(text, family, before);
  // Bit patterns, so that 0 and -0 (and the results of underflow) are told apart.
  EXPECT_EQ(std::bit_cast<std::uint64_t>(ours.dDifference), std::bit_cast<std::uint64_t>(c.dDifference))
      << '"' << text << "\" " << ours.dDifference << " vs " << c.dDifference;
  EXPECT_EQ(std::bit_cast<std::uint64_t>(ours.dReduction), std::bit_cast<std::uint64_t>(c.dReduction))
      << '"' << text << "\" " << ours.dReduction << " vs " << c.dReduction;
  EXPECT_EQ(ours.nTeeth, c.nTeeth) << '"' << text << '"';
  EXPECT_EQ(ours.count, c.count) << '"' << text << '"';
}

// Numbers at the edges of a double, exponents without digits and fields cut by the
// seven-character width read as C's conversion reads them.
TEST(SolutionRow, ParsesAsCsScanfDoes) {
  const char* const texts[] = {
      "1E-636 2 3 4",          "-1e-400 2 3 4",        "1e400 -1e999 3 4",
      "1e-320 4.9e-324 3 4",   "2.4703282292062327e-324 2.4703282292062328e-324 3 4",
      "0.000000000000000000000000000000000000000000000001e-300 1 2 3",
      "1e 2 3 4",              "1e+ 2 3 4",            "1.e5 .5 3 4",
      "-.5 +.5e-1 +12345678 -1234567",                 ". 1 2 3",
      "1 2 - 3",               "1 2 +-3 4",            "\t1\n2\v3\f4\r",
      "1 2 3",                 "   ",                  "1.5e+308 1.8e308 1 1",
      "   0.010     3.614     14     22     10     23     12     13",
  };
  for (const char* text : texts)
    for (Family family : {Family::Single, Family::Double, Family::Triple})
      ExpectSameAsScanf(text, family);
}

// Every short text over the characters a number is made of, for the single pattern.
TEST(SolutionRow, ParsesShortTextsAsCsScanfDoes) {
  constexpr char kAlphabet[] = " 1.e-+5,";
  constexpr int kLetters = sizeof kAlphabet - 1;
  for (int length = 1; length <= 6; ++length) {
    int total = 1;
    for (int i = 0; i < length; ++i) total *= kLetters;
    for (int code = 0; code < total; ++code) {
      std::string text;
      for (int i = 0, c = code; i < length; ++i, c /= kLetters) text += kAlphabet[c % kLetters];
      ExpectSameAsScanf(text, Family::Single);
      if (::testing::Test::HasFailure()) return;
    }
  }
}

TEST(SolutionList, KeepsRowsInOrdinalOrder) {
  struct Row {
    const char* name;
    const char* lower;
    const char* higher;
  };
  const Row rows[] = {
      // 0.0014 below and 0.0012 above 3.624 both print 0.001: the printed reduction decides.
      {"EqualPrintedDifferenceByReduction",
       "   0.001     3.623     10     19", "   0.001     3.625      8     29"},
      {"BlankBeforePeriod", "   0.001 ", "   0.001."},
      {"PeriodBeforeDigits", "   0.00.", "   0.001"},
      {"BlankBeforeDigits", "   0.003     3.627      9", "   0.003     3.627     10"},
      {"ShorterPrefixFirst", "   0.003", "   0.003 "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_LT(CompareSolutionRows(row.lower, row.higher), 0);
    EXPECT_GT(CompareSolutionRows(row.higher, row.lower), 0);
  }
  EXPECT_EQ(CompareSolutionRows("  1.5e", "  1.5E"), 0);

  SolutionList list;
  EXPECT_EQ(list.top(), "");
  list.insert("   0.010     3.614     10     22     14     23");
  list.insert("   0.003     3.627     11     21     10     19");
  list.insertBatch({"   0.003     3.627     10     19     11     21",
                    "   0.010     3.614     14     23     10     22"});
  list.insert("   0.003     3.627     11     19     10     21");
  const std::vector<std::string> sorted = {
      "   0.003     3.627     10     19     11     21",
      "   0.003     3.627     11     19     10     21",
      "   0.003     3.627     11     21     10     19",
      "   0.010     3.614     10     22     14     23",
      "   0.010     3.614     14     23     10     22"};
  EXPECT_EQ(list.rows(), sorted);
  EXPECT_EQ(list.top(), sorted.front());
  list.clear();
  EXPECT_TRUE(list.empty());
}

}  // namespace
}  // namespace quenmar
