#pragma once
// printf-style conversions that never follow the process locale: a program that
// switches to the user's locale (as GUI toolkits do) must still print "3.625", never
// "3,625", into rows and files that are parsed back and read by spreadsheets.

#include <string>

namespace quenmar::text {

// "%W.Pf": fixed notation, P decimals, right-aligned in W characters.
void AppendFixed(std::string& out, double value, int width, int precision);
// "%Wd" (width 0 for "%d").
void AppendInteger(std::string& out, long long value, int width);

}  // namespace quenmar::text
