#include "TextFormat.h"

#include <charconv>
#include <cmath>

namespace quenmar::text {

namespace {

void AppendPadded(std::string& out, const char* first, const char* last, int width) {
  const int length = static_cast<int>(last - first);
  if (length < width) out.append(static_cast<std::size_t>(width - length), ' ');
  out.append(first, last);
}

// NaN in printf's spelling, sign included.
bool AppendNan(std::string& out, double value, int width) {
  if (!std::isnan(value)) return false;
  const char* text = std::signbit(value) ? "-nan" : "nan";
  AppendPadded(out, text, text + std::char_traits<char>::length(text), width);
  return true;
}

}  // namespace

void AppendFixed(std::string& out, double value, int width, int precision) {
  char buffer[400];  // the widest double in fixed notation has 309 integer digits
  if (AppendNan(out, value, width)) return;
  const char* end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision).ptr;
  AppendPadded(out, buffer, end, width);
}

void AppendInteger(std::string& out, long long value, int width) {
  char buffer[24];
  const char* end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  AppendPadded(out, buffer, end, width);
}

void AppendGeneral(std::string& out, double value, int precision) {
  char buffer[400];
  if (AppendNan(out, value, 0)) return;
  const char* end =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision).ptr;
  out.append(buffer, static_cast<std::size_t>(end - buffer));
}

std::string Fixed(double value, int width, int precision) {
  std::string out;
  AppendFixed(out, value, width, precision);
  return out;
}

std::string General(double value, int precision) {
  std::string out;
  AppendGeneral(out, value, precision);
  return out;
}

}  // namespace quenmar::text
