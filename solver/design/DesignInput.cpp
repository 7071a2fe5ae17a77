#include "DesignInput.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace quenmar::design {

std::string EscapeControls(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else if (u < 0x20 || u == 0x7f) (out += "\\x") += std::string{kHex[u >> 4], kHex[u & 15]};
    else out += c;
  }
  return out;
}

namespace {

using u128 = unsigned __int128;
constexpr std::uint64_t kLargestTarget = 125'000'000;  // six gears of 500 teeth
constexpr std::uint64_t kU64Max = std::numeric_limits<std::uint64_t>::max();

const char* const kTargetAccepts =
    "accepts a decimal such as 3.624 or a fraction A/B of positive numbers such as 127/90 or "
    "1.5/3.175, from 0 to 125000000";
const char* const kToleranceAccepts =
    "accepts a decimal from 0 to 125000000 (absolute), or a decimal followed by ppm (up to "
    "1000000) or % (up to 100), relative to the target";
const char* const kGearsAccepts =
    "accepts teeth counts from 1 to 500, each gear owned listed once";

// A typed text inside a one-line message, in double quotes.
std::string Quoted(std::string_view text) { return "\"" + EscapeControls(text) + "\""; }

std::string Because(const char* accepts, std::string_view reason) {
  return std::string(accepts) + " (" + std::string(reason) + ")";
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// num/den in lowest terms, or nothing when a part still needs more than 64 bits.
std::optional<Fraction> Lowest(u128 num, u128 den) {
  u128 a = num, b = den;
  while (b != 0) {
    const u128 r = a % b;
    a = b;
    b = r;
  }
  num /= a;
  den /= a;
  if (num > kU64Max || den > kU64Max) return {};
  return Fraction{static_cast<std::uint64_t>(num), static_cast<std::uint64_t>(den)};
}

// A non-negative decimal exactly as written: digits with an optional point, then an
// optional exponent ("2.5e-3"). Its parts must fit 64 bits once reduced, so that every
// comparison the search makes stays exact.
Parsed<Fraction> ParseDecimal(std::string_view text, const char* accepts) {
  std::size_t i = 0;
  std::string digits;
  int scale = 0;  // the value is digits * 10^-scale
  bool point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      digits += text[i];
      if (point) ++scale;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits.empty()) return Because(accepts, "not a number: " + Quoted(text));
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    int exponent = 0;
    const char* first = text.data() + i + 1;
    const char* last = text.data() + text.size();
    if (first < last && *first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, exponent);
    if (error != std::errc() || end != last || first == last || exponent < -40 || exponent > 40)
      return Because(accepts, "not a number: " + Quoted(text));
    scale -= exponent;
    i = text.size();
  }
  if (i != text.size()) return Because(accepts, "not a number: " + Quoted(text));

  // Leading zeros carry nothing, and trailing zeros after the point only raise the scale.
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  while (!digits.empty() && digits.back() == '0' && scale > 0) {
    digits.pop_back();
    --scale;
  }
  if (digits.empty()) return Fraction{0, 1};
  while (scale < 0) {  // 12e3
    digits += '0';
    ++scale;
  }
  const char* const tooLong = "too many digits to be taken exactly";
  if (digits.size() > 38 || scale > 38) return Because(accepts, tooLong);
  u128 num = 0, den = 1;
  for (char c : digits) num = num * 10 + static_cast<unsigned>(c - '0');
  for (int s = 0; s < scale; ++s) den *= 10;
  const auto f = Lowest(num, den);
  if (!f) return Because(accepts, tooLong);
  return *f;
}

std::optional<std::uint64_t> ParseWhole(std::string_view text) {
  if (text.empty() || !IsDigit(text.front())) return {};
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return {};
  return value;
}

bool Exceeds(const Fraction& f, std::uint64_t limit) {
  return static_cast<u128>(f.num) > static_cast<u128>(limit) * f.den;
}

// One teeth count of an owned-gears list; `where` is added to the message ("line 3: ").
std::optional<std::string> TakeGear(std::string_view word, std::vector<int>& gears,
                                    const std::string& where) {
  const auto value = ParseWhole(word);
  if (!value) return Because(kGearsAccepts, where + Quoted(word) + " is not a whole number");
  if (*value < 1 || *value > static_cast<std::uint64_t>(kMaxTeeth))
    return Because(kGearsAccepts, where + std::string(word) + " is not within 1..500");
  gears.push_back(static_cast<int>(*value));
  return {};
}

}  // namespace

