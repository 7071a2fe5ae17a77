#pragma once
// Reading what a user types for a design search: exact numbers, tolerances and the
// gears owned. Shared by quenmar-solve and the design window, so both accept exactly
// the same texts and say the same thing about the rest. Errors are values: a message
// that says what the input accepts, never an exception.

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "DesignSearch.h"

namespace quenmar::design {

// Either the value or a one-line message saying what is accepted.
template <typename T>
using Parsed = std::variant<T, std::string>;

// A target: a decimal taken exactly as written ("3.624" is 453/125) or a fraction
// "A/B" of positive decimals ("1.5/3.175" is 60/127); 0..125,000,000.
Parsed<Rational> ParseTarget(std::string_view text);

// A tolerance: a decimal (absolute), or a decimal with the suffix "ppm" or "%"
// (relative to the target).
Parsed<Tolerance> ParseTolerance(std::string_view text);

// Owned gears: teeth counts 1..500 separated by commas (command line), or by commas,
// blanks or line breaks with '#' starting a comment (file text; messages then give the
// line number). A count may repeat: each listing is one gear.
Parsed<std::vector<int>> ParseGearList(std::string_view text);
Parsed<std::vector<int>> ParseGearFile(std::string_view fileText);
// Owned gears as typed in one field: counts separated by commas, blanks or both.
Parsed<std::vector<int>> ParseGearField(std::string_view text);

// A text the user typed, fit for a one-line message: line breaks, tabs and other control
// characters written as escapes ("\n", "\t", "\x01"), everything else as it is.
std::string EscapeControls(std::string_view text);

}  // namespace quenmar::design
