// What a user may type for a design search: exact targets, tolerances and owned gears.

#include <gtest/gtest.h>

#include "DesignInput.h"

namespace quenmar::design {
namespace {

// An accepted text gives its fraction; a refused one a message holding `reason`.
struct FractionCase {
  const char* text;
  std::uint64_t num, den;  // 0/0: refused
  const char* reason;
};

TEST(DesignInput, TargetsAreTakenExactlyAsWritten) {
  const FractionCase cases[] = {
      {"3.624", 453, 125, ""},
      {"127/90", 127, 90, ""},
      {"254/180", 127, 90, ""},  // reduced
      {"0", 0, 1, ""},
      {"0003.1400", 157, 50, ""},
      {".5", 1, 2, ""},
      {"5.", 5, 1, ""},
      {"1e2", 100, 1, ""},
      {"2.5E-3", 1, 400, ""},
      {"3.14159265358979", 314159265358979, 100000000000000, ""},
      {"125000000", 125000000, 1, ""},
      {"250000000/2", 125000000, 1, ""},
      {"18446744073709551615/18446744073709551614", 18446744073709551615u, 18446744073709551614u, ""},
      {"125000000.001", 0, 0, "larger than 125000000"},
      {"250000001/2", 0, 0, "larger than 125000000"},
      {"1/0", 0, 0, "the denominator is 0"},
      {"0/5", 0, 0, "the numerator is 0"},
      {"18446744073709551616/3", 0, 0, "too many digits"},
      {"1.000000000000000000001", 0, 0, "too many digits"},
      {"", 0, 0, "not a number"},
      {"-1", 0, 0, "not a number"},
      {"+1", 0, 0, "not a number"},
      {"3.6.2", 0, 0, "not a number"},
      {"1e", 0, 0, "not a number"},
      {"1e99", 0, 0, "not a number"},
      {"1/2/3", 0, 0, "not a fraction"},
      {"/7", 0, 0, "not a fraction"},
      {"1.5/2", 3, 4, ""},  // decimals on either side of the slash, read exactly
      {"1.5/3.175", 60, 127, ""},
      {"15/31.75", 60, 127, ""},
      {"0.0000000000000000001/0.0000000000000000003", 1, 3, ""},  // parts of 128 bits before reducing
      {"1/0.0", 0, 0, "the denominator is 0"},
      {"1.5/-2", 0, 0, "not a fraction"},
      {"1/3.000000000000000000000000000000000000001", 0, 0, "too many digits"},
      {" 3", 0, 0, "not a number"},
      {"\n3.-R", 0, 0, "not a number: \"\\n3.-R\""},  // a message stays one line
      {"1\x01\t", 0, 0, "not a number: \"1\\x01\\t\""},
      {"1/\r2", 0, 0, "not a fraction: \"1/\\r2\""},
  };
  for (const FractionCase& c : cases) {
    SCOPED_TRACE(c.text);
    const auto parsed = ParseTarget(c.text);
    if (c.den == 0) {
      const auto* message = std::get_if<std::string>(&parsed);
      ASSERT_NE(message, nullptr);
      EXPECT_EQ(message->rfind("accepts a decimal such as 3.624 or a fraction A/B", 0), 0u) << *message;
      EXPECT_NE(message->find(c.reason), std::string::npos) << *message;
      EXPECT_EQ(message->find_first_of("\n\r\t\x01"), std::string::npos) << *message;
    } else {
      ASSERT_TRUE(std::holds_alternative<Rational>(parsed)) << std::get<std::string>(parsed);
      EXPECT_EQ(std::get<Rational>(parsed), Rational(c.num, c.den));
    }
  }
}

TEST(DesignInput, TolerancesAbsoluteOrRelative) {
  using Unit = Tolerance::Unit;
  struct Case {
    const char* text;
    Unit unit;
    std::uint64_t num, den;  // 0/0: refused
    const char* reason;
  };
  const Case cases[] = {
      {"0.01", Unit::Absolute, 1, 100, ""},
      {"0", Unit::Absolute, 0, 1, ""},
      {"5ppm", Unit::Ppm, 5, 1, ""},
      {"5 ppm", Unit::Ppm, 5, 1, ""},
      {"0.5ppm", Unit::Ppm, 1, 2, ""},
      {"0.01%", Unit::Percent, 1, 100, ""},
      {"1000000ppm", Unit::Ppm, 1000000, 1, ""},
      {"100%", Unit::Percent, 100, 1, ""},
      {"125000000", Unit::Absolute, 125000000, 1, ""},
      {"1000001ppm", Unit::Ppm, 0, 0, "larger than 1000000ppm"},
      {"100.5%", Unit::Percent, 0, 0, "larger than 100%"},
      {"125000001", Unit::Absolute, 0, 0, "larger than 125000000"},
      {"5ppb", Unit::Absolute, 0, 0, "unknown suffix \"ppb\""},
      {"0.0x", Unit::Absolute, 0, 0, "unknown suffix \"x\""},
      {"ppm", Unit::Absolute, 0, 0, "not a number"},
      {"%", Unit::Absolute, 0, 0, "not a number"},
      {"-1", Unit::Absolute, 0, 0, "not a number"},
      {"1/2", Unit::Absolute, 0, 0, "not a number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto parsed = ParseTolerance(c.text);
    if (c.den == 0) {
      const auto* message = std::get_if<std::string>(&parsed);
      ASSERT_NE(message, nullptr);
      EXPECT_EQ(message->rfind("accepts a decimal from 0 to 125000000 (absolute)", 0), 0u) << *message;
      EXPECT_NE(message->find(c.reason), std::string::npos) << *message;
    } else {
      ASSERT_TRUE(std::holds_alternative<Tolerance>(parsed)) << std::get<std::string>(parsed);
      const Tolerance& t = std::get<Tolerance>(parsed);
      EXPECT_EQ(t.unit, c.unit);
      EXPECT_EQ(t.amount, (Fraction{c.num, c.den}));
      EXPECT_EQ(t.text, c.text);
    }
  }
}

TEST(DesignInput, OwnedGearsFromTheCommandLineAndFromAFile) {
  struct Case {
    int source;  // 0 the command line, 1 a file, 2 the window's field
    const char* text;
    std::vector<int> gears;  // empty: refused
    const char* reason;
  };
  const Case cases[] = {
      {false, "20,25,127", {20, 25, 127}, ""},
      {false, "40,40, 127 ", {40, 40, 127}, ""},  // a repeated count is a second gear
      {false, "1,500", {1, 500}, ""},
      {false, "20,,25", {}, "an empty place in the list"},
      {false, "20,", {}, "an empty place in the list"},
      {false, "", {}, "an empty place in the list"},
      {false, "0", {}, "0 is not within 1..500"},
      {false, "501", {}, "501 is not within 1..500"},
      {false, "20 25", {}, "\"20 25\" is not a whole number"},
      {false, "2x", {}, "\"2x\" is not a whole number"},
      {2, "20 25", {20, 25}, ""},
      {2, "20, 30 40\t50 ", {20, 30, 40, 50}, ""},
      {2, "20 ,, 30", {}, "an empty place in the list"},
      {2, "20 3x", {}, "\"3x\" is not a whole number"},
      {true, "20 25\n# the spare set\n30,35\r\n\t127 # transposing\n", {20, 25, 30, 35, 127}, ""},
      {true, "60,60,60\n", {60, 60, 60}, ""},
      {true, "20\n30\nx1 40\n", {}, "line 3: \"x1\" is not a whole number"},
      {true, "20\n\n# fine\n30 600\n", {}, "line 4: 600 is not within 1..500"},
      {true, "20 -5", {}, "line 1: \"-5\" is not a whole number"},
      {true, "# nothing but a comment\n\n", {}, "the file lists no gear"},
      {true, "", {}, "the file lists no gear"},
      {true, "\xEF\xBB\xBF" "20 25\n", {20, 25}, ""},  // a byte-order mark first is skipped
      {true, "\xEF\xBB\xBF", {}, "the file lists no gear"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto parsed = c.source == 1   ? ParseGearFile(c.text)
                        : c.source == 2 ? ParseGearField(c.text)
                                        : ParseGearList(c.text);
    if (c.gears.empty()) {
      const auto* message = std::get_if<std::string>(&parsed);
      ASSERT_NE(message, nullptr);
      EXPECT_EQ(*message, std::string("accepts teeth counts from 1 to 500, each gear owned listed "
                                      "once (") + c.reason + ")");
    } else {
      ASSERT_TRUE(std::holds_alternative<std::vector<int>>(parsed)) << std::get<std::string>(parsed);
      EXPECT_EQ(std::get<std::vector<int>>(parsed), c.gears);
    }
  }
}

}  // namespace
}  // namespace quenmar::design
