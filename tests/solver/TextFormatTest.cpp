// The locale-free formatter against the C library's printf, which defines what every row,
// file line and field of the program must read: exact halfway values (sixteenths at three
// decimals, integers at fifteen digits) round to the even digit, and arbitrary doubles of
// every magnitude give the same digits.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "TextFormat.h"

namespace quenmar::text {
namespace {

std::string Printf(const char* format, int a, int b, double value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, a, b, value);
  return buffer;
}

void ExpectSameAsPrintf(double value) {
  for (const auto& [width, precision] : {std::pair{14, 3}, {10, 3}, {8, 3}, {10, 5}, {0, 0}, {1, 1}, {0, 17}})
    ASSERT_EQ(Fixed(value, width, precision), Printf("%*.*f", width, precision, value))
        << value << " as %" << width << '.' << precision << 'f';
  for (int precision : {1, 3, 6, 15, 17})
    ASSERT_EQ(General(value, precision), Printf("%*.*g", 0, precision, value))
        << value << " as %." << precision << 'g';
}

TEST(TextFormat, HalfwayValuesRoundToEvenAsPrintfDoes) {
  EXPECT_EQ(Fixed(1.0625, 14, 3), "         1.062");
  EXPECT_EQ(Fixed(0.0625, 10, 3), "     0.062");
  EXPECT_EQ(Fixed(1.1875, 10, 3), "     1.188");
  EXPECT_EQ(General(1000000000000005.0, 15), "1e+15");
  EXPECT_EQ(General(1000000000000015.0, 15), "1.00000000000002e+15");
  for (int sixteenths = -4000; sixteenths <= 4000; ++sixteenths) ExpectSameAsPrintf(sixteenths / 16.0);
  for (double integer = 999999999999990.0; integer <= 1000000000000100.0; integer += 1.0)
    ExpectSameAsPrintf(integer);
}

TEST(TextFormat, EveryMagnitudeAndSpecialValueAsPrintf) {
  for (double v : {0.0, -0.0, 5e-324, -1.7976931348623157e308, 1e300, HUGE_VAL, -HUGE_VAL,
                   std::nan(""), -std::nan("")})
    ExpectSameAsPrintf(v);
  std::mt19937_64 random(2026);
  for (int i = 0; i < 40000; ++i) {
    const std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    ExpectSameAsPrintf(value);
  }
}

}  // namespace
}  // namespace quenmar::text
