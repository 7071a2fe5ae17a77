#pragma once
// printf-style conversions that never follow the process locale: a program that
// switches to the user's locale (as GUI toolkits do) must still print "3.625", never
// "3,625", into rows and files that are parsed back and read by spreadsheets.
//
// Every number the program formats itself goes through here, so that the same double
// reads the same wherever it is shown. Rounding is printf's: the exact binary value is
// rounded to the nearest decimal, and an exact halfway value goes to the even digit
// (1.0625 with three decimals is "1.062"), not up as some toolkits' formatters do.

#include <string>

namespace quenmar::text {

// "%W.Pf": fixed notation, P decimals, right-aligned in W characters.
void AppendFixed(std::string& out, double value, int width, int precision);
// "%Wd" (width 0 for "%d").
void AppendInteger(std::string& out, long long value, int width);
// "%.Pg": the shorter of fixed and exponent notation with P significant digits, trailing
// zeros dropped.
void AppendGeneral(std::string& out, double value, int precision);

std::string Fixed(double value, int width, int precision);
std::string General(double value, int precision);

}  // namespace quenmar::text
