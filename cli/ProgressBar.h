#pragma once
// The text progress bar quenmar-solve draws on a terminal, redrawn in place with "\r".

#include <cstdio>
#include <ostream>
#include <string>

namespace quenmar::cli {

// "3 days", "2 h 5 min", "12 min", "40 s": a time for a person to read.
inline std::string Duration(double seconds) {
  // Long estimates in days and years, the longest in powers of ten (no integer holds them).
  constexpr double kDay = 86400, kYear = 365.25 * kDay;
  if (seconds >= 1e6 * kYear) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1e years", seconds / kYear);
    return text;
  }
  if (seconds >= 2 * kYear) return std::to_string(static_cast<long long>(seconds / kYear + 0.5)) + " years";
  if (seconds >= 2 * kDay) return std::to_string(static_cast<long long>(seconds / kDay + 0.5)) + " days";
  const long long s = static_cast<long long>(seconds + 0.5);
  if (s >= 3600) return std::to_string(s / 3600) + " h " + std::to_string(s % 3600 / 60) + " min";
  if (s >= 60) return std::to_string((s + 30) / 60) + " min";
  return std::to_string(s) + " s";
}

// secondsLeft, where known (not negative), follows the bar as "  about 2 min left"; 0
// clears that text at the end.
inline void DrawProgressBar(std::ostream& err, int percent, double secondsLeft = -1) {
  constexpr int kWidth = 40;
  const int filled = percent * kWidth / 100;
  err << "\rSOLUTION PROGRESS=> [" << std::string(filled, '#') << std::string(kWidth - filled, '.')
      << "] " << percent << "%";
  if (secondsLeft >= 0) {
    // Padded, so that a shorter text covers a longer one drawn before it.
    std::string left = secondsLeft < 0.5 ? "" : "  about " + Duration(secondsLeft) + " left";
    left.resize(24, ' ');
    err << left;
  }
  err << std::flush;
}

}  // namespace quenmar::cli
