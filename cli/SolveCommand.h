#pragma once
// quenmar-solve: one search from the command line, printing what the form would write
// (the results file text, or with --list the sorted solution rows).

#include <atomic>
#include <iosfwd>

namespace quenmar::cli {

struct CalendarDate {
  int year, month, day;
};

struct SolveEnvironment {
  CalendarDate today;                               // the default of --date
  const std::atomic<bool>* stopRequested = nullptr; // set from outside to stop the search
  bool progressBar = false;                         // draw progress on err
};

// Exit status: 0 for every completed search, 1 when the output file cannot be written,
// 2 for bad arguments (nothing written, no file touched), 130 when stopped (the program
// makes that 128 + the number of the signal that stopped it). A stopped run's results end
// with a line saying so; with --list that line goes to err.
int RunSolve(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
             const SolveEnvironment& environment);

}  // namespace quenmar::cli
