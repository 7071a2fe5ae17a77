// Row text, its parse, and the order of the solution list.

#include <gtest/gtest.h>

#include <clocale>

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
