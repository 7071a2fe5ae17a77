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

}  // namespace

void AppendFixed(std::string& out, double value, int width, int precision) {
  char buffer[400];  // the widest double in fixed notation has 309 integer digits
  const char* end = buffer;
  if (std::isnan(value)) {
    end = std::signbit(value) ? "-nan" : "nan";
    AppendPadded(out, end, end + std::char_traits<char>::length(end), width);
    return;
  }
  end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision).ptr;
  AppendPadded(out, buffer, end, width);
}

void AppendInteger(std::string& out, long long value, int width) {
  char buffer[24];
  const char* end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  AppendPadded(out, buffer, end, width);
}

}  // namespace quenmar::text
