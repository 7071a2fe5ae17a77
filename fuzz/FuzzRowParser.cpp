// The row parser against C's sscanf with the same pattern: every value taken (bit for bit,
// so that 0 and -0 and the results of underflow are told apart) and the count of values.
// The bytes are spelled over the characters that numbers and blanks are made of, with a
// comma standing for anything else; the first byte chooses the family.

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "SolutionRow.h"

using namespace quenmar;

namespace {

constexpr char kAlphabet[] = " \t\n\v0123456789+-.eE,";

[[noreturn]] void Disagree(const std::string& text, const char* what) {
  std::fprintf(stderr, "row parser and sscanf disagree on %s for \"%s\"\n", what, text.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Family family = data[0] % 3 == 0 ? Family::Single : data[0] % 3 == 1 ? Family::Double
                                                                              : Family::Triple;
  std::string text;
  for (std::size_t i = 1; i < size; ++i) text += kAlphabet[data[i] % (sizeof kAlphabet - 1)];

  const ParsedRow before{-1, -2, {1, 2, 3, 4, 5, 6}, 99};
  ParsedRow ours = before;
  const bool complete = ParseSolutionRow(text, family, ours);
  ParsedRow c = before;
  Teeth& n = c.nTeeth;
  const char* s = text.c_str();
  const int count =
      family == Family::Single
          ? std::sscanf(s, "%lf%lf%7d%7d", &c.dDifference, &c.dReduction, &n[0], &n[1])
      : family == Family::Double
          ? std::sscanf(s, "%lf%lf%7d%7d%7d%7d", &c.dDifference, &c.dReduction, &n[0], &n[1],
                        &n[2], &n[3])
          : std::sscanf(s, "%lf%lf%7d%7d%7d%7d%7d%7d", &c.dDifference, &c.dReduction, &n[0],
                        &n[1], &n[2], &n[3], &n[4], &n[5]);
  const int expected = count < 0 ? 0 : count;
  const int k = family == Family::Single ? 2 : family == Family::Double ? 4 : 6;
  if (ours.count != expected) Disagree(text, "the count");
  if (complete != (expected == 2 + k)) Disagree(text, "completeness");
  if (std::bit_cast<std::uint64_t>(ours.dDifference) != std::bit_cast<std::uint64_t>(c.dDifference))
    Disagree(text, "the difference");
  if (std::bit_cast<std::uint64_t>(ours.dReduction) != std::bit_cast<std::uint64_t>(c.dReduction))
    Disagree(text, "the reduction");
  if (ours.nTeeth != c.nTeeth) Disagree(text, "the teeth");
  return 0;
}
