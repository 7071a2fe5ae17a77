// The candidates' reader, shared by quenmar-solve's --candidates and the design window's
// Candidates field, so both accept the same lists with the same message.
#include <charconv>

#include "DesignInput.h"
#include "ThreadChart.h"

namespace quenmar::design {

namespace {

const char* const kCandidatesAccepts =
    "accepts teeth counts from 1 to 500 and ranges A..B of them, separated by commas (such as 20..127)";

std::optional<int> Count(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1 || value > kMaxTeeth)
    return {};
  return value;
}

}  // namespace

Parsed<std::vector<int>> ParseCandidates(std::string_view text) {
  std::vector<int> counts;
  for (std::size_t start = 0;;) {
    const std::size_t comma = text.find(',', start);
    const std::string_view item = text.substr(start, comma == std::string_view::npos ? comma : comma - start);
    const std::size_t dots = item.find("..");
    const auto low = Count(item.substr(0, dots));
    const auto high = dots == std::string_view::npos ? low : Count(item.substr(dots + 2));
    if (!low || !high || *high < *low) return std::string(kCandidatesAccepts) + ", not \"" + EscapeControls(item) + "\"";
    for (int n = *low; n <= *high; ++n) counts.push_back(n);
    if (comma == std::string_view::npos) return counts;
    start = comma + 1;
  }
}

}  // namespace quenmar::design
