#pragma once
// The text progress bar quenmar-solve draws on a terminal, redrawn in place with "\r".

#include <ostream>
#include <string>

namespace quenmar::cli {

inline void DrawProgressBar(std::ostream& err, int percent) {
  constexpr int kWidth = 40;
  const int filled = percent * kWidth / 100;
  err << "\rSOLUTION PROGRESS=> [" << std::string(filled, '#') << std::string(kWidth - filled, '.')
      << "] " << percent << "%" << std::flush;
}

}  // namespace quenmar::cli