Parsed<Rational> ParseTarget(std::string_view text) {
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) {
    Parsed<Fraction> value = ParseDecimal(text, kTargetAccepts);
    if (const auto* message = std::get_if<std::string>(&value)) return *message;
    const Fraction f = std::get<Fraction>(value);
    if (Exceeds(f, kLargestTarget)) return Because(kTargetAccepts, "larger than 125000000");
    return Rational(f);
  }
  // A/B with decimals on either side, each taken exactly: 1.5/3.175 is 60/127.
  const Parsed<Fraction> parts[] = {ParseDecimal(text.substr(0, slash), kTargetAccepts),
                                    ParseDecimal(text.substr(slash + 1), kTargetAccepts)};
  for (const Parsed<Fraction>& part : parts) {
    const auto* message = std::get_if<std::string>(&part);
    if (message && message->find("too many digits") != std::string::npos) return *message;
    if (message) return Because(kTargetAccepts, "not a fraction: " + Quoted(text));
  }
  const Fraction a = std::get<Fraction>(parts[0]), b = std::get<Fraction>(parts[1]);
  if (b.num == 0) return Because(kTargetAccepts, "the denominator is 0");
  if (a.num == 0) return Because(kTargetAccepts, "the numerator is 0");
  const auto f = Lowest(u128{a.num} * b.den, u128{a.den} * b.num);
  if (!f) return Because(kTargetAccepts, "too many digits to be taken exactly");
  if (Exceeds(*f, kLargestTarget)) return Because(kTargetAccepts, "larger than 125000000");
  return Rational(*f);
}

Parsed<Tolerance> ParseTolerance(std::string_view text) {
  Tolerance tolerance;
  tolerance.text = std::string(text);
  std::string_view number = text;
  std::uint64_t limit = kLargestTarget;
  const auto strip = [&number](std::string_view suffix) {
    if (number.size() < suffix.size() || number.substr(number.size() - suffix.size()) != suffix)
      return false;
    number.remove_suffix(suffix.size());
    while (!number.empty() && number.back() == ' ') number.remove_suffix(1);
    return true;
  };
  if (strip("ppm")) {
    tolerance.unit = Tolerance::Unit::Ppm;
    limit = 1'000'000;
  } else if (strip("%")) {
    tolerance.unit = Tolerance::Unit::Percent;
    limit = 100;
  } else if (!number.empty() && !IsDigit(number.back()) && number.back() != '.') {
    const std::size_t end = number.find_last_of("0123456789.");
    const std::string suffix(number.substr(end == std::string_view::npos ? 0 : end + 1));
    return Because(kToleranceAccepts, "unknown suffix " + Quoted(suffix));
  }
  Parsed<Fraction> amount = ParseDecimal(number, kToleranceAccepts);
  if (const auto* message = std::get_if<std::string>(&amount)) return *message;
  tolerance.amount = std::get<Fraction>(amount);
  if (Exceeds(std::get<Fraction>(amount), limit))
    return Because(kToleranceAccepts, "larger than " + std::to_string(limit) +
                                          (tolerance.unit == Tolerance::Unit::Ppm       ? "ppm"
                                           : tolerance.unit == Tolerance::Unit::Percent ? "%"
                                                                                        : ""));
  return tolerance;
}

Parsed<std::vector<int>> ParseGearList(std::string_view text) {
  std::vector<int> gears;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    std::string_view word = text.substr(start, comma - start);
    while (!word.empty() && word.front() == ' ') word.remove_prefix(1);
    while (!word.empty() && word.back() == ' ') word.remove_suffix(1);
    if (word.empty()) return Because(kGearsAccepts, "an empty place in the list");
    if (auto problem = TakeGear(word, gears, "")) return *problem;
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return gears;
}

Parsed<std::vector<int>> ParseGearField(std::string_view text) {
  std::vector<int> gears;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    const std::string_view place = text.substr(start, comma - start);
    if (place.find_first_not_of(" \t") == std::string_view::npos)
      return Because(kGearsAccepts, "an empty place in the list");
    for (std::size_t i = place.find_first_not_of(" \t"); i != std::string_view::npos;) {
      const std::size_t end = place.find_first_of(" \t", i);
      if (auto problem = TakeGear(place.substr(i, end - i), gears, "")) return *problem;
      i = place.find_first_not_of(" \t", end == std::string_view::npos ? place.size() : end);
    }
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return gears;
}

Parsed<std::vector<int>> ParseGearFile(std::string_view fileText) {
  // Editors on some systems begin a UTF-8 file with a byte-order mark; it is no gear.
  if (fileText.starts_with("\xEF\xBB\xBF")) fileText.remove_prefix(3);
  std::vector<int> gears;
  int line = 1;
  std::size_t i = 0;
  while (i < fileText.size()) {
    const char c = fileText[i];
    if (c == '\n') {
      ++line;
      ++i;
    } else if (c == ',' || c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      while (i < fileText.size() && fileText[i] != '\n') ++i;
    } else {
      const std::size_t end = fileText.find_first_of(", \t\r\n#", i);
      const std::string_view word = fileText.substr(i, end - i);
      if (auto problem = TakeGear(word, gears, "line " + std::to_string(line) + ": "))
        return *problem;
      i = end == std::string_view::npos ? fileText.size() : end;
    }
  }
  if (gears.empty()) return Because(kGearsAccepts, "the file lists no gear");
  return gears;
}

}  // namespace quenmar::design
